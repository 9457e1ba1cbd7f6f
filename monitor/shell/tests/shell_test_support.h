#pragma once

// A scratch folder per test and whole-file reads and writes.

#include "common/testing/temp_dir.h"
#include "monitor/messages/testing/recording_events.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zeph::monitor::testing {

using zeph::testing::TempDir;

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

} // namespace zeph::monitor::testing
