#include "ui/Removal.h"

#include "core/MountEngine.h"
#include "core/PathNames.h"
#include "core/RemovalBatch.h"

namespace kestrova {

bool Removal::StartCleanup(const std::vector<std::string>& storedFolders,
                           const std::string& batchName, const std::string& storePath) {
    const auto shortForm = [this](const std::string& folder) {
        const std::string shortFolder = GetShortPath(fileSystem_, folder);
        return shortFolder.empty() ? folder : shortFolder;
    };
    // rm.exe is beside the program; the batch file is beside the table, which
    // is where Kestrova can write.
    const std::string batchFolder = storePath.substr(0, storePath.find_last_of('\\'));
    const std::string shortProgram = shortForm(programFolder_);
    const std::string shortBatch = shortForm(batchFolder);
    if (!BatchSafe(shortProgram) || !BatchSafe(shortBatch)) {
        return false;  // the command interpreter might read the folder otherwise
    }
    const std::string batch = batchFolder + batchName;
    const bool written = fileSystem_.WriteNewFile(
        batch, RemovalBatchText(storedFolders, shortProgram, shortBatch, batchName));
    if (!written) {
        // A batch file cut off by a full disk could be run later with a
        // shortened folder in its rm line: none is left behind.
        fileSystem_.DeleteFileAt(batch);
    }
    view_.PumpMessages();
    // A batch file that is not there whole is not run.
    const bool started =
        written && processes_.Start(BatchCommandLine(processes_.CommandInterpreter(), batchName),
                                    WindowStyle::Hidden, batchFolder) != 0;
    view_.PumpMessages();
    return started;
}

std::size_t Removal::RemoveAll(DriveTable& table, bool progress, bool keepOtherLines) {
    std::size_t kept = 0;
    for (std::size_t j = table.Count(); j > 0; --j) {
        const DriveRow row = table.Row(j - 1);
        if (progress) {
            view_.SetStatus("Removing Virtual Drive " + row.letter);
            view_.PumpMessages();
        }
        const bool removed =
            row.Mountable() ? UnMountVirtualDrive(processes_, row.letter) != SubstResult::NotStarted
                            : !keepOtherLines;
        kept += row.Mountable() && !removed ? 1U : 0U;
        if (progress) {
            view_.PumpMessages();
        }
        if (removed) {
            table.RemoveAt(j - 1);
            if (progress) {
                view_.ShowTable(table);
            }
        }
    }
    return kept;
}

std::vector<std::string> Removal::MappedFolders(const DriveTable& table) {
    std::vector<std::string> folders;
    for (const DriveRow& row : table.Rows()) {
        if (row.Mountable()) {
            folders.push_back(row.storedFolder);
        }
    }
    return folders;
}

}  // namespace kestrova
