// The block programming engine against a target that answers as it goes: what ends in flash
// in each mode and transfer form, the pacing rules, completion, verification and the failure
// report.

#include "flash/engine/run/program_image.h"

#include "fake_flash_target.h"
#include "flash/engine/cli/pipe_record.h"
#include "flash/engine/run/crc16.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <sstream>
#include <utility>

namespace zeph::flash {
namespace {

using testing::FakeFlashTarget;
using testing::pipeRecordsIn;
using Bytes = std::vector<uint8_t>;

// 16K, 8K, 8K, 32K, then 64K sectors.
ChipEntry bottomBootChip(uint32_t bigSectors = 1) {
    ChipEntry chip;
    chip.sectorGroups = {{1, 16384}, {2, 8192}, {1, 32768}, {bigSectors, 65536}};
    chip.chipSize = 65536 + bigSectors * 65536;
    chip.totalSectors = 4 + bigSectors;
    return chip;
}

// An image buffer: 0xFF where no piece lies, with its maps.
struct Image {
    uint32_t start = 0;
    Bytes data, usage, blocks;

    Image(uint32_t from, uint32_t to) : start(from & ~0x3FFu) {
        const uint32_t size = ((to | 0x3FFu) + 1) - start;
        data.assign(size, 0xFF);
        usage.assign(size, 0);
        blocks.assign(size / 1024, 0);
    }
    Image& piece(uint32_t at, const Bytes& bytes) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            data[at - start + i] = bytes[i];
            usage[at - start + i] = 1;
            blocks[(at - start + i) / 1024] = 1;
        }
        return *this;
    }
};

Bytes pattern(size_t n, uint32_t seed) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) {
        // Text-like and repetitive, so that both coded forms shrink it.
        out[i] = static_cast<uint8_t>("zeph burn  "[(i * seed / 7 + i / 13) % 11]);
    }
    return out;
}

class Bench {
public:
    explicit Bench(ChipEntry c = bottomBootChip(), uint8_t buffers = 4, uint8_t slots = 8)
        : chip(std::move(c)), sectors(chip, 16), target(sectors.chipSize(), buffers, slots) {
        std::fill(target.flash.begin(), target.flash.end(), 0x5A);
    }

    std::optional<FatalError> program(const Image& image, EraseMode mode,
                                      TransferMethod method = TransferMethod::Raw) {
        HuffmanCoder huffman;
        if (method == TransferMethod::Huffman) {
            huffman.AnalyseHuffman(image.data, image.usage);
        }
        ProgramJob job{mode, image.start, image.data, image.usage, image.blocks, method, &huffman};
        ProgramContext context{link, clock, report, clock.now()};
        return ProgramImage(context, chip, sectors, job);
    }

    // The flash as it must be: `before` with the image's bytes laid over it.
    Bytes expected(const Image& image, const Bytes& before) const {
        Bytes out = before;
        for (size_t i = 0; i < image.data.size(); ++i) {
            if (image.usage[i] != 0) {
                out[image.start + i] = image.data[i];
            }
        }
        return out;
    }

    std::vector<PipeRecord> records() const { return pipeRecordsIn(pipe.bytes); }

    ChipEntry chip;
    SectorTable sectors;
    FakeClock clock;
    FakeFlashTarget target;
    TargetLink link{target, clock};
    MemorySink console, pipe;
    Report report{ReportSettings{true, false, true, false, "COM1", ""}, console, &pipe};
};

void fill(Bytes& flash, uint32_t from, uint32_t size, uint8_t value) {
    std::fill_n(flash.begin() + from, size, value);
}

TEST(ProgramImage, DefaultModeErasesTheTouchedSectorAndWritesOnlyTheImageBlock) {
    Bench bench;
    const Image image = Image(0x10100, 0x101FF).piece(0x10100, pattern(0x100, 3));
    const Bytes before = bench.target.flash;

    EXPECT_EQ(bench.program(image, EraseMode::TouchedSectors), std::nullopt) << bench.console.bytes;

    Bytes want = before;
    fill(want, 0x10000, 0x10000, 0xFF); // the rest of the sector is erased, not restored
    EXPECT_EQ(bench.target.flash, bench.expected(image, want));
    EXPECT_EQ(bench.target.count(0x16), 1u);
    EXPECT_EQ(bench.target.count(0x24), 1u);
    EXPECT_TRUE(bench.target.violations.empty()) << bench.target.violations.front();
    EXPECT_NE(bench.console.bytes.find("CRC16 match for area at offset 0x100, size 0x100\n"),
              std::string::npos);
    ASSERT_FALSE(bench.records().empty());
    EXPECT_EQ(bench.records().back().text.substr(0, 8), "100 100 ");
}

TEST(ProgramImage, UpdateModeKeepsTheSectorAndSendsEveryBlockOfIt) {
    Bench bench;
    const Image image = Image(0x10100, 0x101FF).piece(0x10100, pattern(0x100, 3));
    const Bytes before = bench.target.flash;

    EXPECT_EQ(bench.program(image, EraseMode::Update), std::nullopt) << bench.console.bytes;

    EXPECT_EQ(bench.target.flash, bench.expected(image, before));
    // Four blocks through the target's buffers as one group, the other 60 from the host.
    EXPECT_EQ(bench.target.count(0x1C), 1u);
    EXPECT_EQ(bench.target.count(0x24), 60u);
    EXPECT_EQ(bench.target.count(0x28), 60u);
    EXPECT_NE(bench.console.bytes.find("out of 64\n"), std::string::npos);
    EXPECT_TRUE(bench.target.violations.empty()) << bench.target.violations.front();
}

TEST(ProgramImage, EveryModeAndTransferFormLeavesTheRightFlash) {
    // Two areas: one across the 8K/8K sector boundary, one partial block in the 64K sector.
    const Image image =
        Image(0x5E10, 0x10FFF).piece(0x5E10, pattern(0x2400, 5)).piece(0x10800, pattern(0x7F0, 9));
    for (EraseMode mode : {EraseMode::TouchedSectors, EraseMode::WholeChip, EraseMode::Update}) {
        for (TransferMethod method :
             {TransferMethod::Raw, TransferMethod::Huffman, TransferMethod::Lzss}) {
            SCOPED_TRACE(::testing::Message() << "mode " << static_cast<int>(mode) << " method "
                                              << static_cast<int>(method));
            Bench bench;
            Bytes want = bench.target.flash;
            if (mode == EraseMode::WholeChip) {
                fill(want, 0, static_cast<uint32_t>(want.size()), 0xFF);
            } else if (mode == EraseMode::TouchedSectors) {
                fill(want, 0x4000, 0x4000, 0xFF);
                fill(want, 0x8000, 0x8000, 0xFF);
                fill(want, 0x10000, 0x10000, 0xFF);
            }
            EXPECT_EQ(bench.program(image, mode, method), std::nullopt) << bench.console.bytes;
            EXPECT_EQ(bench.target.flash, bench.expected(image, want));
            EXPECT_TRUE(bench.target.violations.empty()) << bench.target.violations.front();
            // Each area is checked with its own CRC chain.
            EXPECT_EQ(bench.target.count(0x2A), 2u);
            const size_t raw = bench.target.count(0x20) + bench.target.count(0x24);
            const size_t huffman = bench.target.count(0x22) + bench.target.count(0x26);
            const size_t lzss = bench.target.count(0x30) + bench.target.count(0x32);
            EXPECT_EQ(huffman > 0, method == TransferMethod::Huffman);
            EXPECT_EQ(lzss > 0, method == TransferMethod::Lzss);
            EXPECT_EQ(raw == 0, method == TransferMethod::Lzss);
        }
    }
}

TEST(ProgramImage, LzssStreamsStartAfreshOnlyAfterAGap) {
    Bench bench;
    const Image image = Image(0x4000, 0x4FFF)
                            .piece(0x4000, pattern(0x800, 3))  // two blocks in a row
                            .piece(0x4C00, pattern(0x400, 4)); // one after a gap
    EXPECT_EQ(bench.program(image, EraseMode::TouchedSectors, TransferMethod::Lzss), std::nullopt);
    EXPECT_EQ(bench.target.freshLzssBlocks, (std::vector<uint32_t>{0x4000, 0x4C00}));
    EXPECT_EQ(bench.target.count(0x32), 3u);
}

TEST(ProgramImage, WholeChipWithoutChipEraseErasesEverySectorBeforeAnyBlock) {
    Bench bench;
    bench.target.chipEraseSupported = false;
    const Image image = Image(0x8000, 0x83FF).piece(0x8000, pattern(0x400, 2));
    EXPECT_EQ(bench.program(image, EraseMode::WholeChip), std::nullopt) << bench.console.bytes;
    const Bytes codes = bench.target.codes();
    const auto firstBlock = std::find(codes.begin(), codes.end(), 0x24);
    EXPECT_EQ(std::count(codes.begin(), firstBlock, 0x16), 5); // all five sectors
    EXPECT_EQ(std::count(firstBlock, codes.end(), 0x16), 0);
    EXPECT_EQ(bench.target.count(0x18), 0u);
    EXPECT_TRUE(bench.target.violations.empty()) << bench.target.violations.front();

    Bench withChipErase;
    EXPECT_EQ(withChipErase.program(image, EraseMode::WholeChip), std::nullopt);
    EXPECT_EQ(withChipErase.target.count(0x18), 1u);
    EXPECT_EQ(withChipErase.target.count(0x16), 0u);
    for (const Bytes& c : withChipErase.target.commands) {
        if (c[0] == 0x18) {
            EXPECT_EQ(c, (Bytes{0x18, 0x00, 0x02, 0x00, 0x00})); // the chip's size
        }
    }
}

TEST(ProgramImage, SoftLockedChipsAreUnlockedSectorBySectorFirst) {
    ChipEntry chip = bottomBootChip();
    chip.softLockUnlock = true;
    Bench bench(chip);
    const Image image = Image(0, 0x3FF).piece(0, pattern(0x400, 2));
    EXPECT_EQ(bench.program(image, EraseMode::TouchedSectors), std::nullopt);
    std::vector<Bytes> unlocks;
    for (const Bytes& c : bench.target.commands) {
        if (c[0] == 0x42) {
            unlocks.push_back(c);
        }
    }
    EXPECT_EQ(unlocks, (std::vector<Bytes>{{0x42, 0, 0, 0x00, 0x00},
                                           {0x42, 0, 0, 0x40, 0x00},
                                           {0x42, 0, 0, 0x60, 0x00},
                                           {0x42, 0, 0, 0x80, 0x00},
                                           {0x42, 0, 1, 0x00, 0x00}}));
    const Bytes codes = bench.target.codes();
    const auto firstErase = std::find(codes.begin(), codes.end(), 0x16);
    EXPECT_EQ(std::count(codes.begin(), firstErase, 0x42), 5);
    EXPECT_NE(bench.console.bytes.find("Unlocking flash sectors...\n"), std::string::npos);
}

TEST(ProgramImage, ARunLongerThanOneCrcChunkIsCheckedInChainedPieces) {
    Bench bench(bottomBootChip(15), 8, 16); // 1 MiB
    const Image image = Image(0, 0x8FFFF).piece(0, pattern(0x90000, 7));
    EXPECT_EQ(bench.program(image, EraseMode::TouchedSectors), std::nullopt) << bench.console.bytes;
    std::vector<Bytes> crcs;
    for (const Bytes& c : bench.target.commands) {
        if (c[0] == 0x2A) {
            crcs.push_back(c);
        }
    }
    ASSERT_EQ(crcs.size(), 2u);
    EXPECT_EQ(Bytes(crcs[0].begin() + 1, crcs[0].end()),
              (Bytes{0, 0, 0, 0, 0, 0x08, 0, 0, 0xFF, 0xFF}));
    const uint16_t first = Crc16(std::span<const uint8_t>(image.data).first(0x80000));
    EXPECT_EQ(Bytes(crcs[1].begin() + 1, crcs[1].end()),
              (Bytes{0, 0x08, 0, 0, 0, 0x01, 0, 0, static_cast<uint8_t>(first >> 8),
                     static_cast<uint8_t>(first)}));
}

TEST(ProgramImage, ACrcDifferenceFailsTheRunWithItsReport) {
    Bench bench;
    bench.target.crcFlip = 0x0101;
    const Image image = Image(0x4000, 0x43FF).piece(0x4000, pattern(0x400, 2));
    const uint16_t host = Crc16(image.data);
    const auto error = bench.program(image, EraseMode::TouchedSectors);
    EXPECT_EQ(error, (FatalError{28, "\nFlash programming error\nCRC16 mismatch\n"}));
    char line[128];
    std::snprintf(line, sizeof line,
                  "CRC16 mismatch for section at offset 0x0, size 0x400:\nHost - 0x%x, Target - "
                  "0x%x\n",
                  host, host ^ 0x0101);
    EXPECT_NE(bench.console.bytes.find(line), std::string::npos) << bench.console.bytes;
}

TEST(ProgramImage, AnErrorFlagEndsTheRunWithTheLastOperationAndActivity) {
    Bench bench;
    bench.target.failingBlock = 0x4400;
    Image image = Image(0x4000, 0x4BFF).piece(0x4000, pattern(0xC00, 2));
    image.data[0x400] = 0x34;
    image.data[0x401] = 0x12;
    const auto error = bench.program(image, EraseMode::TouchedSectors);
    EXPECT_EQ(error, (FatalError{28, "\nFlash programming error\n"
                                     "Last operation: block write at 0x4400\n"
                                     "Last activity: write verify\n"
                                     "Address:       0x00004400\n"
                                     "Expected data: 0x1234\n"
                                     "Actual data:   0xffff\n"}));
}

TEST(ProgramImage, ATargetWithoutTimingEndsTheRunWithError29) {
    Bench bench;
    bench.target.answerTiming = false;
    const Image image = Image(0x4000, 0x43FF).piece(0x4000, pattern(0x400, 2));
    EXPECT_EQ(bench.program(image, EraseMode::TouchedSectors),
              (FatalError{29, "Cannot obtain timing info\n"}));
}

TEST(ProgramImage, ProgressRecordsFollowTheBlocksAndEndAtAHundred) {
    Bench bench;
    const Image image = Image(0x10000, 0x127FF).piece(0x10000, pattern(0x2800, 2)); // 10 blocks
    EXPECT_EQ(bench.program(image, EraseMode::TouchedSectors), std::nullopt);
    std::vector<int> transfer;
    for (const PipeRecord& r : bench.records()) {
        ASSERT_EQ(r.code, 1004u);
        transfer.push_back(std::stoi(r.text));
    }
    ASSERT_GE(transfer.size(), 10u);
    EXPECT_EQ(std::vector<int>(transfer.begin(), transfer.begin() + 10),
              (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    EXPECT_EQ(bench.records().back().text.substr(0, 8), "100 100 ");
}

// The percentages of the 1004 records, transfer and program.
std::vector<std::pair<int, int>> percents(const std::vector<PipeRecord>& records) {
    std::vector<std::pair<int, int>> out;
    for (const PipeRecord& r : records) {
        EXPECT_EQ(r.code, 1004u);
        std::istringstream text(r.text);
        int transfer = -1;
        int program = -1;
        text >> transfer >> program;
        out.emplace_back(transfer, program);
    }
    return out;
}

TEST(ProgramImage, UpdateModeReachesAHundredOnlyWithTheSectorsLastBlock) {
    Bench bench;
    // One block of image in a 64 KiB sector: 64 blocks gathered, 64 written.
    const Image image = Image(0x10100, 0x101FF).piece(0x10100, pattern(0x100, 3));
    ASSERT_EQ(bench.program(image, EraseMode::Update), std::nullopt);
    const auto got = percents(bench.records());
    ASSERT_GE(got.size(), 64u);
    for (size_t block = 0; block < 63; ++block) {
        EXPECT_EQ(got[block].first, static_cast<int>((block + 1) * 100 / 64)) << block;
        EXPECT_LT(got[block].second, 100) << block;
    }
    // The program figure climbs while the gathered blocks go out, not in one jump at the end.
    std::set<int> climbing;
    for (size_t i = 64; i < got.size(); ++i) {
        if (got[i].second > 0 && got[i].second < 100) {
            climbing.insert(got[i].second);
        }
    }
    EXPECT_GE(climbing.size(), 10u);
    EXPECT_EQ(got.back(), (std::pair{100, 100}));
}

TEST(ProgramImage, ASectorBySectorChipEraseShowsItsProgress) {
    Bench bench(bottomBootChip(30), 4, 4); // 34 sectors through a queue of 4
    bench.target.chipEraseSupported = false;
    const Image image = Image(0x8000, 0x83FF).piece(0x8000, pattern(0x400, 2));
    ASSERT_EQ(bench.program(image, EraseMode::WholeChip), std::nullopt);
    const auto got = percents(bench.records());
    const auto firstBlock =
        std::find_if(got.begin(), got.end(), [](const auto& p) { return p.first > 0; });
    // Nothing is transferred or programmed while the sectors are erased, and records come.
    EXPECT_GE(firstBlock - got.begin(), 10);
    EXPECT_TRUE(std::all_of(got.begin(), firstBlock, [](const auto& p) {
        return p == std::pair{0, 0};
    }));
}

} // namespace
} // namespace zeph::flash
