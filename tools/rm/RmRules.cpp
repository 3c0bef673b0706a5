#include "tools/rm/RmRules.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kestrova {

namespace {

char ToUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsAsciiLetter(char c) {
    return ToUpper(c) >= 'A' && ToUpper(c) <= 'Z';
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToUpper(a[i]) != ToUpper(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20;
}

bool IsForbiddenInName(char c) {
    return IsControl(c) || std::string_view("\"<>|").find(c) != std::string_view::npos;
}

bool IsWildcard(char c) {
    return c == '*' || c == '?';
}

// The file functions strip trailing dots and blanks from a name, so such a
// name reaches some other entry (and "..." reaches the folder itself).
bool EndsAmbiguously(std::string_view name) {
    return !name.empty() && (name.back() == '.' || name.back() == ' ');
}

// A name whose part before the first dot (trailing blanks ignored) is a DOS
// device is opened as that device in any folder.
bool IsDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                                 "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view device : kDevices) {
        if (EqualsIgnoringCase(base, device)) {
            return true;
        }
    }
    return base.size() == 4 &&
           (EqualsIgnoringCase(base.substr(0, 3), "COM") ||
            EqualsIgnoringCase(base.substr(0, 3), "LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

bool IsDotName(std::string_view name) {
    return name == "." || name == "..";
}

// The next backslash-separated component of text starting at position, and
// where the one after it starts (text.size() + 1 when there is none).
std::string_view NextComponent(std::string_view text, std::size_t& position) {
    const std::size_t end = std::min(text.find('\\', position), text.size());
    const std::string_view component = text.substr(position, end - position);
    position = end + 1;
    return component;
}

RmPathCheck Refuse(RmPathProblem problem) {
    return RmPathCheck{problem, {}};
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Moves position past the decimal digits there; false when there are none.
bool SkipDigits(std::string_view text, std::size_t& position) {
    const std::size_t start = position;
    while (position < text.size() && IsDigit(text[position])) {
        ++position;
    }
    return position > start;
}

// "S-1-" then decimal numbers separated by single dashes: a security
// identifier in its string form, which names each user's folder in a bin.
bool IsSidName(std::string_view name) {
    if (!EqualsIgnoringCase(name.substr(0, 4), "S-1-")) {
        return false;
    }
    std::size_t position = 4;
    while (SkipDigits(name, position)) {
        if (position == name.size()) {
            return true;
        }
        if (name[position] != '-') {
            return false;
        }
        ++position;
    }
    return false;
}

// The files a bin keeps about its items: the index (INFO2, or INFO on older
// systems) and the shell's settings for the folder.
bool IsBinOwnFileName(std::string_view name) {
    return EqualsIgnoringCase(name, "INFO2") || EqualsIgnoringCase(name, "INFO") ||
           EqualsIgnoringCase(name, "desktop.ini");
}

// The name a bin gives an item it holds: D, the letter of the drive it was
// deleted from, its number in the index and the extension it had (Dc12.txt).
bool IsDeletedItemName(std::string_view name) {
    if (name.size() < 3 || ToUpper(name[0]) != 'D' || !IsAsciiLetter(name[1])) {
        return false;
    }
    std::size_t position = 2;
    if (!SkipDigits(name, position)) {
        return false;
    }
    return position == name.size() || (name[position] == '.' && position + 1 < name.size());
}

RmBinCheck CheckSidFolder(const RmEntry& folder) {
    for (const RmEntry& item : folder.entries) {
        const std::string entry = folder.name + '\\' + item.name;
        if (item.isLink) {
            return RmBinCheck{RmBinProblem::kLink, entry};
        }
        const bool ownFile = !item.isFolder && IsBinOwnFileName(item.name);
        if (!ownFile && !IsDeletedItemName(item.name)) {
            return RmBinCheck{RmBinProblem::kNotABinItem, entry};
        }
    }
    return RmBinCheck{};
}

}  // namespace

std::optional<std::string> ParseRmArguments(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2 || !EqualsIgnoringCase(arguments[0], "/y")) {
        return std::nullopt;
    }
    return arguments[1];
}

namespace {

// The first fault of the path's characters and namespace, or kNone.
RmPathProblem CharacterProblem(std::string_view view) {
    // \\?\ and \\.\ pass the rest unparsed to the object manager, and \??\ is
    // its own name for the same; none of them is a plain file-system path.
    if (view.starts_with("\\??\\")) {
        return RmPathProblem::kDeviceNamespace;
    }
    if (view.starts_with("\\\\")) {
        std::size_t position = 2;
        const std::string_view server = NextComponent(view, position);
        if (server == "?" || server == ".") {
            return RmPathProblem::kDeviceNamespace;
        }
    }
    for (std::size_t i = 0; i < view.size(); ++i) {
        if (IsWildcard(view[i])) {
            return RmPathProblem::kWildcard;
        }
        // A colon belongs only after the drive letter; elsewhere it would name
        // an alternate data stream.
        const bool driveColon = view[i] == ':' && i == 1 && IsAsciiLetter(view[0]);
        if (IsForbiddenInName(view[i]) || (view[i] == ':' && !driveColon)) {
            return RmPathProblem::kInvalidCharacter;
        }
    }
    return RmPathProblem::kNone;
}

// Where the path's root ends: a drive letter's "C:" or a share's
// "\\server\share", and the position of the first component after it.
struct RmRoot {
    RmPathProblem problem = RmPathProblem::kNone;
    std::string text;
    std::size_t position = 0;
    bool share = false;
};

RmRoot ParseRoot(std::string_view view) {
    RmRoot root;
    if (view.starts_with("\\\\")) {
        root.share = true;
        root.position = 2;
        const std::string_view server = NextComponent(view, root.position);
        const std::string_view shareName =
            root.position <= view.size() ? NextComponent(view, root.position) : std::string_view();
        if (server.empty() || shareName.empty() || IsDotName(server) || IsDotName(shareName)) {
            root.problem = RmPathProblem::kShareRoot;
        } else if (EndsAmbiguously(server) || EndsAmbiguously(shareName)) {
            root.problem = RmPathProblem::kAmbiguousName;
        } else {
            root.text = "\\\\";
            root.text += server;
            root.text += '\\';
            root.text += shareName;
        }
    } else if (view[0] == '\\') {
        root.problem = RmPathProblem::kRootedWithoutDrive;
    } else if (view.size() >= 2 && view[1] == ':') {
        if (view.size() == 2) {
            root.problem = RmPathProblem::kDriveRoot;
        } else if (view[2] != '\\') {
            root.problem = RmPathProblem::kDriveRelative;
        } else {
            root.text = view.substr(0, 2);
            root.position = 3;
        }
    } else {
        root.problem = RmPathProblem::kRelative;
    }
    return root;
}

// Resolves "." and ".." as the file functions do: textually, and never above
// the root ("C:\.." is "C:\").
RmPathProblem ResolveComponents(std::string_view view, std::size_t position,
                                std::vector<std::string_view>& components) {
    while (position <= view.size()) {
        const std::string_view component = NextComponent(view, position);
        if (component.empty() || component == ".") {
            continue;
        }
        if (component == "..") {
            if (!components.empty()) {
                components.pop_back();
            }
            continue;
        }
        if (EndsAmbiguously(component)) {
            return RmPathProblem::kAmbiguousName;
        }
        if (IsDeviceName(component)) {
            return RmPathProblem::kDeviceName;
        }
        components.push_back(component);
    }
    return RmPathProblem::kNone;
}

}  // namespace

RmPathCheck CheckRmPath(const std::string& text) {
    if (text.empty()) {
        return Refuse(RmPathProblem::kEmpty);
    }
    std::string path = text;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    const std::string_view view = path;
    if (const RmPathProblem problem = CharacterProblem(view); problem != RmPathProblem::kNone) {
        return Refuse(problem);
    }
    const RmRoot root = ParseRoot(view);
    if (root.problem != RmPathProblem::kNone) {
        return Refuse(root.problem);
    }
    std::vector<std::string_view> components;
    if (const RmPathProblem problem = ResolveComponents(view, root.position, components);
        problem != RmPathProblem::kNone) {
        return Refuse(problem);
    }
    if (components.empty()) {
        return Refuse(root.share ? RmPathProblem::kShareRoot : RmPathProblem::kDriveRoot);
    }
    std::string resolved = root.text;
    for (const std::string_view component : components) {
        resolved += '\\';
        resolved += component;
    }
    if (resolved.size() > kRmMaxFolderPathChars) {
        return Refuse(RmPathProblem::kTooLong);
    }
    return RmPathCheck{RmPathProblem::kNone, resolved};
}

const char* DescribeRmPathProblem(RmPathProblem problem) {
    switch (problem) {
        case RmPathProblem::kNone: return "no problem";
        case RmPathProblem::kEmpty: return "the path is empty";
        case RmPathProblem::kInvalidCharacter:
            return "the path holds a character that no file name may contain";
        case RmPathProblem::kWildcard: return "the path holds a wildcard";
        case RmPathProblem::kDeviceNamespace:
            return "device and namespace paths (\\\\?\\, \\\\.\\) are not accepted";
        case RmPathProblem::kDeviceName: return "the path names a device";
        case RmPathProblem::kRelative:
            return "the path is relative; give a full path such as C:\\folder";
        case RmPathProblem::kDriveRelative:
            return "the path is relative to the current folder of its drive";
        case RmPathProblem::kRootedWithoutDrive: return "the path has no drive letter";
        case RmPathProblem::kDriveRoot: return "the path is the root of a drive";
        case RmPathProblem::kShareRoot:
            return "the path is a network server or the root of a network share";
        case RmPathProblem::kAmbiguousName:
            return "a name in the path ends in a dot or blank, which would be dropped";
        case RmPathProblem::kTooLong: return "the path is too long";
    }
    return "the path is not accepted";
}

bool IsPlainEntryName(const std::string& name) {
    if (name.empty() || IsDotName(name) || EndsAmbiguously(name) || IsDeviceName(name)) {
        return false;
    }
    return std::none_of(name.begin(), name.end(), [](const char c) {
        return c == '\\' || c == '/' || c == ':' || IsWildcard(c) || IsForbiddenInName(c);
    });
}

std::optional<std::string> RmChildPath(const std::string& folder, const std::string& longName,
                                       const std::string& shortName, bool isFolder) {
    const std::size_t limit = isFolder ? kRmMaxFolderPathChars : kRmMaxPathChars;
    for (const std::string* name : {&longName, &shortName}) {
        if (!IsPlainEntryName(*name)) {
            continue;
        }
        std::string path = folder + '\\' + *name;
        if (path.size() <= limit) {
            return path;
        }
    }
    return std::nullopt;
}

RmBinCheck CheckRecycleBin(const RmEntry& bin) {
    if (!EqualsIgnoringCase(bin.name, "RECYCLER")) {
        return RmBinCheck{RmBinProblem::kNotNamedRecycler, {}};
    }
    if (bin.isLink) {
        return RmBinCheck{RmBinProblem::kLink, {}};
    }
    if (!bin.isFolder) {
        return RmBinCheck{RmBinProblem::kNotAFolder, {}};
    }
    if (bin.entries.empty()) {
        return RmBinCheck{RmBinProblem::kEmpty, {}};
    }
    for (const RmEntry& folder : bin.entries) {
        if (folder.isLink) {
            return RmBinCheck{RmBinProblem::kLink, folder.name};
        }
        if (!folder.isFolder || !IsSidName(folder.name)) {
            return RmBinCheck{RmBinProblem::kNotASidFolder, folder.name};
        }
        RmBinCheck check = CheckSidFolder(folder);
        if (check.problem != RmBinProblem::kNone) {
            return check;
        }
    }
    return RmBinCheck{};
}

std::string DescribeRmBinCheck(const RmBinCheck& check) {
    const std::string entry = "\"" + check.entry + "\"";
    switch (check.problem) {
        case RmBinProblem::kNone: return "it is a recycle bin";
        case RmBinProblem::kNotNamedRecycler: return "its name is not RECYCLER";
        case RmBinProblem::kLink:
            return (check.entry.empty() ? "it" : entry) + " is a link or junction";
        case RmBinProblem::kNotAFolder: return "it is a file, not a folder";
        case RmBinProblem::kEmpty: return "it is empty";
        case RmBinProblem::kNotASidFolder:
            return entry + " is not a folder named by a security identifier (S-1-...)";
        case RmBinProblem::kNotABinItem:
            return entry + " is neither the bin's own INFO2, INFO or desktop.ini nor a " +
                   "deleted item (Dc1.txt)";
    }
    return "it is not a recycle bin";
}

}  // namespace kestrova
