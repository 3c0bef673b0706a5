#pragma once

#include <windows.h>

#include <commctrl.h>

#include <type_traits>
#include <utility>

namespace kestrova {

// Owns one handle of a kind and frees it with a `Free` on every path. Null
// holds nothing, and so does INVALID_HANDLE_VALUE, which files and searches
// give for a failure.
template <typename Kind, const auto& Free>
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

// How each kind is freed, and the owners of a kernel object (a file, a
// process, a mutex), a FindFirstFile search, a GDI object, an icon, a menu,
// an image list and a memory device context.
inline constexpr auto kCloseHandle = [](HANDLE handle) { CloseHandle(handle); };
inline constexpr auto kFindClose = [](HANDLE search) { FindClose(search); };
inline constexpr auto kDeleteObject = [](HGDIOBJ object) { DeleteObject(object); };
inline constexpr auto kDestroyIcon = [](HICON icon) { DestroyIcon(icon); };
inline constexpr auto kDestroyMenu = [](HMENU menu) { DestroyMenu(menu); };
inline constexpr auto kDestroyImages = [](HIMAGELIST images) { ImageList_Destroy(images); };
inline constexpr auto kDeleteDc = [](HDC dc) { DeleteDC(dc); };
using UniqueHandle = Owned<HANDLE, kCloseHandle>;
using FindHandle = Owned<HANDLE, kFindClose>;
using GdiObject = Owned<HGDIOBJ, kDeleteObject>;
using IconHandle = Owned<HICON, kDestroyIcon>;
using MenuHandle = Owned<HMENU, kDestroyMenu>;
using ImageListHandle = Owned<HIMAGELIST, kDestroyImages>;
using MemoryDcHandle = Owned<HDC, kDeleteDc>;

// A window's device context, released to its window.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&&) = delete;
    WindowDc& operator=(WindowDc&&) = delete;
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
    Selection(Selection&&) = delete;
    Selection& operator=(Selection&&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace kestrova
