#pragma once

// Test files for the image and programming tests: a writer of small ARM ELF executables so no
// binary file needs to be kept in the repository, whole-file reads, the tools the cross-checks
// run, and loading a file in one go.

#include "common/testing/temp_dir.h"
#include "flash/engine/image/flash_image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zeph::flash::testing {

using zeph::testing::TempDir;

std::vector<uint8_t> readBytes(const std::string& path);

struct ElfSegment {
    uint32_t address;
    std::vector<uint8_t> bytes;
    uint32_t type = 1; // loadable
};

struct ElfShape {
    bool littleEndian = true;
    uint16_t type = 2;     // executable
    uint16_t machine = 40; // ARM
};

// Header, program header table right after it, then each segment's bytes.
std::vector<uint8_t> makeElf(const std::vector<ElfSegment>& segments, ElfShape shape = {});

// The full path of a program found in PATH, or empty.
std::string findTool(const std::string& name);

// Runs a shell command; true on exit status 0.
bool runCommand(const std::string& command);

// Detects, scans, places and loads a file in one go; the first error stops it.
std::optional<FatalError> loadFile(const std::string& fileName, FlashImage& image,
                                   uint32_t chipSize, uint32_t flashBase = 0x40000000);

} // namespace zeph::flash::testing
