#pragma once

// The numbered fatal errors of a ZephBurnCL run (0 to 34) and their message texts, in one
// place. A fatal error is a value: the part that detects it returns it, and the run reports it
// (console text or pipe record with the number as code) and ends with exit status 1.

#include <cstdint>
#include <string>

namespace zeph::flash {

inline constexpr int kFirstErrorNumber = 0;
inline constexpr int kLastErrorNumber = 34;
// The run composes a message in a buffer of this size; longer messages are cut to fit.
inline constexpr size_t kErrorMessageBuffer = 1024;

struct FatalError {
    int number = 0;
    std::string message;
    bool operator==(const FatalError&) const = default;
};

// The message format of an error number, as printf format; nullptr for 14 to 18, whose text is
// composed from the chip-matching fragments below, and for numbers outside 0..34.
const char* errorFormat(int number);

// Errors whose message carries no value.
FatalError fatalError(int number);
// 0 (port), 1 and 12 and 19 (full path), 5 (data file name).
FatalError fatalErrorWithName(int number, const std::string& name);
// 23: highest data address above the chip (HiAddr + 1 and the chip size are shown).
FatalError highAddressError(uint32_t hiAddrPlusOne, uint32_t chipSize);
// 28: the programming engine's report text follows the heading.
FatalError programmingError(const std::string& report);
// 32: chip variant id not supported.
FatalError chipVariantError(uint32_t id);
// 33: AXF data area outside both chip ranges.
FatalError axfPlacementError(uint32_t lowAddr, uint32_t hiAddr, uint32_t lowFirst, uint32_t lowLast,
                             uint32_t highFirst, uint32_t highLast);
// 14 to 18: a message composed by chip matching (texts below).
FatalError chipError(int number, const std::string& message);

// Chip matching texts (errors 14 to 18).
inline constexpr char kIncompatibleChips[] = "Incompatible chips found:\n";
inline constexpr char kChipListedFormat[] = "Chip #%d: manufacturer name - %s, device name - %s\n";
inline constexpr char kChipMakerListedFormat[] =
    "Chip #%d: manufacturer name - %s, device id - 0x%x\n";
inline constexpr char kChipNotPresentFormat[] = "Chip #%d: not present\n";
inline constexpr char kChipRamFormat[] = "Chip #%d: RAM memory\n";
inline constexpr char kChipUnknownFormat[] = "Chip #%d: manufacturer id - 0x%x, device id - 0x%x\n";
inline constexpr char kUnsupportedChipMakerFormat[] =
    "Unsupported chip found: manufacturer name - %s, device id - 0x%x\n";
inline constexpr char kChipNotPresent[] = "Chip not present at specified location\n";
inline constexpr char kRamFound[] = "RAM memory found at specified location\n";
inline constexpr char kUnsupportedChipFormat[] =
    "Unsupported chip found:  manufacturer id - 0x%x, device id - 0x%x\n";

} // namespace zeph::flash
