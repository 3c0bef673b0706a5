#pragma once

// Positions of the main window's controls in twips (1/1440 inch), relative to
// their container: left, top, width, height.
namespace kestrova::layout {

struct Rect {
    int left;
    int top;
    int width;
    int height;
};

inline constexpr int kClientWidth = 6480;
inline constexpr int kClientHeight = 4650;

inline constexpr Rect cmdAbout{173, 4220, 1215, 350};
inline constexpr Rect cmdOptions{1813, 4220, 1215, 350};
inline constexpr Rect cmdMount{3453, 4220, 1215, 350};
inline constexpr Rect cmdRemove{5093, 4220, 1215, 350};
inline constexpr Rect fraMain{173, 240, 6135, 3900};
inline constexpr Rect fraOptions{173, 240, 6135, 3900};
inline constexpr Rect Picture2{120, 240, 5895, 3615};
inline constexpr Rect Picture1{120, 240, 5800, 3495};
inline constexpr Rect Text1{120, 120, 5295, 285};
inline constexpr Rect Command2{5490, 112, 285, 300};
inline constexpr Rect lblStatus{120, 465, 930, 195};
inline constexpr Rect lstDrives{120, 705, 5655, 2175};
inline constexpr Rect Label2{240, 2985, 1590, 195};
inline constexpr Rect Combo1{240, 3195, 1590, 315};
inline constexpr Rect Command3{2280, 3150, 1455, 350};
inline constexpr Rect Command4{4200, 3150, 1455, 350};
inline constexpr Rect optT{240, 120, 5415, 195};
inline constexpr Rect optM{240, 480, 5415, 195};
inline constexpr Rect optB{240, 840, 5415, 195};
inline constexpr Rect optNone{240, 1200, 5415, 195};
inline constexpr Rect Label1{240, 1680, 5415, 1335};
inline constexpr Rect Label3{240, 3078, 2835, 195};
inline constexpr Rect cmdBack{4440, 3000, 1215, 350};
inline constexpr Rect lstMount{600, 5880, 5175, 1230};

inline constexpr int kDriveColumnWidth = 1200;
inline constexpr int kFolderColumnWidth = 4400;

}  // namespace kestrova::layout
