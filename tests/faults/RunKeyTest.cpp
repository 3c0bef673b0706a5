#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>

#include <vector>

#include "tests/faults/FaultSupport.h"
#include "ui/win32/ControlIds.h"

namespace kestrova {
namespace {

using namespace e2e;
using namespace faults;

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run key made unwritable for the user by a deny entry in its access
// list (reading stays allowed); the old access list is put back at the end.
class RunKeyWritesDenied {
  public:
    RunKeyWritesDenied() {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, READ_CONTROL | WRITE_DAC,
                            nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        if (size == 0 || RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size) !=
                             ERROR_SUCCESS) {
            saved_.clear();
            return;
        }
        EXPLICIT_ACCESSA entries[2] = {};
        char user[] = "CURRENT_USER";
        BuildExplicitAccessWithNameA(&entries[0], user, KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                                     DENY_ACCESS, NO_INHERITANCE);
        BuildExplicitAccessWithNameA(&entries[1], user, KEY_READ | READ_CONTROL | WRITE_DAC,
                                     GRANT_ACCESS, NO_INHERITANCE);
        if (SetEntriesInAclA(2, entries, nullptr, &acl_) != ERROR_SUCCESS) {
            acl_ = nullptr;
            return;
        }
        SECURITY_DESCRIPTOR descriptor{};
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, acl_, FALSE);
        denied_ = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    }
    ~RunKeyWritesDenied() {
        if (denied_) {
            RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
        }
        if (acl_ != nullptr) {
            LocalFree(acl_);
        }
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    RunKeyWritesDenied(const RunKeyWritesDenied&) = delete;
    RunKeyWritesDenied& operator=(const RunKeyWritesDenied&) = delete;

    bool Denied() const { return denied_; }

  private:
    HKEY key_ = nullptr;
    std::vector<BYTE> saved_;
    PACL acl_ = nullptr;
    bool denied_ = false;
};

bool KeyOpensFor(REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, access, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool Checked(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

class RunKeyNotWritable : public ::testing::Test {
  protected:
    void SetUp() override { AttachToDesktop(); }
    void TearDown() override { DeleteRunValue(); }
};

// Each option the user clicks is refused with a message; the option shown
// goes back to the one registered, and the Run value stays as it was.
TEST_F(RunKeyNotWritable, OptionClicksSayTheChangeFailedAndKeepTheRegisteredOption) {
    ProgramFolder program("faults-run-key");
    ThreeDrives drives(program);
    const std::string registered = program.Path() + "\\Kestrova.exe /T";
    SetRunValue(registered);
    ASSERT_EQ(StoredRunValue(), registered + '\0');
    RunKeyWritesDenied denied;
    ASSERT_TRUE(denied.Denied());
    // Wine honours the entry: not even this process may write the key now.
    ASSERT_FALSE(KeyOpensFor(KEY_SET_VALUE));
    ASSERT_TRUE(KeyOpensFor(KEY_READ));

    RunningProgram kestrova(program.File("Kestrova.exe"), "", program.Path());
    Window window(kestrova.Id());
    ASSERT_NE(window.main, nullptr);
    window.Click(ids::cmdOptions);
    HWND optT = window.Control(ids::optT);
    ASSERT_TRUE(WaitUntil([&] { return Checked(optT); }, 10000));

    for (int id : {ids::optM, ids::optB, ids::optNone}) {
        SCOPED_TRACE(id);
        window.Click(id);
        const std::optional<MessageBoxInfo> box = WaitForMessageBox(kestrova.Id(), 30000);
        ASSERT_TRUE(box.has_value()) << "the failed registry write went unreported";
        EXPECT_EQ(box->text,
                  "The startup option could not be saved in the registry; Windows startup is "
                  "unchanged.     ");
        EXPECT_EQ(box->caption, "Kestrova");
        EXPECT_EQ(box->iconStyle, 48);
        if (id == ids::optM) {
            TakeScreenshot("run-key-refused");
        }
        DismissMessageBox(box->window);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->window); }, 10000));
        EXPECT_TRUE(
            WaitUntil([&] { return Checked(optT) && !Checked(window.Control(id)); }, 10000));
        EXPECT_EQ(StoredRunValue(), registered + '\0');
    }

    PostClose(window.main);
    ASSERT_TRUE(kestrova.WaitForExit(30000));
    EXPECT_EQ(StoredRunValue(), registered + '\0');
    EXPECT_EQ(program.Store(), drives.StoreText());
}

}  // namespace
}  // namespace kestrova
