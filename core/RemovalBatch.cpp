#include "core/RemovalBatch.h"

#include <algorithm>
#include <cctype>

namespace kestrova {

std::string QuotedIfBlank(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool HasCleanupLine(const std::string& storedFolder) {
    // A drive letter, a colon, the root's backslash and at least one more
    // character that is neither a separator nor a quote.
    return storedFolder.size() > 3 && std::isalpha(static_cast<unsigned char>(storedFolder[0])) &&
           storedFolder[1] == ':' && storedFolder[2] == '\\' && storedFolder[3] != '\\' &&
           storedFolder.find('"') == std::string::npos && IsAscii(storedFolder);
}

std::string CleanupLine(const std::string& storedFolder, const std::string& shortProgramFolder) {
    const std::string recycler = QuotedIfBlank(storedFolder + "\\RECYCLER");
    return "if exist " + recycler + " " + QuotedIfBlank(shortProgramFolder + "\\rm") + " /y " +
           recycler;
}

std::string SelfDeleteLine(const std::string& shortProgramFolder, const std::string& batchName) {
    return "del " + QuotedIfBlank(shortProgramFolder + batchName);
}

std::string RemovalBatchText(const std::vector<std::string>& storedFolders,
                             const std::string& shortProgramFolder, const std::string& batchName) {
    std::string text;
    for (const std::string& folder : storedFolders) {
        if (HasCleanupLine(folder)) {
            text += CleanupLine(folder, shortProgramFolder) + "\r\n";
        }
    }
    text += SelfDeleteLine(shortProgramFolder, batchName) + "\r\n";
    text += "Exit\r\n";
    return text;
}

}  // namespace kestrova
