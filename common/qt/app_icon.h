#pragma once

// The icon a window program shows on its windows and task bar entry: the same drawing as its
// desktop entry's, built into the program so that a copy run from the build tree has it too.

namespace zeph {

// `name` is the program's desktop entry name: zephmon, ZephBurn or Trekdash.
void setApplicationIcon(const char* name);

} // namespace zeph
