// The store file as the program reads it: the bytes of Shrt.dat, split into
// lines, loaded into the drive table, saved and loaded again.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/DriveTable.h"
#include "core/StoreFile.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/fakes/FakeFileSystem.h"

namespace {

using kestrova::DriveRow;
using kestrova::DriveTable;
using kestrova::ReadStatus;
using kestrova::SaveStatus;
using kestrova::fuzz::kSampleStore;

std::string Joined(const std::vector<std::string>& lines, const std::string& ending) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += ending;
    }
    return text;
}

// Every line read comes back from the same lines written with any of the
// three line endings the reader accepts.
void CheckLines(const std::string& contents, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        KESTROVA_FUZZ_REQUIRE(line.find_first_of("\r\n") == std::string::npos, line);
    }
    for (const char* ending : {"\r\n", "\n", "\r"}) {
        KESTROVA_FUZZ_REQUIRE(kestrova::SplitLines(Joined(lines, ending)) == lines, contents);
    }
}

bool SameRows(const DriveTable& a, const DriveTable& b) {
    if (a.Count() != b.Count()) {
        return false;
    }
    for (std::size_t i = 0; i < a.Count(); ++i) {
        const DriveRow& left = a.Row(i);
        const DriveRow& right = b.Row(i);
        if (left.letter != right.letter || left.folder != right.folder ||
            left.hasSeparator != right.hasSeparator || left.mounted != right.mounted) {
            return false;
        }
    }
    return true;
}

std::string Describe(const DriveTable& table) {
    std::string text;
    for (const DriveRow& row : table.Rows()) {
        text += "[" + row.letter + "|" + row.folder + "|" + row.storedFolder + "|" +
                (row.hasSeparator ? "-" : "no -") + (row.mounted ? "|mounted" : "") + "] ";
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    kestrova::testing::FakeFileSystem fileSystem;
    kestrova::fuzz::AddSampleTree(fileSystem);
    fileSystem.AddFile(kSampleStore, contents);

    const std::vector<std::string> lines = kestrova::SplitLines(contents);
    CheckLines(contents, lines);

    // The mount list gets every line, in order and unchanged, after what it held.
    std::vector<std::string> list = {"kept"};
    KESTROVA_FUZZ_REQUIRE(kestrova::LoadMountList(list, fileSystem, kSampleStore) == ReadStatus::Ok,
                          contents);
    KESTROVA_FUZZ_REQUIRE(list.size() == lines.size() + 1 && list.front() == "kept", contents);
    KESTROVA_FUZZ_REQUIRE(std::equal(lines.begin(), lines.end(), list.begin() + 1), contents);
    kestrova::RemoveBlankEntries(list);
    const std::vector<std::string> entries(list.begin() + 1, list.end());

    // The table holds one row per entry that is not blank, each the entry
    // exactly as stored.
    DriveTable table;
    table.Append(DriveRow{"Z:", "C:\\Work", "C:\\Work", true, false});
    table.Select(0);
    KESTROVA_FUZZ_REQUIRE(
        kestrova::LoadDriveTable(table, fileSystem, kSampleStore) == ReadStatus::Ok, contents);
    KESTROVA_FUZZ_REQUIRE(!table.StoreUnread() && !table.Selected(), contents);
    KESTROVA_FUZZ_REQUIRE(table.MountEntries() == entries, contents);
    for (const DriveRow& row : table.Rows()) {
        KESTROVA_FUZZ_REQUIRE(row.hasSeparator == (row.MountEntry().find('-') != std::string::npos),
                              row.MountEntry());
        KESTROVA_FUZZ_REQUIRE(row.hasSeparator || (row.folder.empty() && !row.mounted),
                              row.MountEntry());
    }

    // Saving what was read and reading it again gives the same table, and a
    // second save writes the same bytes: a save never changes an entry's
    // meaning.
    KESTROVA_FUZZ_REQUIRE(
        kestrova::SaveDriveList(fileSystem, table, kSampleStore) == SaveStatus::Saved, contents);
    KESTROVA_FUZZ_REQUIRE(!fileSystem.Exists(kSampleStore + ".tmp"), contents);
    const std::string saved = fileSystem.Contents(kSampleStore);
    const std::vector<std::string> savedLines = kestrova::SplitLines(saved);
    KESTROVA_FUZZ_REQUIRE(savedLines.size() == table.Count() && Joined(savedLines, "\r\n") == saved,
                          saved);

    DriveTable reread;
    KESTROVA_FUZZ_REQUIRE(
        kestrova::LoadDriveTable(reread, fileSystem, kSampleStore) == ReadStatus::Ok, saved);
    KESTROVA_FUZZ_REQUIRE(SameRows(table, reread),
                          "read: " + Describe(table) + " after the save: " + Describe(reread));
    KESTROVA_FUZZ_REQUIRE(
        kestrova::SaveDriveList(fileSystem, reread, kSampleStore) == SaveStatus::Saved, saved);
    KESTROVA_FUZZ_REQUIRE(fileSystem.Contents(kSampleStore) == saved,
                          saved + " then " + fileSystem.Contents(kSampleStore));

    // A store that cannot be read leaves the table as it was, and the table
    // then refuses to overwrite the file.
    fileSystem.SetUnreadable(kSampleStore);
    KESTROVA_FUZZ_REQUIRE(
        kestrova::LoadDriveTable(reread, fileSystem, kSampleStore) == ReadStatus::Failed, saved);
    KESTROVA_FUZZ_REQUIRE(reread.StoreUnread() && SameRows(table, reread), saved);
    KESTROVA_FUZZ_REQUIRE(
        kestrova::SaveDriveList(fileSystem, reread, kSampleStore) == SaveStatus::StoreUnread,
        saved);
    return 0;
}
