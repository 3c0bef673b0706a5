#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/e2e/Driver.h"
#include "tests/support/e2e/Program.h"
#include "ui/win32/ControlIds.h"

namespace kestrova::e2e {

// The real program used only by clicks at controls' places and by keys; what it did is read back.
class Journey : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(AttachToDesktop());
        DeleteRunValue();
        // The user's own store and rescue file start absent in every test.
        for (const std::string& file : {UserFile("Shrt.dat"), UserFile("Shrt.rescue")}) {
            SetReadOnly(file, false);
            DeleteFileA(file.c_str());
        }
    }
    void TearDown() override {
        kestrova.reset();
        DeleteRunValue();
        UnmapAll();
    }

    void Start(const ProgramFolder& folder, const std::string& arguments = {}) {
        kestrova = std::make_unique<RunningProgram>(folder, arguments);
        ASSERT_NE(window = WaitForWindow(kestrova->Id(), "Kestrova"), nullptr);
    }
    HWND At(int id) const { return Control(window, id); }
    // Presses a key and waits for the focus on the control `id`, which must be on screen.
    void Step(WORD key, int id, WORD modifier = 0) {
        Key(key, modifier);
        ASSERT_TRUE(WaitForFocus(window, id)) << "focus on " << GetDlgCtrlID(Focused(window));
        EXPECT_TRUE(OnScreen(Focused(window))) << id;
    }
    // Tab (Shift+Tab with VK_SHIFT) through the controls `ids`, each in turn.
    void Tabs(const std::vector<int>& ids, WORD modifier = 0) {
        for (int id : ids) {
            Step(VK_TAB, id, modifier);
        }
    }
    // The pane behind is hidden (the options pane is made when first shown).
    bool OptionsInFront() const { return IsWindowVisible(At(ids::fraOptions)) != FALSE; }
    void Close() {
        Key(VK_F4, VK_MENU);
        ASSERT_TRUE(kestrova->WaitForExit());
    }
    // Chooses a folder in the shell's browser, opened by a click or by a key.
    void Browse(const std::string& folder, bool byKey = false) {
        byKey ? Key(VK_SPACE) : Click(At(ids::Command2));
        HWND browser = WaitForDialog(kestrova->Id(), 30000);  // the shell loads first
        ASSERT_TRUE(ChooseInBrowser(browser, folder));
        ASSERT_TRUE(WaitUntil([&] { return Text(At(ids::Text1)) == folder; })) << folder;
    }
    // Right-clicks the program's icon in the notification area; its menu, once shown.
    static HWND OpenTrayMenu() {
        ClickAt(TrayIconPoint(), true);
        return ShownMenu();
    }
    // A pop-up menu, once shown.
    static HWND ShownMenu() {
        HWND menu = nullptr;
        WaitUntil([&] { return IsWindowVisible(menu = FindWindowA("#32768", nullptr)) != FALSE; });
        return IsWindowVisible(menu) != FALSE ? menu : nullptr;
    }
    std::string Status() const { return Text(At(ids::lblStatus)); }
    // A file of the program's folder in the user's local application data.
    static std::string UserFile(const std::string& name) {
        return Environment("LOCALAPPDATA") + "\\Kestrova\\" + name;
    }
    // A message box of the program: its text, once closed by Enter or by a click on `button`.
    std::string TakeMessage(int button = 0) const {
        HWND box = WaitForDialog(kestrova->Id());
        std::string text = box != nullptr ? DialogText(box) : "(no message)";
        button != 0 ? Click(GetDlgItem(box, button)) : Key(VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << text;
        return text;
    }

    std::unique_ptr<RunningProgram> kestrova;
    HWND window = nullptr;
};

}  // namespace kestrova::e2e
