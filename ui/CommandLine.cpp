#include "ui/CommandLine.h"

#include <cctype>

namespace kestrova {

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

StartupMode StartupModeFor(const std::string& argumentText) {
    const std::string text = Upper(argumentText);
    if (text == "/M") {
        return StartupMode::MountAndExit;
    }
    if (text == "/R") {
        return StartupMode::RemoveAndExit;
    }
    if (text == "/T") {
        return StartupMode::Tray;
    }
    if (text == "/B") {
        return StartupMode::TrayAndMount;
    }
    return StartupMode::Normal;
}

std::string ArgumentText(const std::string& commandLine, const std::string& programPath) {
    const auto blank = [&](std::size_t i) {
        return commandLine[i] == ' ' || commandLine[i] == '\t';
    };
    std::size_t i = 0;
    if (!programPath.empty() &&
        Upper(commandLine.substr(0, programPath.size())) == Upper(programPath) &&
        (commandLine.size() == programPath.size() || blank(programPath.size()))) {
        i = programPath.size();
    } else if (!commandLine.empty() && commandLine[0] == '"') {
        const std::size_t close = commandLine.find('"', 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !blank(i)) {
            ++i;
        }
    }
    while (i < commandLine.size() && blank(i)) {
        ++i;
    }
    return commandLine.substr(i);
}

std::string RunValueData(const std::string& programFolder, const std::string& startupSwitch) {
    const std::string program = programFolder + "\\Kestrova.exe";
    if (program.find(' ') != std::string::npos) {
        return "\"" + program + "\" " + startupSwitch;
    }
    return program + " " + startupSwitch;
}

std::string ExploreCommandLine(const std::string& sPath, const std::string& sRoot, bool fSelect,
                               bool fFolders, bool fExisting) {
    std::string line = "explorer.exe ";
    if (fFolders) {
        line += "/e";
    } else if (!fExisting) {
        line += "/n";
    }
    if (!sRoot.empty()) {
        line += ",/root, \"" + sRoot + "\"";
    }
    if (!sPath.empty()) {
        if (fSelect) {
            line += ",/select";
        }
        line += ",\"" + sPath + "\"";
    }
    return line;
}

}  // namespace kestrova
