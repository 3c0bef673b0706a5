#include "core/RemovalBatch.h"

#include <algorithm>
#include <cctype>

namespace kestrova {

std::string BatchQuoted(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        quoted += c;
        if (c == '%') {
            quoted += '%';
        }
    }
    return quoted + "\"";
}

bool BatchSafe(const std::string& path) {
    return !path.empty() && std::all_of(path.begin(), path.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte < 0x7F && c != '"';
    });
}

bool HasCleanupLine(const std::string& storedFolder) {
    // A drive letter, a colon, the root's backslash and at least one more
    // character that is not a separator.
    return storedFolder.size() > 3 && std::isalpha(static_cast<unsigned char>(storedFolder[0])) &&
           storedFolder[1] == ':' && storedFolder[2] == '\\' && storedFolder[3] != '\\' &&
           BatchSafe(storedFolder);
}

std::string CleanupLine(const std::string& storedFolder, const std::string& shortProgramFolder) {
    const std::string recycler = BatchQuoted(storedFolder + "\\RECYCLER");
    return "if exist " + recycler + " " + BatchQuoted(shortProgramFolder + "\\rm") + " /y " +
           recycler;
}

std::string SelfDeleteLine(const std::string& shortBatchFolder, const std::string& batchName) {
    return "del " + BatchQuoted(shortBatchFolder + batchName);
}

std::string RemovalBatchText(const std::vector<std::string>& storedFolders,
                             const std::string& shortProgramFolder,
                             const std::string& shortBatchFolder, const std::string& batchName) {
    std::string text;
    for (const std::string& folder : storedFolders) {
        if (HasCleanupLine(folder)) {
            text += CleanupLine(folder, shortProgramFolder) + "\r\n";
        }
    }
    text += SelfDeleteLine(shortBatchFolder, batchName) + "\r\n";
    text += "Exit\r\n";
    return text;
}

std::string BatchCommandLine(const std::string& interpreter, const std::string& batchName) {
    return "\"" + interpreter + "\" /d /v:off /c ." + batchName;
}

}  // namespace kestrova
