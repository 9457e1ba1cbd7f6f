#pragma once

// Transfer compression of the 1 KiB blocks sent with DownloadToBuffer and DownloadAndWrite:
// the run's method (option -cm) and the form each block goes out in.

#include "flash/engine/compress/huffman.h"
#include "flash/engine/compress/lzss.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zeph::flash {

enum class TransferMethod : int { Raw = 0, Huffman = 1, Lzss = 2 };

// Below this Huffman ratio the run sends raw blocks instead.
inline constexpr double kHuffmanMinRatio = 0.01;
// A Huffman block is sent only when (bits + 15) / 8 is below this.
inline constexpr uint32_t kHuffmanRawLimit = 1024;

// Method choice after LoadImage (programming only). For Huffman it builds the code in
// `huffman` and may fall back to Raw; verbose receives "compression: ..." and, when Huffman
// stays, "Data will be compressed before transfer\n". When the ratio cannot be computed (no
// byte in use) it is printed as 0.
TransferMethod ChooseTransferMethod(TransferMethod requested, std::span<const uint8_t> data,
                                    std::span<const uint8_t> usageMap, HuffmanCoder& huffman,
                                    const std::function<void(const std::string&)>& verbose = {});

// One block as it goes out. Raw: send the block's own 1024 bytes. Otherwise `code` holds
// (bits + 7) / 8 code bytes, least significant bit first.
struct CodedBlock {
    TransferMethod form = TransferMethod::Raw;
    uint32_t bits = 0;
    std::vector<uint8_t> code;
};

// Encodes the blocks of one run in the order they are sent. The LZSS stream state lives
// here, so one BlockCompressor serves one run.
class BlockCompressor {
public:
    // huffman must outlive this object when method is Huffman.
    BlockCompressor(TransferMethod method, const HuffmanCoder* huffman);

    // block: the 1024 bytes for flash address `address`; following: the bytes after it in
    // the same source (LookAheadAfter), read ahead by the LZSS form only.
    CodedBlock Encode(uint32_t address, std::span<const uint8_t> block,
                      std::span<const uint8_t> following = {});

    TransferMethod method() const { return method_; }

private:
    TransferMethod method_;
    const HuffmanCoder* huffman_;
    LzssEncoder lzss_;
};

} // namespace zeph::flash
