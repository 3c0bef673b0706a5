#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

// Exit codes of rm.exe.
constexpr int kRmExitDeleted = 0;
constexpr int kRmExitUsage = 1;
constexpr int kRmExitRefused = 2;
constexpr int kRmExitNotFound = 3;
constexpr int kRmExitIncomplete = 4;
constexpr int kRmExitNotABin = 5;

// The longest path the ANSI file functions take: MAX_PATH less its NUL.
constexpr std::size_t kRmMaxPathChars = 259;
// A folder's path leaves room for the "\*" of its directory search.
constexpr std::size_t kRmMaxFolderPathChars = kRmMaxPathChars - 2;

// The path operand when the arguments (program name excluded) are exactly
// "/y PATH" (the switch in either case); nothing for any other command line.
std::optional<std::string> ParseRmArguments(const std::vector<std::string>& arguments);

enum class RmPathProblem {
    kNone,
    kEmpty,
    kInvalidCharacter,
    kWildcard,
    kDeviceNamespace,
    kDeviceName,
    kRelative,
    kDriveRelative,
    kRootedWithoutDrive,
    kDriveRoot,
    kShareRoot,
    kAmbiguousName,
    kTooLong,
};

struct RmPathCheck {
    RmPathProblem problem = RmPathProblem::kNone;
    // When the path is accepted: the path to delete, with "/" turned into "\",
    // empty, "." and ".." components resolved and no trailing backslash. The
    // file functions resolve a path the same way, so this is what they reach.
    std::string path;
};

// Accepts only a path that names something below a drive root ("C:\dir") or
// below a network share ("\\server\share\dir") once "." and ".." are resolved.
RmPathCheck CheckRmPath(const std::string& text);

// Why a path is refused, as a short phrase for the message.
const char* DescribeRmPathProblem(RmPathProblem problem);

// A directory entry's name that can be appended to its folder's path and
// reaches exactly that entry: no separators, wildcards or other characters the
// file functions reject, no trailing dot or blank (they would be stripped), and
// no device name (NUL, COM1, ...), which would name the device instead.
bool IsPlainEntryName(const std::string& name);

// The path of a directory entry inside folder: by its long name, or by its
// short (8.3) name when the long one is not plain (for example a character the
// code page cannot show, which arrives as "?") or makes the path too long.
// Nothing when neither name gives a usable path.
std::optional<std::string> RmChildPath(const std::string& folder, const std::string& longName,
                                       const std::string& shortName, bool isFolder);

// One entry of a folder as its directory listing gives it. A recycle bin is
// listed two levels deep: its own entries, and theirs for each of them that is
// a folder and not a link; nothing further down is listed.
struct RmEntry {
    std::string name;  // the long name
    std::string path;  // the path that reaches it; empty when no usable path does
    bool isFolder = false;
    bool isLink = false;  // a reparse point: a junction or symbolic link
    std::vector<RmEntry> entries;
};

enum class RmBinProblem {
    kNone,
    kNotNamedRecycler,
    kLink,
    kNotAFolder,
    kEmpty,
    kNotASidFolder,
    kNotABinItem,
};

struct RmBinCheck {
    RmBinProblem problem = RmBinProblem::kNone;
    // The entry at fault, relative to the bin (S-1-5-18\report.txt); empty
    // when the fault is the bin itself.
    std::string entry;
};

// Whether a listed folder is a recycle bin of the old kind and nothing else, so
// that it may be deleted whole: see the top of RmMain.cpp for the rule.
RmBinCheck CheckRecycleBin(const RmEntry& bin);

// Why a folder is not taken for a recycle bin, naming the entry at fault.
std::string DescribeRmBinCheck(const RmBinCheck& check);

}  // namespace kestrova
