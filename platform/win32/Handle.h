#pragma once

#include <windows.h>

#include <commctrl.h>

#include <type_traits>
#include <utility>

namespace kestrova {

// Owns one handle of a kind and frees it with `Free` on every path. Null
// holds nothing, and so does INVALID_HANDLE_VALUE, which files and searches
// give for a failure.
template <typename Kind, void (*Free)(Kind)>
class Owned {
  public:
    Owned() = default;
    explicit Owned(Kind handle) : handle_(handle) {}
    ~Owned() { Reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : handle_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    bool Valid() const {
        if constexpr (std::is_same_v<Kind, HANDLE>) {
            if (handle_ == INVALID_HANDLE_VALUE) {
                return false;
            }
        }
        return handle_ != nullptr;
    }
    Kind Get() const { return handle_; }
    Kind Release() { return std::exchange(handle_, nullptr); }
    void Reset(Kind handle = nullptr) {
        if (Valid()) {
            Free(handle_);
        }
        handle_ = handle;
    }

  private:
    Kind handle_ = nullptr;
};

namespace release {
inline void Kernel(HANDLE handle) {
    CloseHandle(handle);
}
inline void Search(HANDLE handle) {
    FindClose(handle);
}
inline void Gdi(HGDIOBJ object) {
    DeleteObject(object);
}
inline void Icon(HICON icon) {
    DestroyIcon(icon);
}
inline void Menu(HMENU menu) {
    DestroyMenu(menu);
}
inline void Images(HIMAGELIST images) {
    ImageList_Destroy(images);
}
inline void MemoryDc(HDC dc) {
    DeleteDC(dc);
}
}  // namespace release

// A kernel object (a file, a process, a mutex).
using UniqueHandle = Owned<HANDLE, release::Kernel>;
// A FindFirstFile search.
using FindHandle = Owned<HANDLE, release::Search>;
using GdiObject = Owned<HGDIOBJ, release::Gdi>;
using IconHandle = Owned<HICON, release::Icon>;
using MenuHandle = Owned<HMENU, release::Menu>;
using ImageListHandle = Owned<HIMAGELIST, release::Images>;
using MemoryDcHandle = Owned<HDC, release::MemoryDc>;

// A window's device context, released to its window.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context until the end of the scope.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace kestrova
