#pragma once

// What SaveLoop.exe and the test that kills it share: the tables it saves
// and the record it keeps in shared memory, which outlives a killed process
// while the test holds the mapping.

#include <string>

namespace kestrova::faults {

// Where a save stood when the process ended.
enum SavePhase : long {
    kPhaseOutside = 0,   // between two saves
    kPhaseWriting = 1,   // inside WriteNewFile of Shrt.dat.tmp
    kPhaseReplacing = 2  // inside the move of Shrt.dat.tmp over Shrt.dat
};

struct SaveLoopRecord {
    volatile long phase;
    volatile long replaced;     // moves over Shrt.dat that succeeded
    volatile long savesDone;    // saves that returned Saved
    volatile long savesFailed;  // saves that returned anything else
    volatile long rowsRead;     // rows of the table read at start
    volatile long readStatus;   // the ReadStatus of that read, as a number
    volatile long started;      // 1 once the first save is about to begin
};

// Two complete tables: every letter A: to Z:, and three rows. Their folders
// do not exist, so each row is saved exactly as stored.
inline std::string StoredFolderOf(char letter) {
    return std::string("C:\\KESTROVA-FAULTS\\NOT-HERE\\FOLDER-") + letter;
}

inline std::string LargeTableText() {
    std::string text;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        text += std::string(1, letter) + ":-" + StoredFolderOf(letter) + "\r\n";
    }
    return text;
}

inline std::string SmallTableText() {
    std::string text;
    for (char letter : {'H', 'Q', 'X'}) {
        text += std::string(1, letter) + ":-" + StoredFolderOf(letter) + "\r\n";
    }
    return text;
}

}  // namespace kestrova::faults
