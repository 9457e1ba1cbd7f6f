#include "flash/engine/compress/transfer_compression.h"

#include "common/text/strprintf.h"

namespace zeph::flash {

TransferMethod ChooseTransferMethod(TransferMethod requested, std::span<const uint8_t> data,
                                    std::span<const uint8_t> usageMap, HuffmanCoder& huffman,
                                    const std::function<void(const std::string&)>& verbose) {
    if (requested != TransferMethod::Huffman) {
        return requested;
    }
    const HuffmanAnalysis analysis = huffman.AnalyseHuffman(data, usageMap);
    const double ratio = analysis.ratio.value_or(0.0);
    const bool keep = analysis.ratio && ratio >= kHuffmanMinRatio;
    if (verbose) {
        verbose(strprintf("compression: %f, max packet size: %d bytes\n", ratio,
                          static_cast<int>((analysis.largestBlockBits + 7) / 8)));
        if (keep) {
            verbose("Data will be compressed before transfer\n");
        }
    }
    return keep ? TransferMethod::Huffman : TransferMethod::Raw;
}

BlockCompressor::BlockCompressor(TransferMethod method, const HuffmanCoder* huffman)
    : method_(method == TransferMethod::Huffman && huffman == nullptr ? TransferMethod::Raw
                                                                      : method),
      huffman_(huffman) {}

CodedBlock BlockCompressor::Encode(uint32_t address, std::span<const uint8_t> block,
                                   std::span<const uint8_t> following) {
    CodedBlock coded;
    BitWriter stream;
    if (method_ == TransferMethod::Lzss) {
        coded.bits = lzss_.EncodeLzss(address, block, following, stream);
        coded.form = TransferMethod::Lzss;
    } else if (method_ == TransferMethod::Huffman) {
        const auto bits = huffman_->EncodeHuffman(block, stream);
        if (!bits || (*bits + 15) / 8 >= kHuffmanRawLimit) {
            return coded;
        }
        coded.bits = *bits;
        coded.form = TransferMethod::Huffman;
    } else {
        return coded;
    }
    coded.code = stream.bytes();
    return coded;
}

} // namespace zeph::flash
