#include "ui/win32/MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include "platform/win32/Marks.h"
#include "platform/win32/MessagePump.h"
#include "platform/win32/Win32Shell.h"
#include "ui/win32/ControlIds.h"
#include "ui/win32/Controls.h"
#include "ui/win32/ResourceIds.h"

namespace kestrova {

namespace {

// The numbers the portable code copies are the system's own.
static_assert(kStyleCritical == MB_ICONHAND && kStyleQuestion == MB_ICONQUESTION &&
              kStyleExclamation == MB_ICONEXCLAMATION && kStyleInformation == MB_ICONASTERISK);
static_assert(kButtonsYesNo == MB_YESNO && kButtonsCancelTryContinue == MB_CANCELTRYCONTINUE);
static_assert(kAnswerCancel == IDCANCEL && kAnswerYes == IDYES && kAnswerTryAgain == IDTRYAGAIN &&
              kAnswerContinue == IDCONTINUE);
static_assert(ids::kTrayCallbackMessage == WM_APP + 1);

// The first version of the record, as its size says: 88 bytes in a 32-bit
// build, 104 in a 64-bit one (the handles are wider).
static_assert(NOTIFYICONDATAA_V1_SIZE == (sizeof(void*) == 8 ? 104 : 88));

const char kPaneClass[] = "KestrovaPane";
const char kTitle[] = "Kestrova";

const char kLabel1Text[] =
    "Virtual Drives are valid for the current session only and must be mounted on Windows "
    "startup if you want them to be available all the time.  Kestrova options allow for "
    "mounting the drives and running Kestrova in the System Tray, mounting the drives and "
    "closing Kestrova or just running Kestrova.  Kestrova does not delete your folders.  It "
    "only mounts or dismounts them as drives.";

// A push button. Every control but the options is a group of its own, so that
// the arrow keys move the focus within the option group only.
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON;

constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Frames and their containers pass their controls' notifications on to the
// main window, which owns the logic.
LRESULT CALLBACK PaneProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CONTEXTMENU:
            return SendMessageA(GetAncestor(window, GA_ROOT), message, wParam, lParam);
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A row or item index a control answers, none when it answers -1.
std::optional<std::size_t> Index(LRESULT answer) {
    return answer < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(answer));
}

void DrawCross(HDC dc, int size, int unit, COLORREF color) {
    GdiObject pen(CreatePen(PS_SOLID, 3 * unit, color));
    Selection selected(dc, pen.Get());
    MoveToEx(dc, 3 * unit, 3 * unit, nullptr);
    LineTo(dc, size - 3 * unit, size - 3 * unit);
    MoveToEx(dc, size - 3 * unit, 3 * unit, nullptr);
    LineTo(dc, 3 * unit, size - 3 * unit);
}

void FillWith(HDC dc, const RECT& rect, COLORREF color) {
    GdiObject brush(CreateSolidBrush(color));
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
}

// A row's picture as the image list takes it: a colour bitmap and its mask.
// (Added as bitmaps rather than as an icon, whose adding draws the picture
// again and costs several times as much; the image list holds the same
// pixels either way.)
struct RowImage {
    GdiObject color;
    GdiObject mask;
};

RowImage DrawRowImage(int size, bool mounted) {
    WindowDc screen(nullptr);
    MemoryDcHandle memory(CreateCompatibleDC(screen.Get()));
    GdiObject color(CreateCompatibleBitmap(screen.Get(), size, size));
    GdiObject mask(CreateBitmap(size, size, 1, 1, nullptr));
    const RECT all{0, 0, size, size};
    const int unit = size / 16 > 0 ? size / 16 : 1;
    const RECT body{unit, 4 * unit, size - unit, size - 4 * unit};
    {
        // The mask first: black where the picture is, white where it is clear.
        Selection selected(memory.Get(), mask.Get());
        FillWith(memory.Get(), all, RGB(255, 255, 255));
        if (mounted) {
            FillWith(memory.Get(), body, RGB(0, 0, 0));
        } else {
            DrawCross(memory.Get(), size, unit, RGB(0, 0, 0));
        }
    }
    {
        Selection selected(memory.Get(), color.Get());
        FillWith(memory.Get(), all, RGB(0, 0, 0));
        if (mounted) {
            // A disk drive: grey case, dark slot, green light.
            FillWith(memory.Get(), body, RGB(160, 168, 176));
            FrameRect(memory.Get(), &body, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
            FillWith(memory.Get(), {3 * unit, size / 2, size - 6 * unit, size / 2 + unit},
                     RGB(64, 64, 64));
            FillWith(memory.Get(),
                     {size - 4 * unit, size / 2 - unit, size - 2 * unit, size / 2 + unit},
                     RGB(40, 200, 60));
        } else {
            DrawCross(memory.Get(), size, unit, RGB(220, 30, 30));
        }
    }
    return {std::move(color), std::move(mask)};
}

}  // namespace

MainWindow::MainWindow(FileSystem& fileSystem, ProcessRunner& processes, InstanceGuard& instances,
                       RegistryApi& registry, const std::string& programFolder,
                       const std::string& rescueFolder)
    : form_(*this, fileSystem, processes, instances, registry, programFolder, rescueFolder),
      about_(registry, fileSystem, processes) {}

MainWindow::~MainWindow() {
    Destroy();
}

bool MainWindow::Create(HINSTANCE instance) {
    // Form_Initialize: the common controls, before any control exists.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    Prepare(instance);
    RegisterClassOnce(instance, kPaneClass, PaneProcedure);

    RECT frame{0, 0, Pixels(layout::kClientWidth), Pixels(layout::kClientHeight)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
    // Placed at the origin; the start-up centres it.
    const RECT placed{0, 0, frame.right - frame.left, frame.bottom - frame.top};
    auto* smallIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_KESTROVA),
                                                    IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                    GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_KESTROVA));
    const bool created = CreateBase(ClassName(), kTitle, kWindowStyle, placed, icon, smallIcon);
    Mark("main window created");
    return created;
}

HWND MainWindow::AddControl(HWND parent, const char* className, const char* text, DWORD style,
                            int id, const layout::Rect& rect, DWORD exStyle) {
    return AddChild(parent, className, text, style, id,
                    {rect.left, rect.top, rect.left + rect.width, rect.top + rect.height}, 1440,
                    exStyle);
}

void MainWindow::CreateImageList() {
    const int size = MulDiv(16, dpi_, 96);
    images_.Reset(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 2, 0));
    for (bool mounted : {true, false}) {
        const RowImage image = DrawRowImage(size, mounted);
        ImageList_Add(images_.Get(), static_cast<HBITMAP>(image.color.Get()),
                      static_cast<HBITMAP>(image.mask.Get()));
    }
}

void MainWindow::CreateControls() {
    HWND window = Handle();
    // Labels that size themselves to their text measure it here: a memory
    // context with the window's font gives the same extent as the label's
    // own, without a call to the window manager for a context each time.
    textDc_.Reset(CreateCompatibleDC(nullptr));
    SelectObject(textDc_.Get(), font_.Get());

    // The two panes lie on the same rectangle; the one in front is on top
    // and shown, the one behind is hidden, so that it is never painted, and
    // disabled, so that neither the Tab key nor an access key reaches a
    // control that is not on screen. (A frame paints its whole face, as its
    // group box draws only lines.) The options pane is made when it is first
    // brought to the front.
    fraMain_ = AddControl(window, kPaneClass, "", WS_VISIBLE | WS_CLIPSIBLINGS, ids::fraMain,
                          layout::fraMain, WS_EX_CONTROLPARENT);
    const layout::Rect whole{0, 0, layout::fraMain.width, layout::fraMain.height};
    AddControl(fraMain_, "BUTTON", "Select Folder", WS_VISIBLE | BS_GROUPBOX, 0, whole);

    // The buttons below the panes follow the pane in front in the Tab order.
    AddControl(window, "BUTTON", "&About", kButton, ids::cmdAbout, layout::cmdAbout);
    TooltipLater(
        AddControl(window, "BUTTON", "&Options", kButton, ids::cmdOptions, layout::cmdOptions),
        "Startup Options");
    TooltipLater(
        AddControl(window, "BUTTON", "&Mount All", kButton, ids::cmdMount, layout::cmdMount),
        "Mount All Virtual Drives");
    TooltipLater(
        AddControl(window, "BUTTON", "&Remove All", kButton, ids::cmdRemove, layout::cmdRemove),
        "Remove All Virtual Drives");

    CreateDrivePane();

    // The mount list: a list box below the client area, never seen, that
    // shows the table's store entries.
    lstMount_ = AddControl(window, "LISTBOX", "", LBS_NOTIFY, ids::lstMount, layout::lstMount);
    Mark("controls made");
}

void MainWindow::CreateDrivePane() {
    picture2_ = AddControl(fraMain_, kPaneClass, "", WS_VISIBLE | WS_CLIPCHILDREN, ids::Picture2,
                           layout::Picture2, WS_EX_CONTROLPARENT);

    // Only the folder browser fills the folder box.
    const DWORD tabStop = WS_VISIBLE | WS_TABSTOP | WS_GROUP;
    text1_ = AddControl(picture2_, "EDIT", "", tabStop | ES_AUTOHSCROLL | ES_READONLY, ids::Text1,
                        layout::Text1, WS_EX_CLIENTEDGE);
    command2_ = AddControl(picture2_, "BUTTON", "...", kButton, ids::Command2, layout::Command2);
    TooltipLater(command2_, "Select Folder to Mount");
    // The status line spans its row to the pane's edge, at least a line of
    // text high: a new text is then set without resizing the label, which
    // paints its whole face in the pane's colour and so looks the same as a
    // label fitted to its text.
    layout::Rect statusRect = layout::lblStatus;
    statusRect.width = layout::Picture2.width - layout::lblStatus.left;
    lblStatus_ = AddControl(picture2_, "STATIC", "Virtual Drives", WS_VISIBLE | SS_LEFTNOWORDWRAP,
                            ids::lblStatus, statusRect);
    FitStatusLine();
    CreateDriveList();

    FitToText(AddControl(picture2_, "STATIC", "Available Drive Letters", WS_VISIBLE, ids::Label2,
                         layout::Label2));
    // A drop-down list's height includes its open list.
    layout::Rect comboRect = layout::Combo1;
    comboRect.height = 3000;
    combo1_ = AddControl(picture2_, "COMBOBOX", "", tabStop | WS_VSCROLL | CBS_DROPDOWNLIST,
                         ids::Combo1, comboRect);
    HWND create =
        AddControl(picture2_, "BUTTON", "Create Drive", kButton, ids::Command3, layout::Command3);
    TooltipLater(create, "Create Virtual Drive");
    HWND removeDrive =
        AddControl(picture2_, "BUTTON", "Remove Drive", kButton, ids::Command4, layout::Command4);
    TooltipLater(removeDrive, "Remove Virtual Drive");
}

void MainWindow::CreateDriveList() {
    lstDrives_ = AddControl(
        picture2_, WC_LISTVIEWA, "",
        WS_VISIBLE | WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
        ids::lstDrives, layout::lstDrives, WS_EX_CLIENTEDGE);
    SendMessageA(lstDrives_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
    CreateImageList();
    SendMessageA(lstDrives_, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(images_.Get()));
    const struct {
        const char* header;
        int width;
    } columns[] = {{"Virtual Drive", layout::kDriveColumnWidth},
                   {"Actual Directory Path", layout::kFolderColumnWidth}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(columns[i].header);
        column.cx = Pixels(columns[i].width);
        column.iSubItem = i;
        SendMessageA(lstDrives_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&column));
    }
    TooltipLater(lstDrives_, "Click the Browse button to add a Virtual Drive");
}

void MainWindow::FitStatusLine() {
    SIZE line{};
    GetTextExtentPoint32A(textDc_.Get(), "Virtual Drives", 14, &line);
    RECT statusPlace{};
    GetClientRect(lblStatus_, &statusPlace);
    if (line.cy > statusPlace.bottom) {
        SetWindowPos(lblStatus_, nullptr, 0, 0, statusPlace.right, line.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::OnScaleChanged() {
    SelectObject(textDc_.Get(), font_.Get());
    // The list lets go of the old pictures only once it holds the new ones.
    const ImageListHandle oldImages(images_.Release());
    CreateImageList();
    SendMessageA(lstDrives_, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(images_.Get()));
    SendMessageA(lstDrives_, LVM_SETCOLUMNWIDTH, 0, Pixels(layout::kDriveColumnWidth));
    SendMessageA(lstDrives_, LVM_SETCOLUMNWIDTH, 1, Pixels(layout::kFolderColumnWidth));
    FitStatusLine();
    FitToText(GetDlgItem(picture2_, ids::Label2));
    if (picture1_ != nullptr) {
        FitToText(GetDlgItem(picture1_, ids::Label3));
    }
}

void MainWindow::CreateOptionsPane() {
    if (fraOptions_ != nullptr) {
        return;
    }
    fraOptions_ = AddControl(Handle(), kPaneClass, "", WS_CLIPSIBLINGS | WS_DISABLED,
                             ids::fraOptions, layout::fraOptions, WS_EX_CONTROLPARENT);
    const layout::Rect whole{0, 0, layout::fraOptions.width, layout::fraOptions.height};
    AddControl(fraOptions_, "BUTTON", "On Windows Startup", WS_VISIBLE | BS_GROUPBOX, 0, whole);
    picture1_ = AddControl(fraOptions_, kPaneClass, "", WS_VISIBLE | WS_CLIPCHILDREN, ids::Picture1,
                           layout::Picture1, WS_EX_CONTROLPARENT);

    // The options in their Tab and arrow order; the first opens their group
    // and the label after the last closes it.
    const DWORD option = WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
    AddControl(picture1_, "BUTTON", "Don't run Kestrova or Mount Virtual Drives", option | WS_GROUP,
               ids::optNone, layout::optNone);
    AddControl(picture1_, "BUTTON", "Run Kestrova in the System Tray and Mount Virtual Drives",
               option, ids::optB, layout::optB);
    AddControl(picture1_, "BUTTON", "Mount Virtual Drives and then close Kestrova", option,
               ids::optM, layout::optM);
    AddControl(picture1_, "BUTTON",
               "Run Kestrova in the System Tray but don't mount Virtual Drives", option, ids::optT,
               layout::optT);
    ShowStartupOption(startupOption_);
    AddControl(picture1_, "STATIC", kLabel1Text, WS_VISIBLE | WS_GROUP | SS_LEFT, ids::Label1,
               layout::Label1);
    FitToText(AddControl(picture1_, "STATIC", "Double click a drive to open that folder. ",
                         WS_VISIBLE, ids::Label3, layout::Label3));
    TooltipLater(AddControl(picture1_, "BUTTON", "&Back", kButton, ids::cmdBack, layout::cmdBack),
                 "Back to main window");
}

void MainWindow::TooltipLater(HWND control, const char* text) {
    if (tooltipsMade_) {
        AddTooltip(control, text);
    } else {
        laterTooltips_.emplace_back(control, text);
    }
}

void MainWindow::CreateTooltips() {
    if (tooltipsMade_) {
        return;
    }
    tooltipsMade_ = true;
    for (const auto& [control, text] : laterTooltips_) {
        AddTooltip(control, text);
    }
    laterTooltips_.clear();
    // The list's tip follows the table as the mouse moves over the list.
    SetWindowSubclass(lstDrives_, ListProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
    Mark("tooltips added");
}

LRESULT CALLBACK MainWindow::ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR /*subclassId*/, DWORD_PTR data) {
    if (message == WM_MOUSEMOVE) {
        reinterpret_cast<MainWindow*>(data)->form_.lstDrives_MouseMove();
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void MainWindow::Unload() {
    if (form_.Form_Unload(CloseKind::User)) {
        Destroy();
    }
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
            showRequest_ = RegisterWindowMessageA(ShowMessageName());
            CreateControls();
            return 0;
        case WM_SETCURSOR:
            // The mouse is over the window (or one of its controls, which
            // pass this on): the tooltips are needed from now on.
            CreateTooltips();
            return DefaultHandling(message, wParam, lParam);
        case ids::kTrayCallbackMessage: OnTrayCallback(LOWORD(lParam)); return 0;
        case WM_SYSCOMMAND:
            // The close box, the system menu and Alt+F4 may send the window
            // to the tray instead.
            if ((wParam & 0xFFF0) == SC_CLOSE && !form_.Form_QueryUnload(true)) {
                return 0;
            }
            return DefaultHandling(message, wParam, lParam);
        case WM_SIZE: form_.Form_Resize(wParam == SIZE_MINIMIZED); return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == lstDrives_) {
                ShowListMenu(lParam);
                return 0;
            }
            return DefaultHandling(message, wParam, lParam);
        case WM_CLOSE:
            // A close asked for while subst.exe is waited for runs afterwards.
            if (form_.QueryClose()) {
                Unload();
            }
            return 0;
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION:
            // Windows ends the process after this message without destroying
            // the window, so the table is saved here.
            if (wParam != FALSE) {
                form_.Form_Unload(CloseKind::SessionEnd);
            }
            return 0;
        case WM_DESTROY:
            RemoveWindowSubclass(lstDrives_, ListProcedure, 1);
            PostQuitMessage(0);
            return 0;
        default: return OnOtherMessage(message, wParam, lParam);
    }
}

// The mouse message over the tray icon, as the icon's callback gives it.
void MainWindow::OnTrayCallback(UINT mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONUP: form_.TrayIcon_Event(TrayEvent::Click); break;
        case WM_LBUTTONDBLCLK: form_.TrayIcon_Event(TrayEvent::DoubleClick); break;
        case WM_RBUTTONUP: form_.TrayIcon_Event(TrayEvent::MenuRequest); break;
        default: break;
    }
}

// The registered messages, whose numbers are known only at run time.
LRESULT MainWindow::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        form_.TaskbarCreated();
        return 0;
    }
    if (message == showRequest_ && showRequest_ != 0) {
        // Another start of the program asks for this window.
        form_.mPopRestore_Click();
        return 0;
    }
    return DefaultHandling(message, wParam, lParam);
}

void MainWindow::OnCommand(int id, int code) {
    // The drop-down's own selection is the table's letter, whatever way the
    // user chose (mouse, arrow keys, a typed letter); a cancelled drop-down
    // has put its old one back by the time it closes.
    if (id == ids::Combo1) {
        if (code == CBN_SELCHANGE || code == CBN_CLOSEUP) {
            form_.Combo1_Click(Index(SendMessageA(combo1_, CB_GETCURSEL, 0, 0)));
        }
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    switch (id) {
        case ids::cmdAbout: about_.Show(instance_, Handle()); break;
        case ids::cmdOptions: form_.cmdOptions_Click(); break;
        case ids::cmdMount: form_.cmdMount_Click(); break;
        case ids::cmdRemove: form_.cmdRemove_Click(); break;
        case ids::cmdBack: form_.cmdBack_Click(); break;
        case ids::Command2: form_.Command2_Click(); break;
        case ids::Command3: Command3_Click(); break;
        case ids::Command4: form_.Command4_Click(); break;
        case ids::optT: form_.opt_Click(StartupOption::T); break;
        case ids::optM: form_.opt_Click(StartupOption::M); break;
        case ids::optB: form_.opt_Click(StartupOption::B); break;
        case ids::optNone: form_.opt_Click(StartupOption::None); break;
        case ids::mPopRestore: form_.mPopRestore_Click(); break;
        case ids::mPopExit: form_.mPopExit_Click(); break;
        case IDOK: EnterPressed(); break;
        default: break;
    }
}

void MainWindow::EnterPressed() {
    // The dialog keys send IDOK for Enter where no button has the focus: in
    // the drive list, it opens the selected drive.
    if (GetFocus() == lstDrives_) {
        ListKey(ListKey::Open);
    }
}

void MainWindow::Command3_Click() {
    const std::optional<std::size_t> current = Row(LVNI_FOCUSED);
    form_.Command3_Click(current, current && Row(LVNI_FOCUSED | LVNI_SELECTED) == current);
}

void MainWindow::ListKey(kestrova::ListKey key) {
    const auto count =
        static_cast<std::size_t>(SendMessageA(lstDrives_, LVM_GETSELECTEDCOUNT, 0, 0));
    form_.lstDrives_KeyDown(key, count, Row(LVNI_FOCUSED));
}

void MainWindow::ShowListMenu(LPARAM position) {
    POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    std::optional<std::size_t> row;
    if (position == -1) {
        // From the keyboard: at the selected row, as the system places it.
        row = Row(LVNI_SELECTED);
        RECT place{LVIR_LABEL, 0, 0, 0};
        if (!row || SendMessageA(lstDrives_, LVM_GETITEMRECT, *row,
                                 reinterpret_cast<LPARAM>(&place)) == 0) {
            return;
        }
        at = {place.left + Scaled(4, 96), place.bottom};
        ClientToScreen(lstDrives_, &at);
    } else {
        // From the mouse: at the mouse, for the row under it, which becomes
        // the selected one as a click makes it.
        LVHITTESTINFO hit{};
        hit.pt = at;
        ScreenToClient(lstDrives_, &hit.pt);
        const LRESULT index =
            SendMessageA(lstDrives_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (index < 0) {
            return;  // empty space: nothing of the menu applies there
        }
        row = static_cast<std::size_t>(index);
        if (Row(LVNI_SELECTED) != row) {
            form_.lstDrives_Click(row);
        }
    }
    MenuHandle menu(CreatePopupMenu());
    AppendMenuA(menu.Get(), MF_STRING, ids::mnuOpen, "&Open");
    AppendMenuA(menu.Get(), MF_STRING, ids::mnuRemoveDrive, "&Remove Drive");
    SetMenuDefaultItem(menu.Get(), ids::mnuOpen, FALSE);
    const auto chosen = static_cast<int>(TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                        at.x, at.y, 0, Handle(), nullptr));
    if (chosen == ids::mnuOpen) {
        ListKey(ListKey::Open);
    } else if (chosen == ids::mnuRemoveDrive) {
        ListKey(ListKey::Delete);
    }
}

std::optional<std::size_t> MainWindow::Row(UINT state) const {
    // The first row in that state: the current row (focused), the selected one.
    return Index(SendMessageA(lstDrives_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                              static_cast<LPARAM>(state)));
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != lstDrives_ || updatingList_) {
        return 0;
    }
    switch (header.code) {
        case NM_CLICK: form_.lstDrives_Click(Row(LVNI_SELECTED)); break;
        case NM_DBLCLK: {
            const auto count =
                static_cast<std::size_t>(SendMessageA(lstDrives_, LVM_GETSELECTEDCOUNT, 0, 0));
            form_.lstDrives_DblClick(count, Row(LVNI_FOCUSED));
            break;
        }
        case LVN_KEYDOWN: {
            const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey;
            if (key == VK_DELETE) {
                ListKey(ListKey::Delete);
            } else if (key == VK_F5) {
                ListKey(ListKey::Refresh);
            }
            break;
        }
        case LVN_ITEMCHANGED: {
            // Keyboard moves change the selection too; the mount list follows.
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if ((change.uChanged & LVIF_STATE) != 0 &&
                ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) != 0) {
                form_.SelectRow(Row(LVNI_SELECTED));
                const auto selected = form_.Table().Selected();
                SendMessageA(lstMount_, LB_SETCURSEL,
                             selected ? static_cast<WPARAM>(*selected) : static_cast<WPARAM>(-1),
                             0);
            }
            break;
        }
        default: break;
    }
    return 0;
}

void MainWindow::ShowTable(const DriveTable& table) {
    updatingList_ = true;
    std::vector<std::string> rows;
    rows.reserve(table.Count());
    for (const DriveRow& row : table.Rows()) {
        rows.push_back(row.letter + '\n' + row.folder + '\n' + (row.mounted ? "1" : "2"));
    }
    if (rows != shownRows_) {
        SendMessageA(lstDrives_, WM_SETREDRAW, FALSE, 0);
        SendMessageA(lstDrives_, LVM_DELETEALLITEMS, 0, 0);
        SendMessageA(lstMount_, LB_RESETCONTENT, 0, 0);
        for (std::size_t i = 0; i < table.Count(); ++i) {
            const DriveRow& row = table.Row(i);
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = static_cast<int>(i);
            item.pszText = const_cast<char*>(row.letter.c_str());
            item.iImage = row.mounted ? 0 : 1;
            SendMessageA(lstDrives_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
            LVITEMA folder{};
            folder.iSubItem = 1;
            folder.pszText = const_cast<char*>(row.folder.c_str());
            SendMessageA(lstDrives_, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&folder));
            const std::string entry = row.MountEntry();
            SendMessageA(lstMount_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        }
        SendMessageA(lstDrives_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(lstDrives_, nullptr, TRUE);
        shownRows_ = rows;
    }
    const auto selected = table.Selected();
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    // Clearing the selection also clears the current row.
    SendMessageA(lstDrives_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&state));
    if (selected) {
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(lstDrives_, LVM_SETITEMSTATE, *selected, reinterpret_cast<LPARAM>(&state));
    }
    SendMessageA(lstMount_, LB_SETCURSEL,
                 selected ? static_cast<WPARAM>(*selected) : static_cast<WPARAM>(-1), 0);
    updatingList_ = false;
}

void MainWindow::ShowLetters(const LetterList& letters) {
    SendMessageA(combo1_, CB_RESETCONTENT, 0, 0);
    for (const std::string& letter : letters.items) {
        SendMessageA(combo1_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(letter.c_str()));
    }
    SendMessageA(
        combo1_, CB_SETCURSEL,
        letters.selected ? static_cast<WPARAM>(*letters.selected) : static_cast<WPARAM>(-1), 0);
}

void MainWindow::FitToText(HWND label, const std::string& text) const {
    SIZE extent{};
    GetTextExtentPoint32A(textDc_.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    RECT rect{};
    GetClientRect(label, &rect);
    // As wide as the text, and as high as a line of it if it is not already.
    const int width = extent.cx + 2;
    if (rect.right != width || extent.cy > rect.bottom) {
        SetWindowPos(label, nullptr, 0, 0, width, std::max<LONG>(rect.bottom, extent.cy),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::FitToText(HWND label) const {
    char text[512] = {};
    GetWindowTextA(label, text, sizeof text);
    FitToText(label, text);
}

void MainWindow::SetStatus(const std::string& text) {
    // The label paints its whole face: nothing else of the pane is painted
    // again.
    SetWindowTextA(lblStatus_, text.c_str());
}

void MainWindow::SetFolderText(const std::string& text) {
    SetWindowTextA(text1_, text.c_str());
}

void MainWindow::SetListTooltip(const std::string& text) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(lstDrives_);
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

int MainWindow::ShowMessage(const std::string& text, int style) {
    return MessageBoxA(Handle(), text.c_str(), kTitle, static_cast<UINT>(style));
}

void MainWindow::ShowStartupOption(StartupOption option) {
    // Shown when the options pane is made, if it is not there yet.
    startupOption_ = option;
    if (picture1_ == nullptr) {
        return;
    }
    int id = ids::optNone;
    switch (option) {
        case StartupOption::T: id = ids::optT; break;
        case StartupOption::M: id = ids::optM; break;
        case StartupOption::B: id = ids::optB; break;
        case StartupOption::None: break;
    }
    CheckRadioButton(picture1_, ids::optT, ids::optNone, id);
}

void MainWindow::BringToFront(Pane pane) {
    if (pane == Pane::Options) {
        CreateOptionsPane();
    } else if (fraOptions_ == nullptr) {
        return;  // the main pane is the only one yet
    }
    HWND front = pane == Pane::Main ? fraMain_ : fraOptions_;
    HWND back = pane == Pane::Main ? fraOptions_ : fraMain_;
    // Already above the other pane: nothing to move, show, hide or paint again.
    bool above = true;
    for (HWND higher = GetWindow(front, GW_HWNDPREV); higher != nullptr;
         higher = GetWindow(higher, GW_HWNDPREV)) {
        if (higher == back) {
            above = false;
            break;
        }
    }
    EnableWindow(front, TRUE);
    // A control of the pane going behind gives the focus to the pane in front.
    HWND focus = GetFocus();
    const bool focusBehind = focus != nullptr && IsChild(back, focus);
    EnableWindow(back, FALSE);
    if (!above) {
        SetWindowPos(front, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        RedrawWindow(front, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
    }
    if (focusBehind) {
        FocusFirstControl();
    }
    if (!above) {
        ::ShowWindow(back, SW_HIDE);
    }
}

void MainWindow::PumpMessages() {
    PumpPendingMessages(HandleDialogKeys);
}

void MainWindow::ScreenAndWindowSize(double& screenWidth, double& screenHeight, double& windowWidth,
                                     double& windowHeight) {
    const double twipsPerPixel = 1440.0 / dpi_;
    RECT rect{};
    GetWindowRect(Handle(), &rect);
    screenWidth = GetSystemMetrics(SM_CXSCREEN) * twipsPerPixel;
    screenHeight = GetSystemMetrics(SM_CYSCREEN) * twipsPerPixel;
    windowWidth = (rect.right - rect.left) * twipsPerPixel;
    windowHeight = (rect.bottom - rect.top) * twipsPerPixel;
}

void MainWindow::MoveWindowTo(double left, double top) {
    const double pixelsPerTwip = dpi_ / 1440.0;
    // Rounded to the nearest pixel, also for a position left of or above the
    // screen (a window larger than the screen is centred at a negative one).
    SetWindowPos(Handle(), nullptr, static_cast<int>(std::lround(left * pixelsPerTwip)),
                 static_cast<int>(std::lround(top * pixelsPerTwip)), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::ShowWindow() {
    if (!IsWindowVisible(Handle())) {
        // The drive list lays out its rows and scroll bars when it first
        // draws itself; drawn here into a memory context while the window is
        // still hidden, it has done so before its first paint on screen,
        // where Wine's list view would otherwise draw each scroll bar three
        // times (about 20 ms). What the window shows is the same.
        MemoryDcHandle memory(CreateCompatibleDC(nullptr));
        SendMessageA(lstDrives_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()),
                     PRF_CLIENT);
    }
    ::ShowWindow(Handle(), SW_SHOW);
    Mark("shown, activated, focus set");
    UpdateWindow(Handle());
}

void MainWindow::AddNotificationIcon() {
    tray_ = {};
    tray_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    tray_.hWnd = Handle();
    tray_.uID = 1;
    tray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray_.uCallbackMessage = ids::kTrayCallbackMessage;
    tray_.hIcon = reinterpret_cast<HICON>(GetClassLongPtrA(Handle(), GCLP_HICONSM));
    if (tray_.hIcon == nullptr) {
        tray_.hIcon = reinterpret_cast<HICON>(GetClassLongPtrA(Handle(), GCLP_HICON));
    }
    // The tip: the title, a NUL, then blanks to the end of its 64 bytes.
    std::fill(std::begin(tray_.szTip), std::end(tray_.szTip), ' ');
    const char title[] = "Kestrova";
    std::copy(std::begin(title), std::end(title), std::begin(tray_.szTip));
    NotifyIcon(NIM_ADD, &tray_);
}

void MainWindow::ShowTrayMenu() {
    MenuHandle menu(CreatePopupMenu());
    AppendMenuA(menu.Get(), MF_STRING, ids::mPopRestore, "&Show Kestrova");
    AppendMenuA(menu.Get(), MF_STRING, ids::mPopExit, "&Close  Kestrova");
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu.Get(), 0, cursor.x, cursor.y, 0, Handle(), nullptr);
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessageA(Handle(), WM_NULL, 0, 0);
}

void MainWindow::SetForeground() {
    SetForegroundWindow(Handle());
}

void MainWindow::Repaint() {
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void MainWindow::HideWindow() {
    ::ShowWindow(Handle(), SW_HIDE);
}

void MainWindow::MinimizeWindow() {
    ::ShowWindow(Handle(), SW_MINIMIZE);
}

void MainWindow::RestoreWindow() {
    ::ShowWindow(Handle(), SW_RESTORE);
    SetForegroundWindow(Handle());
    ::ShowWindow(Handle(), SW_SHOW);
    // A window that was active while hidden is not activated again, so the
    // focus is handed back here.
    RestoreFocus();
}

void MainWindow::DeleteTrayIcon() {
    // The same record as at the add; nothing happens when none was added.
    if (tray_.cbSize != 0) {
        NotifyIcon(NIM_DELETE, &tray_);
    }
}

void MainWindow::UnloadOtherWindows() {
    about_.Unload();
}

bool MainWindow::BrowseForFolder(const std::string& prompt, std::string& folder) {
    return kestrova::BrowseForFolder(Handle(), prompt, folder);
}

void MainWindow::FocusBrowseButton() {
    SetFocus(command2_);
}

void MainWindow::DestroyNow() {
    Destroy();
}

void MainWindow::RequestClose() {
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void MainWindow::EndProcess() {
    ExitProcess(0);
}

void MainWindow::Mark(const char* phase) {
    kestrova::Mark(phase);
}

}  // namespace kestrova
