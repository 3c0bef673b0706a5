#include "core/DriveLetters.h"

#include <algorithm>
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

void RemoveTakenLetters(LetterList& combo, const std::vector<std::string>& taken) {
    const auto held = [&](const std::string& item) {
        return std::any_of(taken.begin(), taken.end(), [&](const std::string& letter) {
            return letter.size() == 2 && letter[1] == ':' &&
                   std::toupper(static_cast<unsigned char>(letter[0])) == item[0];
        });
    };
    combo.items.erase(std::remove_if(combo.items.begin(), combo.items.end(), held),
                      combo.items.end());
    combo.selected.reset();
}

void RefreshLetterList(LetterList& combo, DriveLetters& driveLetters, FileSystem& fileSystem,
                       LetterRefresh caller, const std::vector<std::string>& taken) {
    driveLetters.ResetDriveLetters();
    FillList(combo, driveLetters, fileSystem);
    RemoveTakenLetters(combo, taken);
    switch (caller) {
        case LetterRefresh::MountAll:
        case LetterRefresh::CreateDrive: combo.RemoveFirst(); break;
        case LetterRefresh::StartUp:
        case LetterRefresh::RemoveDrive:
        case LetterRefresh::RemoveAll: break;
    }
    combo.SelectFirst();
}

}  // namespace kestrova
