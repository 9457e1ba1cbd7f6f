#pragma once

// The program folder: where ZephBurnCL finds its support files ("detect.bin", "chiplist.txt",
// the phase-2 programs) and writes the result file. It is the folder of the running executable
// (/proc/self/exe), so the files are found both in the build tree and after install, whatever
// the current directory. The environment variable ZEPH_BURN_FOLDER, when set and not empty,
// names another folder instead (tests use it to supply broken support files).

#include <string>

namespace zeph::flash {

inline constexpr char kBurnFolderVariable[] = "ZEPH_BURN_FOLDER";

// Ends with '/', or is empty (the current directory) when no folder could be found.
// `argv0` is the fallback when /proc/self/exe cannot be read.
std::string programFolder(const char* argv0);

// `folder` with a '/' appended unless it is empty or already ends in one.
std::string withSeparator(std::string folder);

} // namespace zeph::flash
