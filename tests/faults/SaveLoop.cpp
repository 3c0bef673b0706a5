// SaveLoop.exe STORE MAPPING: saves two tables in turn until killed, noting its phase in MAPPING.
#include <windows.h>

#include "core/StoreFile.h"
#include "platform/win32/Win32FileSystem.h"
#include "tests/faults/SaveLoop.h"

namespace {

using namespace kestrova;

faults::SaveRecord* record = nullptr;

struct PhaseFileSystem final : Win32FileSystem {
    bool WriteNewFile(const std::string& path, const std::string& contents) override {
        record->phase = faults::kWriting;
        const bool written = Win32FileSystem::WriteNewFile(path, contents);
        record->phase = faults::kOutside;
        return written;
    }
    bool ReplaceWith(const std::string& from, const std::string& to) override {
        record->phase = faults::kReplacing;
        const bool replaced = Win32FileSystem::ReplaceWith(from, to);
        record->replaced = record->replaced + (replaced ? 1 : 0);  // before the phase ends
        record->phase = faults::kOutside;
        return replaced;
    }
};

}  // namespace

int main(int argc, char** argv) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, argc == 3 ? argv[2] : "");
    record = static_cast<faults::SaveRecord*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (record == nullptr) {
        return 2;
    }
    PhaseFileSystem fileSystem;
    DriveTable tables[2];
    for (int i = 0; i < 2; ++i) {
        for (const std::string& line : SplitLines(faults::TableText(i))) {
            tables[i].Append({line.substr(0, 2), "", line.substr(3), true, false});
        }
    }
    DriveTable read;  // and the other table saved first, so that every save changes the file
    record->failed = LoadDriveTable(read, fileSystem, argv[1]) == ReadStatus::Ok ? 0 : 1;
    for (std::size_t next = read.Count() == tables[0].Count() ? 1 : 0;; next = 1 - next) {
        record->phase = faults::kOutside;  // started
        if (SaveDriveList(fileSystem, tables[next], argv[1]) != SaveStatus::Saved) {
            record->failed = record->failed + 1;
        }
    }
}
