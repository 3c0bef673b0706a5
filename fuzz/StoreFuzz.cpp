// The store file and its entries over the fake file system. The input is the
// bytes of Shrt.dat: they are split into lines, loaded into the drive table,
// saved and loaded again; each line is taken apart as an entry, and each line
// and stored folder is asked for its long form. The properties hold for any
// input or are about entries in the form the program writes, so they stay
// true if the reader learns to refuse malformed lines.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "core/DriveTable.h"
#include "core/PathNames.h"
#include "core/StoreEntry.h"
#include "core/StoreFile.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/fakes/FakeFileSystem.h"

namespace {

using kestrova::DriveRow;
using kestrova::DriveTable;
using kestrova::ReadStatus;
using kestrova::SaveStatus;
using kestrova::testing::FakeFileSystem;

const std::string kStore = "C:\\Kestrova\\Shrt.dat";
constexpr std::size_t kMostLines = 64;

// Long folders with short forms, a name with a byte above 0x7F, a short form
// too long for GetShortPath's buffer, a hidden folder, a file, a mounted
// drive and one without a volume; names unique among siblings, as on a volume.
void AddSampleTree(FakeFileSystem& fileSystem) {
    fileSystem.AddDrive("C:");
    fileSystem.AddDrive("E:");
    fileSystem.AddDrive("G:", kestrova::kDriveNoRootDir);
    fileSystem.AddFolder("C:\\Kestrova");
    fileSystem.AddFolder("C:\\Program Files", "PROGRA~1");
    fileSystem.AddFolder("C:\\Program Files\\My Data", "MYDATA~1");
    fileSystem.AddFolder("C:\\Work");
    fileSystem.AddFolder("C:\\Work, old", "WORKOL~1");
    fileSystem.AddFolder("C:\\MY-DIR\\My-Folder", "MY-FOL~1");
    fileSystem.AddFolder(
        "C:\\Donn\xE9"
        "es",
        "DONNE~1");
    fileSystem.AddFolder("C:\\Hidden", "",
                         kestrova::kAttributeDirectory | kestrova::kAttributeHidden);
    fileSystem.AddFolder("C:\\" + std::string(161, 'b'));
    fileSystem.AddFile("C:\\Work\\notes.txt", "notes", "NOTES.TXT");
    fileSystem.AddFolder("E:\\Shared");
}

std::string Joined(const std::vector<std::string>& lines, const char* ending) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + ending;
    }
    return text;
}

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts(1);
    for (const char c : path) {
        if (c == '\\') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// Only a drive, its root's backslash and names below it have a long form,
// and the answer to anything else comes without a single directory query;
// no query holds a wildcard or an empty name. A long form keeps the drive
// part, has one long name per component and is its own long form; a path of
// plain names has one when it exists.
void CheckLongName(FakeFileSystem& fileSystem, const std::string& text) {
    fileSystem.ClearQueries();
    const std::string result = kestrova::GetLongName(fileSystem, text);
    const std::string detail = text + " gives " + result;
    const std::vector<std::string> parts = Components(text);
    const bool rooted = text.size() >= 4 && text[1] == ':' && text[2] == '\\';
    const bool plain =
        rooted && std::isalpha(static_cast<unsigned char>(text[0])) != 0 &&
        std::none_of(parts.begin() + 1, parts.end(), [](const std::string& part) {
            return part.empty() || part.find_first_of(std::string("*?\0", 3)) != std::string::npos;
        });
    KESTROVA_FUZZ_REQUIRE(rooted || (result.empty() && fileSystem.Queries().empty()), detail);
    for (const std::string& query : fileSystem.Queries()) {
        const std::vector<std::string> asked = Components(query);
        KESTROVA_FUZZ_REQUIRE(query.find_first_of("*?") == std::string::npos &&
                                  std::find(asked.begin() + 1, asked.end(), "") == asked.end(),
                              query);
    }
    KESTROVA_FUZZ_REQUIRE(plain ? result.empty() != fileSystem.Exists(text) : result.empty(),
                          detail);
    if (!result.empty()) {
        KESTROVA_FUZZ_REQUIRE(result.compare(0, 2, text, 0, 2) == 0, detail);
        KESTROVA_FUZZ_REQUIRE(Components(result).size() == parts.size(), detail);
        KESTROVA_FUZZ_REQUIRE(kestrova::GetLongName(fileSystem, result) == result, detail);
    }
}

// An entry is its letter, "-" and the stored folder (further "-" included).
// One in the form the program writes for a letter and a folder reads back
// as that folder and is written back unchanged. Returns whether it is one.
bool CheckEntry(FakeFileSystem& fileSystem, const std::string& line) {
    const kestrova::SplitEntry split = kestrova::SplitStoreEntry(line);
    KESTROVA_FUZZ_REQUIRE(split.letter.find('-') == std::string::npos, line);
    KESTROVA_FUZZ_REQUIRE(split.hasSeparator ? split.letter + "-" + split.storedFolder == line
                                             : split.letter == line && split.storedFolder.empty(),
                          line);
    CheckLongName(fileSystem, line);
    CheckLongName(fileSystem, split.storedFolder);

    const std::string& stored = split.storedFolder;
    const std::string folder = kestrova::IsQuotedUncFolder(stored)
                                   ? stored.substr(1, stored.size() - 2)
                                   : kestrova::GetLongName(fileSystem, stored);
    const bool written = split.letter.size() == 2 && split.letter[1] == ':' &&
                         std::isalpha(static_cast<unsigned char>(split.letter[0])) != 0 &&
                         !folder.empty() && folder.find('"') == std::string::npos &&
                         kestrova::IsAbsoluteFolder(stored) &&
                         kestrova::ComposeStoreEntry(fileSystem, split.letter, folder) == line;
    if (written) {
        const DriveRow row = kestrova::ReadStoreLine(fileSystem, line);
        KESTROVA_FUZZ_REQUIRE(row.folder == folder && row.MountEntry() == line, line);
        KESTROVA_FUZZ_REQUIRE(kestrova::StoreLineFor(fileSystem, row) == line, line);
    }
    return written;
}

bool SameRows(const DriveTable& a, const DriveTable& b) {
    return std::equal(a.Rows().begin(), a.Rows().end(), b.Rows().begin(), b.Rows().end(),
                      [](const DriveRow& left, const DriveRow& right) {
                          return left.letter == right.letter && left.folder == right.folder &&
                                 left.hasSeparator == right.hasSeparator &&
                                 left.mounted == right.mounted;
                      });
}

// Any store loads, keeps only lines of its text and in their order, and saves
// and loads again to the same rows and the same bytes.
void CheckStore(FakeFileSystem& fileSystem, const std::string& contents,
                const std::vector<std::string>& lines) {
    fileSystem.AddFile(kStore, contents);
    DriveTable table;
    KESTROVA_FUZZ_REQUIRE(kestrova::LoadDriveTable(table, fileSystem, kStore) == ReadStatus::Ok,
                          contents);
    auto line = lines.begin();
    for (const DriveRow& row : table.Rows()) {
        line = std::find(line, lines.end(), row.MountEntry());
        KESTROVA_FUZZ_REQUIRE(line++ != lines.end(), row.MountEntry());
    }
    KESTROVA_FUZZ_REQUIRE(kestrova::SaveDriveList(fileSystem, table, kStore) == SaveStatus::Saved,
                          contents);
    const std::string saved = fileSystem.Contents(kStore);
    DriveTable again;
    KESTROVA_FUZZ_REQUIRE(kestrova::LoadDriveTable(again, fileSystem, kStore) == ReadStatus::Ok,
                          saved);
    KESTROVA_FUZZ_REQUIRE(SameRows(table, again), saved);
    KESTROVA_FUZZ_REQUIRE(kestrova::SaveDriveList(fileSystem, again, kStore) == SaveStatus::Saved,
                          saved);
    KESTROVA_FUZZ_REQUIRE(fileSystem.Contents(kStore) == saved, saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    FakeFileSystem fileSystem;
    AddSampleTree(fileSystem);

    // Lines end at CR LF, LF or CR; written back with any of them they read the same.
    const std::vector<std::string> lines = kestrova::SplitLines(contents);
    for (const char* ending : {"\r\n", "\n", "\r"}) {
        KESTROVA_FUZZ_REQUIRE(kestrova::SplitLines(Joined(lines, ending)) == lines, contents);
    }

    // The entries in the program's own form, one per letter, make a store that
    // loads whole and saves back byte for byte.
    std::vector<std::string> written;
    std::set<char> letters;
    for (std::size_t i = 0; i < lines.size() && i < kMostLines; ++i) {
        KESTROVA_FUZZ_REQUIRE(lines[i].find_first_of("\r\n") == std::string::npos, lines[i]);
        if (CheckEntry(fileSystem, lines[i]) &&
            letters.insert(static_cast<char>(std::toupper(lines[i][0]))).second) {
            written.push_back(lines[i]);
        }
    }
    // (A file in the legacy code page is read converted: it is kept only
    // when it is the program's text already.)
    const std::string text = Joined(written, "\r\n");
    if (kestrova::StoreText(fileSystem, text) == text) {
        fileSystem.AddFile(kStore, text);
        DriveTable table;
        KESTROVA_FUZZ_REQUIRE(
            kestrova::LoadDriveTable(table, fileSystem, kStore) == ReadStatus::Ok &&
                table.MountEntries() == written,
            text);
        KESTROVA_FUZZ_REQUIRE(
            kestrova::SaveDriveList(fileSystem, table, kStore) == SaveStatus::Saved &&
                fileSystem.Contents(kStore) == text,
            text);
    }
    std::vector<std::string> read = kestrova::SplitLines(kestrova::StoreText(fileSystem, contents));
    for (std::string& line : read) {
        line.erase(0, line.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0);
    }
    CheckStore(fileSystem, contents, read);
    return 0;
}
