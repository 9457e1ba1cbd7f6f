#include "flash/engine/errors/error_texts.h"

#include "common/text/strprintf.h"

#include <array>

namespace zeph::flash {

namespace {

constexpr std::array<const char*, kLastErrorNumber + 1> kErrorFormats = {
    "Cannot open port %s\n",                                       // 0
    "Cannot open phase 1 file %s\n",                               // 1
    "Cannot allocate phase 1 buffer\n",                            // 2
    "Error reading phase 1 file\n",                                // 3
    "Error downloading phase 1 file\n",                            // 4
    "Cannot open data file %s\n",                                  // 5
    "Error reading data file or bad format\n",                     // 6
    "Target not responding\n",                                     // 7
    "Unable to get target external bus width info\n",              // 8
    "Target bus width is not 16 or 32\n",                          // 9
    "Error sending flash location info\n",                         // 10
    "Unable to get flash type info\n",                             // 11
    "Cannot open chiplist file %s\n",                              // 12
    "Error while processing chiplist file\n",                      // 13
    nullptr,                                                       // 14 incompatible, both listed
    nullptr,                                                       // 15 incompatible, maker listed
    nullptr,                                                       // 16 incompatible, unknown
    nullptr,                                                       // 17 unsupported chip
    nullptr,                                                       // 18 absent or unknown chip
    "Cannot open phase 2 file %s\n",                               // 19
    "Cannot allocate phase 2 buffer\n",                            // 20
    "Error reading phase 2 file\n",                                // 21
    "Error downloading phase 2 program\n",                         // 22
    "Highest data address 0x%x above chip highest address 0x%x\n", // 23
    "Cannot allocate data buffer\n",                               // 24
    "Cannot allocate usage map\n",                                 // 25
    "Error reading data file\n",                                   // 26
    "Cannot set target parameters\n",                              // 27
    "\nFlash programming error\n%s",                               // 28
    "Cannot obtain timing info\n",                                 // 29
    "\nFlash reading error\n",                                     // 30
    "Error writing data to the file\n",                            // 31
    "Vireo chip id 0x%x not supported\n",                          // 32
    "AXF data area [0x%x, 0x%x] not fully within\nlow chip range [0x%x, 0x%x] or\n"
    "high chip range [0x%x, 0x%x]\n",      // 33
    "Cannot send info about error bits\n", // 34
};

FatalError make(int number, std::string message) {
    // The run holds the composed message in a fixed buffer, zero included.
    if (message.size() > kErrorMessageBuffer - 1) {
        message.resize(kErrorMessageBuffer - 1);
    }
    return FatalError{number, std::move(message)};
}

} // namespace

const char* errorFormat(int number) {
    if (number < kFirstErrorNumber || number > kLastErrorNumber) {
        return nullptr;
    }
    return kErrorFormats[static_cast<size_t>(number)];
}

FatalError fatalError(int number) {
    const char* format = errorFormat(number);
    return make(number, format != nullptr ? format : "");
}

FatalError fatalErrorWithName(int number, const std::string& name) {
    switch (number) {
    case 0:
        return make(number, strprintf("Cannot open port %s\n", name.c_str()));
    case 1:
        return make(number, strprintf("Cannot open phase 1 file %s\n", name.c_str()));
    case 5:
        return make(number, strprintf("Cannot open data file %s\n", name.c_str()));
    case 12:
        return make(number, strprintf("Cannot open chiplist file %s\n", name.c_str()));
    case 19:
        return make(number, strprintf("Cannot open phase 2 file %s\n", name.c_str()));
    default:
        return fatalError(number);
    }
}

FatalError highAddressError(uint32_t hiAddrPlusOne, uint32_t chipSize) {
    return make(23, strprintf("Highest data address 0x%x above chip highest address 0x%x\n",
                              hiAddrPlusOne, chipSize));
}

FatalError programmingError(const std::string& report) {
    return make(28, strprintf("\nFlash programming error\n%s", report.c_str()));
}

FatalError chipVariantError(uint32_t id) {
    return make(32, strprintf("Vireo chip id 0x%x not supported\n", id));
}

FatalError axfPlacementError(uint32_t lowAddr, uint32_t hiAddr, uint32_t lowFirst, uint32_t lowLast,
                             uint32_t highFirst, uint32_t highLast) {
    return make(33, strprintf("AXF data area [0x%x, 0x%x] not fully within\nlow chip range "
                              "[0x%x, 0x%x] or\nhigh chip range [0x%x, 0x%x]\n",
                              lowAddr, hiAddr, lowFirst, lowLast, highFirst, highLast));
}

FatalError chipError(int number, const std::string& message) {
    return make(number, message);
}

} // namespace zeph::flash
