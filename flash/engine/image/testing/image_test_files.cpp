#include "flash/engine/image/testing/image_test_files.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace zeph::flash::testing {

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {

void put(std::vector<uint8_t>& out, size_t at, uint32_t v, int size, bool little) {
    for (int i = 0; i < size; ++i) {
        const int shift = 8 * (little ? i : size - 1 - i);
        out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> shift);
    }
}

} // namespace

std::vector<uint8_t> makeElf(const std::vector<ElfSegment>& segments, ElfShape shape) {
    constexpr size_t kHeader = 52;
    constexpr size_t kEntry = 32;
    const bool le = shape.littleEndian;
    std::vector<uint8_t> out(kHeader + kEntry * segments.size(), 0);
    out[0] = 0x7F;
    out[1] = 'E';
    out[2] = 'L';
    out[3] = 'F';
    out[4] = 1;
    out[5] = le ? 1 : 2;
    out[6] = 1;
    put(out, 16, shape.type, 2, le);
    put(out, 18, shape.machine, 2, le);
    put(out, 20, 1, 4, le);
    put(out, 28, kHeader, 4, le);
    put(out, 40, kHeader, 2, le);
    put(out, 42, kEntry, 2, le);
    put(out, 44, static_cast<uint32_t>(segments.size()), 2, le);
    size_t offset = out.size();
    for (size_t i = 0; i < segments.size(); ++i) {
        const size_t at = kHeader + i * kEntry;
        const ElfSegment& s = segments[i];
        const auto size = static_cast<uint32_t>(s.bytes.size());
        put(out, at, s.type, 4, le);
        put(out, at + 4, static_cast<uint32_t>(offset), 4, le);
        put(out, at + 8, s.address, 4, le);
        put(out, at + 12, s.address, 4, le);
        put(out, at + 16, size, 4, le);
        put(out, at + 20, size, 4, le);
        offset += size;
    }
    for (const ElfSegment& s : segments) {
        out.insert(out.end(), s.bytes.begin(), s.bytes.end());
    }
    return out;
}

std::string findTool(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path != nullptr ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = dir + "/" + name;
        if (!dir.empty() && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

bool runCommand(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::optional<FatalError> loadFile(const std::string& fileName, FlashImage& image,
                                   uint32_t chipSize, uint32_t flashBase) {
    image = FlashImage{};
    if (auto e = DetectFormat(fileName, image.format)) {
        return e;
    }
    if (auto e = ScanRange(fileName, image)) {
        return e;
    }
    if (auto e = PlaceImage(image, chipSize, flashBase)) {
        return e;
    }
    return LoadImage(fileName, image);
}

} // namespace zeph::flash::testing
