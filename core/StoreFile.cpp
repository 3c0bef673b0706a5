#include "core/StoreFile.h"

#include <algorithm>
#include <cstdint>

#include "core/PathNames.h"
#include "core/StoreEntry.h"

namespace kestrova {

namespace {

bool IsBlank(const std::string& entry) {
    return std::all_of(entry.begin(), entry.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool IsUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x06 ? 2
                                   : (lead >> 4) == 0x0E ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x02) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

void AppendUtf8(std::string& text, std::uint32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16 text (after its byte-order mark) in the program's UTF-8. A lone
// surrogate or an odd last byte, which no editor writes, becomes U+FFFD.
std::string Utf16ToUtf8(const std::string& bytes, bool bigEndian) {
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<std::uint32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    constexpr std::uint32_t kReplacement = 0xFFFD;
    std::string text;
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        std::uint32_t code = unit(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = kReplacement;
        }
        AppendUtf8(text, code);
    }
    if (i < bytes.size()) {
        AppendUtf8(text, kReplacement);
    }
    return text;
}

std::string WithoutQuotes(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != '"') {
            result += c;
        }
    }
    return result;
}

}  // namespace

std::string StorePath(const std::string& programFolder) {
    // At a drive root the folder already ends in its backslash.
    if (!programFolder.empty() && programFolder.back() == '\\') {
        return programFolder + "Shrt.dat";
    }
    return programFolder + "\\Shrt.dat";
}

std::vector<std::string> SplitLines(const std::string& contents) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        const char c = contents[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < contents.size() && contents[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

std::string StoreText(FileSystem& fileSystem, const std::string& bytes) {
    if (bytes.size() >= 2) {
        const auto first = static_cast<unsigned char>(bytes[0]);
        const auto second = static_cast<unsigned char>(bytes[1]);
        if ((first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF)) {
            return Utf16ToUtf8(bytes.substr(2), first == 0xFE);
        }
    }
    return IsUtf8(bytes) ? bytes : fileSystem.FromLegacyCodePage(bytes);
}

ReadStatus LoadMountList(std::vector<std::string>& list, FileSystem& fileSystem,
                         const std::string& path) {
    std::string contents;
    const ReadStatus status = fileSystem.ReadWholeFile(path, contents);
    if (status == ReadStatus::Ok) {
        for (std::string& line : SplitLines(StoreText(fileSystem, contents))) {
            // A byte-order mark an editor put in is no part of an entry.
            if (line.rfind("\xEF\xBB\xBF", 0) == 0) {
                line.erase(0, 3);
            }
            list.push_back(std::move(line));
        }
    }
    return status;
}

void RemoveBlankEntries(std::vector<std::string>& list) {
    list.erase(std::remove_if(list.begin(), list.end(), IsBlank), list.end());
}

DriveRow ReadStoreLine(FileSystem& fileSystem, const std::string& line) {
    const SplitEntry split = SplitStoreEntry(line);
    DriveRow row;
    row.letter = split.letter;
    row.storedFolder = split.storedFolder;
    row.hasSeparator = split.hasSeparator;
    if (!row.Mountable()) {
        // Not a mapping: kept so it is written back, never taken for a drive.
        row.folder = row.storedFolder;
        return row;
    }
    row.mounted = DriveLeadsTo(fileSystem, row.letter, split.storedFolder);
    row.folder = IsQuotedUncFolder(split.storedFolder)
                     ? WithoutQuotes(split.storedFolder)
                     : GetLongName(fileSystem, split.storedFolder);
    return row;
}

ReadStatus LoadDriveTable(DriveTable& table, FileSystem& fileSystem, const std::string& path) {
    std::vector<std::string> entries;
    const ReadStatus status = LoadMountList(entries, fileSystem, path);
    if (status == ReadStatus::Failed) {
        table.SetStoreUnread(true);
        return status;
    }
    RemoveBlankEntries(entries);
    std::vector<DriveRow> rows;
    rows.reserve(entries.size());
    // The rows' folders share their parents, and often more: each folder is
    // looked up once for the whole read.
    RememberedNames names(fileSystem);
    for (const std::string& entry : entries) {
        rows.push_back(ReadStoreLine(names, entry));
    }
    table.ReplaceRows(std::move(rows));
    table.SetStoreUnread(false);
    return status;
}

std::string StoreLineFor(FileSystem& fileSystem, const DriveRow& row) {
    if (!row.Mountable()) {
        return row.MountEntry();
    }
    std::string stored = StoredFolderFor(fileSystem, row.folder);
    if (stored.empty()) {
        stored = row.storedFolder;
    }
    return row.letter + "-" + stored;
}

SaveStatus SaveDriveList(FileSystem& fileSystem, const DriveTable& list, const std::string& path) {
    if (list.StoreUnread()) {
        return SaveStatus::StoreUnread;
    }
    std::string contents;
    for (const DriveRow& row : list.Rows()) {
        contents += StoreLineFor(fileSystem, row);
        contents += "\r\n";
    }
    const std::string temporaryPath = path + ".tmp";
    if (!fileSystem.WriteNewFile(temporaryPath, contents)) {
        fileSystem.DeleteFileAt(temporaryPath);
        return SaveStatus::WriteFailed;
    }
    if (!fileSystem.ReplaceWith(temporaryPath, path)) {
        fileSystem.DeleteFileAt(temporaryPath);
        return SaveStatus::ReplaceFailed;
    }
    return SaveStatus::Saved;
}

}  // namespace kestrova
