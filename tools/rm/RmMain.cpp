// rm /y PATH: deletes the recycle bin folder at PATH without asking. Clean-up
// batch files call it on the RECYCLER folder of a folder whose drive is gone,
// and a broken batch line can hand it any other path, so it deletes a folder
// only when it is plainly such a bin, and otherwise deletes nothing.
//
// PATH is first held to the path rules (CheckRmPath): a plain absolute path
// below a drive or share root, "." and ".." resolved. Then the entry there is
// listed two levels deep, links never entered, and all of this must hold
// (names compare without regard to case, as the file system does):
// - it is a folder, not a file and not a link, junction or other reparse
//   point, and its own name on disk is RECYCLER;
// - it holds at least one entry, and every entry is a folder (not a reparse
//   point) named by a security identifier: "S-1-" then decimal numbers
//   separated by single dashes, such as S-1-5-18 or
//   S-1-5-21-1004336348-1177238915-682003330-1000;
// - every entry of those folders (there may be none) is not a reparse point
//   and is either one of the bin's own files INFO2, INFO or desktop.ini (a
//   file, not a folder) or a deleted item, a file or folder named D, a drive
//   letter, decimal digits and optionally a dot and an extension (Dc1.txt,
//   DC12, De3.tar.gz). What a deleted folder holds is not looked at; links in
//   it are removed as links, never entered.
// Only after the whole listing has passed is anything deleted, and then only
// the listed entries and the folders that held them. Otherwise rm names the
// path and the entry at fault on stderr and exits with kRmExitNotABin.
#include <optional>
#include <string>
#include <vector>

#include "tools/rm/RmRules.h"
#include "tools/rm/TreeRemoval.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    const std::optional<std::string> operand = kestrova::ParseRmArguments(arguments);
    if (!operand) {
        kestrova::WriteError(
            "usage: rm /y PATH  (deletes the recycle bin folder PATH, a RECYCLER, without "
            "asking)\n");
        return kestrova::kRmExitUsage;
    }
    const kestrova::RmPathCheck check = kestrova::CheckRmPath(*operand);
    if (check.problem != kestrova::RmPathProblem::kNone) {
        kestrova::WriteError("rm: refusing to delete \"" + *operand +
                             "\": " + kestrova::DescribeRmPathProblem(check.problem) + "\n");
        return kestrova::kRmExitRefused;
    }
    kestrova::RmEntry bin;
    int failure = kestrova::kRmExitNotABin;
    if (!kestrova::ListRecycleBin(check.path, bin, failure)) {
        return failure;
    }
    const kestrova::RmBinCheck binCheck = kestrova::CheckRecycleBin(bin);
    if (binCheck.problem != kestrova::RmBinProblem::kNone) {
        kestrova::WriteError("rm: refusing to delete \"" + check.path + "\": not a recycle bin: " +
                             kestrova::DescribeRmBinCheck(binCheck) + "\n");
        return kestrova::kRmExitNotABin;
    }
    return kestrova::RemoveRecycleBin(bin);
}
