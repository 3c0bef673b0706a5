// Saves the drive table over and over, alternating between two complete
// tables, until it is killed. Usage: SaveLoop.exe STORE-PATH MAPPING-NAME
//
// At start it reads STORE-PATH as the program does and notes what it read in
// the shared record; then it saves the other table first, so every save
// changes the file. The phase of each save is kept in the record, so the
// test can tell where its kill landed.
#include <windows.h>

#include <string>
#include <vector>

#include "core/StoreFile.h"
#include "platform/win32/Win32FileSystem.h"
#include "tests/faults/SaveLoop.h"

namespace {

using kestrova::faults::SaveLoopRecord;

// The real file system, with the phase of the save noted around the two
// steps that touch the disk.
class PhaseFileSystem final : public kestrova::FileSystem {
  public:
    PhaseFileSystem(kestrova::FileSystem& inner, SaveLoopRecord& record)
        : inner_(inner), record_(record) {}

    std::string FindFirstName(const std::string& path, unsigned mask) override {
        return inner_.FindFirstName(path, mask);
    }
    unsigned ShortPathName(const std::string& path, char* buffer, unsigned size) override {
        return inner_.ShortPathName(path, buffer, size);
    }
    unsigned DriveType(const std::string& drive) override { return inner_.DriveType(drive); }
    kestrova::ReadStatus ReadWholeFile(const std::string& path, std::string& contents) override {
        return inner_.ReadWholeFile(path, contents);
    }
    bool WriteNewFile(const std::string& path, const std::string& contents) override {
        record_.phase = kestrova::faults::kPhaseWriting;
        const bool written = inner_.WriteNewFile(path, contents);
        record_.phase = kestrova::faults::kPhaseOutside;
        return written;
    }
    bool ReplaceWith(const std::string& from, const std::string& to) override {
        record_.phase = kestrova::faults::kPhaseReplacing;
        const bool replaced = inner_.ReplaceWith(from, to);
        // Counted before the phase ends: a kill outside this phase finds the
        // count matching the file.
        if (replaced) {
            InterlockedIncrement(&record_.replaced);
        }
        record_.phase = kestrova::faults::kPhaseOutside;
        return replaced;
    }
    bool DeleteFileAt(const std::string& path) override { return inner_.DeleteFileAt(path); }
    bool CreateFolder(const std::string& path) override { return inner_.CreateFolder(path); }
    std::string FromLegacyCodePage(const std::string& bytes) override { return bytes; }

  private:
    kestrova::FileSystem& inner_;
    SaveLoopRecord& record_;
};

kestrova::DriveTable TableOf(const std::string& text) {
    std::vector<kestrova::DriveRow> rows;
    for (const std::string& line : kestrova::SplitLines(text)) {
        kestrova::DriveRow row;
        row.letter = line.substr(0, 2);
        row.storedFolder = line.substr(3);
        row.folder = row.storedFolder;
        rows.push_back(row);
    }
    kestrova::DriveTable table;
    table.ReplaceRows(std::move(rows));
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const std::string storePath = argv[1];
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, argv[2]);
    if (mapping == nullptr) {
        return 2;
    }
    auto* record = static_cast<SaveLoopRecord*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SaveLoopRecord)));
    if (record == nullptr) {
        return 2;
    }

    kestrova::Win32FileSystem disk;
    PhaseFileSystem fileSystem(disk, *record);
    kestrova::DriveTable read;
    const kestrova::ReadStatus status = kestrova::LoadDriveTable(read, disk, storePath);
    record->readStatus = static_cast<long>(status);
    record->rowsRead = static_cast<long>(read.Count());

    const kestrova::DriveTable tables[] = {TableOf(kestrova::faults::LargeTableText()),
                                           TableOf(kestrova::faults::SmallTableText())};
    std::size_t next = read.Count() == tables[0].Count() ? 1 : 0;
    record->started = 1;
    for (;;) {
        const kestrova::SaveStatus saved =
            kestrova::SaveDriveList(fileSystem, tables[next], storePath);
        if (saved == kestrova::SaveStatus::Saved) {
            InterlockedIncrement(&record->savesDone);
        } else {
            InterlockedIncrement(&record->savesFailed);
        }
        next = 1 - next;
    }
}
