#include "flash/engine/run/read_flash.h"

#include <algorithm>

namespace zeph::flash {

bool ReadFlash(TargetLink& link, uint32_t start, std::span<uint8_t> data,
               const ReadProgress& progress) {
    const size_t total = data.size();
    for (size_t offset = 0; offset < total; offset += kBlockSize) {
        const size_t length = std::min(kBlockSize, total - offset);
        const auto block =
            link.UploadBlock(start + static_cast<uint32_t>(offset), static_cast<uint32_t>(length));
        if (!block || block->size() != length) {
            return false;
        }
        std::copy(block->begin(), block->end(), data.begin() + static_cast<std::ptrdiff_t>(offset));
        if (progress) {
            progress(static_cast<int>((offset + kBlockSize) * 100 / total));
        }
    }
    return true;
}

} // namespace zeph::flash
