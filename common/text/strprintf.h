#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

namespace zeph {

// printf into a std::string. Formats are part of the contract with logs, scripts and users;
// the compiler checks every call against its format.
std::string strprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string vstrprintf(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// The formats were written where `long` is 32 bits: a value printed with %ld/%lu/%lx must be
// passed through these so that 0xFFFFFFFF prints as -1 under %ld and as ffffffff under %lx.
constexpr long asLong(int32_t v) {
    return static_cast<long>(v);
}
constexpr long asLong(uint32_t v) {
    return static_cast<long>(static_cast<int32_t>(v));
}
constexpr unsigned long asULong(uint32_t v) {
    return static_cast<unsigned long>(v);
}
constexpr unsigned long asULong(int32_t v) {
    return static_cast<unsigned long>(static_cast<uint32_t>(v));
}

} // namespace zeph
