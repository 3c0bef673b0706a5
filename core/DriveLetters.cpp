#include "core/DriveLetters.h"

#include <cctype>

namespace kestrova {

void DriveLetters::ResetDriveLetters() {
    for (std::size_t i = 0; i < letters_.size(); ++i) {
        letters_[i] = std::string{static_cast<char>('a' + i), ':'};
    }
}

std::string LetterList::SelectedText() const {
    if (!selected || *selected >= items.size()) {
        return {};
    }
    return items[*selected];
}

void LetterList::SelectFirst() {
    if (items.empty()) {
        selected.reset();
    } else {
        selected = 0;
    }
}

void LetterList::RemoveFirst() {
    if (!items.empty()) {
        items.erase(items.begin());
    }
    selected.reset();
}

void FillList(LetterList& combo, const DriveLetters& driveLetters, FileSystem& fileSystem) {
    combo.items.clear();
    combo.selected.reset();
    for (const std::string& letter : driveLetters.Letters()) {
        if (fileSystem.DriveType(letter) == kDriveNoRootDir) {
            std::string upper = letter;
            upper[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[0])));
            combo.items.push_back(upper);
        }
    }
}

void RefreshLetterList(LetterList& combo, DriveLetters& driveLetters, FileSystem& fileSystem,
                       LetterRefresh caller) {
    driveLetters.ResetDriveLetters();
    FillList(combo, driveLetters, fileSystem);
    switch (caller) {
        case LetterRefresh::MountAll:
        case LetterRefresh::CreateDrive:
            combo.RemoveFirst();
            break;
        case LetterRefresh::StartUp:
        case LetterRefresh::RemoveDrive:
        case LetterRefresh::RemoveAll:
            break;
    }
    combo.SelectFirst();
}

}  // namespace kestrova
