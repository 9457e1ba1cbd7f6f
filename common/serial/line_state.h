#pragma once

// Line state through the kernel's termios2 interface, which carries any integer bit rate.
// Kept apart from <termios.h> users: the kernel and C library headers define the same names.

#include <cstddef>

namespace zeph::detail {

// Room for the kernel's termios2 record; its size is checked where the record is known.
constexpr std::size_t kLineStateBytes = 64;

struct SavedLineState {
    alignas(8) unsigned char bytes[kLineStateBytes] = {};
    bool valid = false;
};

// Reads the complete line state (flags, control characters and both rates).
bool saveLineState(int fd, SavedLineState& state);
// Writes a state taken by saveLineState back unchanged.
bool restoreLineState(int fd, const SavedLineState& state);
// Sets both directions to `rate` bits per second, leaving every other setting as it is.
bool setAnyRate(int fd, unsigned rate);
// The output rate in bits per second as the driver holds it; false when it cannot be read.
bool readOutputRate(int fd, unsigned& rate);

} // namespace zeph::detail
