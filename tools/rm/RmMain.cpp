// rm /y PATH: deletes the folder tree (or the file, or the link) at PATH
// without asking. Clean-up batch files call it on folders they own, so it
// refuses any path that could reach a drive root, a share root or something
// other than a plain absolute path, and deletes nothing then.
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
            "usage: rm /y PATH  (deletes the folder tree at PATH without asking)\n");
        return kestrova::kRmExitUsage;
    }
    const kestrova::RmPathCheck check = kestrova::CheckRmPath(*operand);
    if (check.problem != kestrova::RmPathProblem::kNone) {
        kestrova::WriteError("rm: refusing to delete \"" + *operand +
                             "\": " + kestrova::DescribeRmPathProblem(check.problem) + "\n");
        return kestrova::kRmExitRefused;
    }
    return kestrova::RemoveTree(check.path);
}
