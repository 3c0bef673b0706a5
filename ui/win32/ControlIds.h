#pragma once

// Control ids of the two windows, also used by the end-to-end tests to find
// the controls.
namespace kestrova::ids {

inline constexpr int cmdAbout = 101;
inline constexpr int cmdOptions = 102;
inline constexpr int cmdMount = 103;
inline constexpr int cmdRemove = 104;
inline constexpr int fraMain = 110;
inline constexpr int fraOptions = 111;
inline constexpr int Picture2 = 112;
inline constexpr int Picture1 = 113;
inline constexpr int Text1 = 120;
inline constexpr int Command2 = 121;
inline constexpr int lblStatus = 122;
inline constexpr int lstDrives = 123;
inline constexpr int Label2 = 124;
inline constexpr int Combo1 = 125;
inline constexpr int Command3 = 126;
inline constexpr int Command4 = 127;
inline constexpr int optT = 130;
inline constexpr int optM = 131;
inline constexpr int optB = 132;
inline constexpr int optNone = 133;
inline constexpr int Label1 = 134;
inline constexpr int Label3 = 135;
inline constexpr int cmdBack = 136;
inline constexpr int lstMount = 140;
inline constexpr int mPopRestore = 150;
inline constexpr int mPopExit = 151;
// The drive list's context menu.
inline constexpr int mnuOpen = 152;
inline constexpr int mnuRemoveDrive = 153;

// The About window's controls.
inline constexpr int picIcon = 300;
inline constexpr int lblTitle = 301;
inline constexpr int lblVersion = 302;
inline constexpr int lblAbout = 303;
inline constexpr int Frame2 = 304;
inline constexpr int lblDescription = 305;
inline constexpr int Frame1 = 306;
inline constexpr int lblDisclaimer = 307;
inline constexpr int Image1 = 308;
inline constexpr int aboutCommand1 = 309;
inline constexpr int aboutCommand2 = 310;
inline constexpr int aboutCommand3 = 311;
inline constexpr int aboutCommand4 = 312;

// The message through which the notification-area icon reports the mouse
// messages over it (in the low word of lParam). A message of its own, so
// that no mouse move over the window can pass for an icon click.
inline constexpr unsigned kTrayCallbackMessage = 0x8000 + 1;  // WM_APP + 1, as MainWindow asserts

}  // namespace kestrova::ids
