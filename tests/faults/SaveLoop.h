#pragma once

#include <string>

// What SaveLoop.exe and the test that kills it share.
namespace kestrova::faults {

enum Phase : long { kNotStarted, kOutside, kWriting, kReplacing };

struct SaveRecord {
    volatile long phase;
    volatile long replaced;  // moves over Shrt.dat that succeeded
    volatile long failed;    // the read of Shrt.dat at the start and saves that did not succeed
};

// Two tables (every letter, every ninth) of folders not there, so each row is saved as stored.
inline std::string TableText(int which) {
    std::string text;
    for (char letter = 'A'; letter <= 'Z';
         letter = static_cast<char>(letter + (which == 0 ? 1 : 9))) {
        text += std::string(1, letter) + ":-C:\\KESTROVA-FAULTS\\NOT-HERE\\" + letter + "\r\n";
    }
    return text;
}

}  // namespace kestrova::faults
