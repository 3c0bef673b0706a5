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
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "core/DriveTable.h"
#include "core/PathNames.h"
#include "core/StoreEntry.h"
#include "core/StoreFile.h"
#include "tests/support/fakes/FakeFileSystem.h"

namespace {

using kestrova::DriveTable;
using kestrova::testing::FakeFileSystem;

const std::string kStore = "C:\\Kestrova\\Shrt.dat";
constexpr std::size_t kMostLines = 64;

// A broken property: prints its detail with bytes outside printable ASCII as
// \xNN and aborts, so that libFuzzer saves the input.
void Require(bool holds, const char* property, const std::string& detail) {
    if (holds) {
        return;
    }
    std::fprintf(stderr, "property broken: %s\n  ", property);
    for (const char c : detail.substr(0, 400)) {
        const auto byte = static_cast<unsigned char>(c);
        std::fprintf(stderr, byte >= 0x20 && byte < 0x7F ? "%c" : "\\x%02X", byte);
    }
    std::fprintf(stderr, "\n");
    std::abort();
}

// Long folders with short forms, a name with a byte above 0x7F, a short form
// too long for GetShortPath's buffer, a hidden folder, a file, a mounted
// drive and one without a volume; names unique among siblings, as on a volume.
void AddSampleTree(FakeFileSystem& fileSystem) {
    fileSystem.AddDrive("E:");
    fileSystem.AddDrive("G:", kestrova::kDriveNoRootDir);
    fileSystem.AddFolder("C:\\Kestrova");
    fileSystem.AddFolder("C:\\Program Files", "PROGRA~1");
    fileSystem.AddFolder("C:\\Program Files\\My Data", "MYDATA~1");
    fileSystem.AddFolder("C:\\Work, old", "WORKOL~1");
    fileSystem.AddFolder("C:\\MY-DIR\\My-Folder", "MY-FOL~1");
    fileSystem.AddFolder(
        "C:\\Donn\xE9"
        "es",
        "DONNE~1");
    fileSystem.AddFolder("C:\\Hidden", "", kestrova::kAttributeHidden);
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

// Only a drive's root and names below it have a long form, and the answer to
// anything else comes without a single directory query; no query holds a
// wildcard or an empty name. A path of plain names has a long form when it
// exists, which keeps the drive, has as many components and is its own.
void CheckLongName(FakeFileSystem& fileSystem, const std::string& text) {
    fileSystem.ClearQueries();
    const std::string result = kestrova::GetLongName(fileSystem, text);
    const std::string detail = text + " gives " + result;
    const auto emptyName = [](const std::string& path) {
        return path.find("\\\\") != std::string::npos || (!path.empty() && path.back() == '\\');
    };
    const bool rooted = text.size() >= 4 && text[1] == ':' && text[2] == '\\';
    const bool plain = rooted && std::isalpha(static_cast<unsigned char>(text[0])) != 0 &&
                       text.find_first_of(std::string("*?\0", 3)) == std::string::npos &&
                       !emptyName(text);
    Require(rooted || (result.empty() && fileSystem.Queries().empty()), "no query", detail);
    for (const std::string& query : fileSystem.Queries()) {
        Require(query.find_first_of("*?") == std::string::npos && !emptyName(query), "query",
                query);
    }
    Require(plain ? result.empty() != fileSystem.Exists(text) : result.empty(), "found", detail);
    if (!result.empty()) {
        Require(result.compare(0, 2, text, 0, 2) == 0 &&
                    std::count(result.begin(), result.end(), '\\') ==
                        std::count(text.begin(), text.end(), '\\') &&
                    kestrova::GetLongName(fileSystem, result) == result,
                "long form", detail);
    }
}

// An entry is its letter, "-" and the stored folder (further "-" included).
// One in the form the program writes for a letter and a folder reads back
// as that folder and is written back unchanged. Returns whether it is one.
bool CheckEntry(FakeFileSystem& fileSystem, const std::string& line) {
    const kestrova::SplitEntry split = kestrova::SplitStoreEntry(line);
    const std::string& stored = split.storedFolder;
    Require(split.letter.find('-') == std::string::npos &&
                (split.hasSeparator ? split.letter + "-" + stored == line
                                    : split.letter == line && stored.empty()),
            "split", line);
    CheckLongName(fileSystem, line);
    CheckLongName(fileSystem, stored);

    const std::string folder = kestrova::IsQuotedUncFolder(stored)
                                   ? stored.substr(1, stored.size() - 2)
                                   : kestrova::GetLongName(fileSystem, stored);
    const bool written = split.letter.size() == 2 && split.letter[1] == ':' &&
                         std::isalpha(static_cast<unsigned char>(split.letter[0])) != 0 &&
                         !folder.empty() && folder.find('"') == std::string::npos &&
                         kestrova::IsAbsoluteFolder(stored) &&
                         kestrova::ComposeStoreEntry(fileSystem, split.letter, folder) == line;
    if (written) {
        const kestrova::DriveRow row = kestrova::ReadStoreLine(fileSystem, line);
        Require(row.folder == folder && row.MountEntry() == line &&
                    kestrova::StoreLineFor(fileSystem, row) == line,
                "entry read back", line);
    }
    return written;
}

// The rows as the window shows them: letter, long folder and state.
std::vector<std::string> Shown(const DriveTable& table) {
    std::vector<std::string> rows;
    for (const kestrova::DriveRow& row : table.Rows()) {
        rows.push_back(row.letter + (row.hasSeparator ? "-" : "") + row.folder +
                       (row.mounted ? " mounted" : ""));
    }
    return rows;
}

// Loads `contents` as Shrt.dat into `table` and saves it; the bytes saved.
std::string LoadAndSave(FakeFileSystem& fileSystem, const std::string& contents,
                        DriveTable& table) {
    fileSystem.AddFile(kStore, contents);
    Require(kestrova::LoadDriveTable(table, fileSystem, kStore) == kestrova::ReadStatus::Ok,
            "loads", contents);
    Require(kestrova::SaveDriveList(fileSystem, table, kStore) == kestrova::SaveStatus::Saved,
            "saves", contents);
    return fileSystem.Contents(kStore);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    FakeFileSystem fileSystem;
    AddSampleTree(fileSystem);

    // Lines end at CR LF, LF or CR; written back with any of them they read the same.
    const std::vector<std::string> lines = kestrova::SplitLines(contents);
    for (const char* ending : {"\r\n", "\n", "\r"}) {
        Require(kestrova::SplitLines(Joined(lines, ending)) == lines, "lines", contents);
    }

    // The entries in the program's own form, one per letter, make a store that
    // loads whole and saves back byte for byte. (A file in the legacy code
    // page is read converted: it is kept only when it is the program's text.)
    std::vector<std::string> written;
    std::set<char> letters;
    for (std::size_t i = 0; i < lines.size() && i < kMostLines; ++i) {
        Require(lines[i].find_first_of("\r\n") == std::string::npos, "one line", lines[i]);
        if (CheckEntry(fileSystem, lines[i]) &&
            letters.insert(static_cast<char>(std::toupper(lines[i][0]))).second) {
            written.push_back(lines[i]);
        }
    }
    const std::string text = Joined(written, "\r\n");
    if (kestrova::StoreText(fileSystem, text) == text) {
        DriveTable table;
        Require(LoadAndSave(fileSystem, text, table) == text && table.MountEntries() == written,
                "written store", text);
    }

    // Any store loads, keeps only lines of its text (a byte-order mark at a
    // line's start dropped) and in their order, and saves and loads again to
    // the same rows and the same bytes.
    std::vector<std::string> read = kestrova::SplitLines(kestrova::StoreText(fileSystem, contents));
    for (std::string& line : read) {
        line.erase(0, line.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0);
    }
    DriveTable table;
    DriveTable again;
    const std::string saved = LoadAndSave(fileSystem, contents, table);
    auto line = read.begin();
    for (const std::string& entry : table.MountEntries()) {
        line = std::find(line, read.end(), entry);
        Require(line++ != read.end(), "rows from lines", entry);
    }
    Require(LoadAndSave(fileSystem, saved, again) == saved && Shown(again) == Shown(table),
            "saved store", saved);
    return 0;
}
