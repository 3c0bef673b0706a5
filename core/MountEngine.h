#pragma once

#include <string>

#include "platform/Process.h"

namespace kestrova {

// "subst.exe " + drive + " " + folder. A folder with a blank is put in double
// quotes so that it stays one argument; a folder that already carries its
// quotes (a network folder as stored) and one without blanks go unchanged.
std::string MountCommandLine(const std::string& strVirtualDrive, const std::string& strPhysicPath);

// "subst.exe " + drive + " /d".
std::string UnmountCommandLine(const std::string& strVirtualDrive);

// How a subst.exe run ended.
enum class SubstResult {
    NotStarted,  // subst.exe could not be started at all
    Failed,      // it ran and ended with a non-zero exit code
    Succeeded,
};

// Maps the folder onto the drive with a hidden subst.exe and waits for it.
SubstResult MountVirtualDrive(ProcessRunner& processes, const std::string& strVirtualDrive,
                              const std::string& strPhysicPath);

// Removes the drive's mapping with a hidden subst.exe and waits for it.
SubstResult UnMountVirtualDrive(ProcessRunner& processes, const std::string& strVirtualDrive);

}  // namespace kestrova
