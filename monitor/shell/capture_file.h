#pragma once

#include <string>

namespace zeph::monitor {

// Whether a capture file opens for playback without waiting: a regular file or a character
// device other than a terminal that opens for reading. A folder gives no data, and a FIFO or a
// terminal would wait for its writer, so they count as files that cannot be opened.
bool opensAsCapture(const std::string& name);

// A capture's or a log's name as an absolute path, so that the settings still find it after a
// start from another folder; the name itself when the current folder is unknown.
std::string absoluteFileName(const std::string& name);

} // namespace zeph::monitor
