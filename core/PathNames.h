#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace kestrova {

// The short (8.3) form of a path, or the empty text when the path does not
// exist or its short form does not fit the 164-character buffer.
std::string GetShortPath(FileSystem& fileSystem, const std::string& strFileName);

// The long form of a path: the drive part is kept and every later component
// is replaced by its long name, one directory query per component. Empty when
// any component is missing, so a partly converted path is never returned,
// and for a text that names no folder below a drive root ("E:", "E:\", "E:x").
std::string GetLongName(FileSystem& fileSystem, const std::string& psShortName);

// A file (normal, hidden or system; not a folder) is at the path.
bool FileExists(FileSystem& fileSystem, const std::string& path);

// A folder or file is at the path; a bare "E:" asks whether the drive is there.
bool DirExists(FileSystem& fileSystem, const std::string& path);

}  // namespace kestrova
