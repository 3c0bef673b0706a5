#pragma once

#include <string>

namespace kestrova {

// How the program was asked to start, from its argument text.
enum class StartupMode { Normal, MountAndExit, RemoveAndExit, Tray, TrayAndMount };

// The whole argument text, upper-cased, compared exactly with "/M", "/R",
// "/T" and "/B"; anything else is the normal start.
StartupMode StartupModeFor(const std::string& argumentText);

// The argument text of a command line: what follows the program name (quoted
// or not), without the blanks that separate the two; trailing text is kept.
// An unquoted command line that begins with the running program's own path,
// blanks and all (as Windows hands over an unquoted Run value such as
// C:\Program Files\Kestrova\Kestrova.exe /B), has its arguments after that path.
std::string ArgumentText(const std::string& commandLine, const std::string& programPath = {});

// The Run value's data for a switch: the program folder, "\", "Kestrova.exe",
// a blank and the switch. A folder with a blank has the program's path quoted,
// so that Windows cannot start another program at logon instead.
std::string RunValueData(const std::string& programFolder, const std::string& startupSwitch);

// The command line `Explore` builds for Explorer: the switches, then the
// root and the folder, each in quotes, as Explorer ends a folder at a comma
// ("Smith, John") otherwise.
std::string ExploreCommandLine(const std::string& sPath = {}, const std::string& sRoot = {},
                               bool fSelect = false, bool fFolders = false, bool fExisting = false);

// The text in upper case (ASCII letters).
std::string Upper(std::string text);

}  // namespace kestrova
