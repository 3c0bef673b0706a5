// The store file and its entries over the fake file system. The input is the bytes of Shrt.dat:
// split into lines, loaded into the drive table, saved and loaded again; each line is taken apart
// as an entry and asked for its long form. The properties hold for any input or are about entries
// in the form the program writes.

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

using namespace kestrova;
using testing::FakeFileSystem;
using Lines = std::vector<std::string>;

const std::string kStore = "C:\\Kestrova\\Shrt.dat";

// A broken property: prints its detail and aborts, so that libFuzzer saves the input.
void Require(bool holds, const char* property, const std::string& detail) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n  %.400s\n", property, detail.c_str());
        std::abort();
    }
}

std::string Joined(const Lines& lines, const char* ending) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + ending;
    }
    return text;
}

// Only names below a drive's root have a long form, asked for one component at a time: no query
// holds a wildcard or an empty name. A path of plain names has one when it exists, with as many
// components, and it is its own.
void CheckLongName(FakeFileSystem& fs, const std::string& text) {
    fs.ClearQueries();
    const std::string result = GetLongName(fs, text);
    const auto emptyName = [](const std::string& path) {
        return path.find("\\\\") != std::string::npos || (!path.empty() && path.back() == '\\');
    };
    const bool rooted = text.size() >= 4 && text[1] == ':' && text[2] == '\\';
    const bool plain = rooted && std::isalpha(static_cast<unsigned char>(text[0])) != 0 &&
                       text.find_first_of(std::string("*?\0", 3)) == std::string::npos &&
                       !emptyName(text);
    Require(rooted || (result.empty() && fs.Queries().empty()), "no query", text);
    for (const std::string& query : fs.Queries()) {
        Require(query.find_first_of("*?") == std::string::npos && !emptyName(query), "query",
                query);
    }
    Require(plain ? result.empty() != fs.Exists(text) : result.empty(), "found", text);
    Require(result.empty() || (std::count(result.begin(), result.end(), '\\') ==
                                   std::count(text.begin(), text.end(), '\\') &&
                               GetLongName(fs, result) == result),
            "long form", text + " gives " + result);
}

// An entry is its letter, "-" and the stored folder (further "-" included). One in the form the
// program writes for a letter and a folder reads back as that folder and is written back
// unchanged. Returns whether it is one.
bool CheckEntry(FakeFileSystem& fs, const std::string& line) {
    const SplitEntry split = SplitStoreEntry(line);
    const std::string& stored = split.storedFolder;
    Require(split.letter.find('-') == std::string::npos &&
                (split.hasSeparator ? split.letter + "-" + stored == line
                                    : split.letter == line && stored.empty()),
            "split", line);
    CheckLongName(fs, stored);
    const std::string folder =
        IsQuotedUncFolder(stored) ? stored.substr(1, stored.size() - 2) : GetLongName(fs, stored);
    const bool written = IsDriveText(split.letter) && !folder.empty() &&
                         folder.find('"') == std::string::npos && IsAbsoluteFolder(stored) &&
                         ComposeStoreEntry(fs, split.letter, folder) == line;
    if (written) {
        const DriveRow row = ReadStoreLine(fs, line);
        Require(row.folder == folder && StoreLineFor(fs, row) == line, "entry read back", line);
    }
    return written;
}

// The rows as the window shows them: letter, long folder and state.
Lines Shown(const DriveTable& table) {
    Lines rows;
    for (const DriveRow& row : table.Rows()) {
        rows.push_back(row.letter + "-" + row.folder + (row.mounted ? " mounted" : ""));
    }
    return rows;
}

// Loads `contents` as Shrt.dat into `table` and saves it; the bytes saved.
std::string LoadAndSave(FakeFileSystem& fs, const std::string& contents, DriveTable& table) {
    fs.AddFile(kStore, contents);
    Require(LoadDriveTable(table, fs, kStore) == ReadStatus::Ok &&
                SaveDriveList(fs, table, kStore) == SaveStatus::Saved,
            "loads and saves", contents);
    return fs.Contents(kStore);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    FakeFileSystem fs;
    // Long folders with short forms, a name above ASCII, a short form too long for GetShortPath's
    // buffer, a hidden folder, a file, a mounted drive and one without a volume.
    fs.AddDrive("E:");
    fs.AddDrive("G:", kDriveNoRootDir);
    fs.AddFolder("C:\\Kestrova");
    fs.AddFolder("C:\\Program Files\\My Data", "MYDATA~1");
    fs.AddFolder("C:\\Program Files", "PROGRA~1");
    fs.AddFolder("C:\\MY-DIR\\My-Folder", "MY-FOL~1");
    fs.AddFolder("C:\\Donn\xE9" + std::string("es"), "DONNE~1");
    fs.AddFolder("C:\\Hidden", "", kAttributeHidden);
    fs.AddFolder("C:\\" + std::string(161, 'b'));
    fs.AddFile("C:\\Work\\notes.txt", "notes", "NOTES.TXT");

    // Lines end at CR LF, LF or CR; written back with any of them they read the same.
    const Lines lines = SplitLines(contents);
    for (const char* ending : {"\r\n", "\n", "\r"}) {
        Require(SplitLines(Joined(lines, ending)) == lines, "lines", contents);
    }

    // The entries in the program's own form, one per letter, make a store that loads whole and
    // saves back byte for byte (when it is the program's text).
    Lines written;
    std::set<char> letters;
    for (std::size_t i = 0; i < lines.size() && i < 64; ++i) {
        if (CheckEntry(fs, lines[i]) &&
            letters.insert(static_cast<char>(std::toupper(lines[i][0]))).second) {
            written.push_back(lines[i]);
        }
    }
    const std::string text = Joined(written, "\r\n");
    DriveTable table;
    if (StoreText(fs, text) == text) {
        Require(LoadAndSave(fs, text, table) == text && table.MountEntries() == written,
                "written store", text);
    }

    // Any store loads with its non-blank lines as they are, and saves and loads again to the same
    // rows and the same bytes.
    const std::string saved = LoadAndSave(fs, contents, table);
    Lines read = SplitLines(StoreText(fs, contents));
    for (std::string& line : read) {
        line.erase(0, line.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0);
    }
    RemoveBlankEntries(read);
    Require(table.MountEntries() == read, "rows from lines", contents);
    DriveTable again;
    Require(LoadAndSave(fs, saved, again) == saved && Shown(again) == Shown(table), "saved store",
            saved);
    return 0;
}
