#pragma once

#include <string>

// What SaveLoop.exe and the test that kills it share.
namespace kestrova::faults {

enum Phase : long { kOutside, kWriting, kReplacing };

struct SaveRecord {
    volatile long phase;
    volatile long replaced;  // moves over Shrt.dat that succeeded
    volatile long failed;    // saves that did not succeed
    volatile long readOk;    // Shrt.dat was read at the start
    volatile long started;
};

// Two whole tables, every letter or three, of folders that do not exist, so
// that each row is saved exactly as stored.
inline std::string TableText(int which) {
    std::string text;
    for (char letter = 'A'; letter <= 'Z';
         letter = static_cast<char>(letter + (which == 0 ? 1 : 9))) {
        text += std::string(1, letter) + ":-C:\\KESTROVA-FAULTS\\NOT-HERE\\" + letter + "\r\n";
    }
    return text;
}

}  // namespace kestrova::faults
