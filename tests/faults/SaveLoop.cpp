// Saves one of two whole tables after the other into Shrt.dat until it is
// killed, noting in shared memory, which outlives it, where each save stands.
// Usage: SaveLoop.exe STORE-PATH MAPPING-NAME
#include <windows.h>

#include "core/StoreFile.h"
#include "platform/win32/Win32FileSystem.h"
#include "tests/faults/SaveLoop.h"

namespace {

using namespace kestrova;

class PhaseFileSystem final : public Win32FileSystem {
  public:
    explicit PhaseFileSystem(faults::SaveRecord& record) : record_(record) {}
    bool WriteNewFile(const std::string& path, const std::string& contents) override {
        record_.phase = faults::kWriting;
        const bool written = Win32FileSystem::WriteNewFile(path, contents);
        record_.phase = faults::kOutside;
        return written;
    }
    bool ReplaceWith(const std::string& from, const std::string& to) override {
        record_.phase = faults::kReplacing;
        const bool replaced = Win32FileSystem::ReplaceWith(from, to);
        record_.replaced = record_.replaced + (replaced ? 1 : 0);  // before the phase ends
        record_.phase = faults::kOutside;
        return replaced;
    }

  private:
    faults::SaveRecord& record_;
};

}  // namespace

int main(int argc, char** argv) {
    HANDLE mapping = argc == 3 ? OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, argv[2]) : nullptr;
    auto* record = static_cast<faults::SaveRecord*>(
        mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0) : nullptr);
    if (record == nullptr) {
        return 2;
    }
    PhaseFileSystem fileSystem(*record);
    DriveTable tables[2];
    for (int i = 0; i < 2; ++i) {
        for (const std::string& line : SplitLines(faults::TableText(i))) {
            tables[i].Append({line.substr(0, 2), "", line.substr(3), true, false});
        }
    }
    DriveTable read;
    record->readOk = LoadDriveTable(read, fileSystem, argv[1]) == ReadStatus::Ok ? 1 : 0;
    // The other table first, so that every save changes the file.
    for (std::size_t next = read.Count() == tables[0].Count() ? 1 : 0;; next = 1 - next) {
        record->started = 1;
        if (SaveDriveList(fileSystem, tables[next], argv[1]) != SaveStatus::Saved) {
            record->failed = record->failed + 1;
        }
    }
}
