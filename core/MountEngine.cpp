#include "core/MountEngine.h"

namespace kestrova {

namespace {

SubstResult RunAndWait(ProcessRunner& processes, const std::string& commandLine) {
    const std::uint32_t processId = processes.Start(commandLine, WindowStyle::Hidden);
    if (processId == 0) {
        return SubstResult::NotStarted;
    }
    return processes.WaitForProcess(processId) ? SubstResult::Failed : SubstResult::Succeeded;
}

}  // namespace

std::string MountCommandLine(const std::string& strVirtualDrive, const std::string& strPhysicPath) {
    const bool needsQuotes = strPhysicPath.find(' ') != std::string::npos &&
                             (strPhysicPath.empty() || strPhysicPath.front() != '"');
    const std::string folder = needsQuotes ? "\"" + strPhysicPath + "\"" : strPhysicPath;
    return "subst.exe " + strVirtualDrive + " " + folder;
}

std::string UnmountCommandLine(const std::string& strVirtualDrive) {
    return "subst.exe " + strVirtualDrive + " /d";
}

SubstResult MountVirtualDrive(ProcessRunner& processes, const std::string& strVirtualDrive,
                              const std::string& strPhysicPath) {
    return RunAndWait(processes, MountCommandLine(strVirtualDrive, strPhysicPath));
}

SubstResult UnMountVirtualDrive(ProcessRunner& processes, const std::string& strVirtualDrive) {
    return RunAndWait(processes, UnmountCommandLine(strVirtualDrive));
}

}  // namespace kestrova
