#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace kestrova {

// The table of the 26 drive letters, "a:" to "z:".
class DriveLetters {
  public:
    DriveLetters() { ResetDriveLetters(); }
    void ResetDriveLetters();
    const std::array<std::string, 26>& Letters() const { return letters_; }

  private:
    std::array<std::string, 26> letters_;
};

// The drop-down list of free letters (`Combo1`): its entries and selection.
struct LetterList {
    std::vector<std::string> items;
    std::optional<std::size_t> selected;

    // The selected letter, or the empty text when nothing is selected.
    std::string SelectedText() const;
    void SelectFirst();
    void RemoveFirst();
};

// Rebuilds the list with every letter that has no volume at its root, upper
// case, in alphabetical order; selects nothing.
void FillList(LetterList& combo, const DriveLetters& driveLetters, FileSystem& fileSystem);

// Who asks for the letter list to be rebuilt; each caller has its own ending.
enum class LetterRefresh {
    StartUp,      // select the first free letter
    RemoveDrive,  // likewise
    RemoveAll,    // likewise
    MountAll,     // drop the first free letter, then select the new first
    CreateDrive,  // likewise, when creating and when re-mounting
};

// Leaves out the letters that rows of the table hold, mounted or not
// (compared without regard to case), so a new drive never takes one.
void RemoveTakenLetters(LetterList& combo, const std::vector<std::string>& taken);

// `ResetDriveLetters`, `FillList`, the letters the table holds left out,
// then the caller's ending. An empty list stays empty without a selection.
void RefreshLetterList(LetterList& combo, DriveLetters& driveLetters, FileSystem& fileSystem,
                       LetterRefresh caller, const std::vector<std::string>& taken = {});

}  // namespace kestrova
