#pragma once

// A message layout described once as data: the decoder walks it to put wire bytes into host
// order, the renderer walks it to print the fields.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zeph::monitor {

enum class FieldType : uint8_t { U8, U16, I16, U32, I32, F32, F64 };

constexpr size_t fieldSize(FieldType t) {
    switch (t) {
    case FieldType::U8:
        return 1;
    case FieldType::U16:
    case FieldType::I16:
        return 2;
    case FieldType::U32:
    case FieldType::I32:
    case FieldType::F32:
        return 4;
    case FieldType::F64:
        return 8;
    }
    return 1;
}

struct Field {
    uint16_t offset;
    FieldType type;
    uint8_t count = 1;
    const char* format = nullptr; // printf conversion when rendered; nullptr: not rendered
    double scale = 0;             // 0: the raw value; integer conversions truncate the product
};

// A block repeated `count` times every `stride` bytes from `offset`; its fields' offsets are
// relative to the block.
struct Group {
    uint16_t offset = 0;
    uint8_t count = 0;
    uint8_t stride = 0;
    std::span<const Field> fields{};
};

struct Layout {
    uint16_t length = 0; // bytes on the wire, MID included
    std::span<const Field> fields{};
    Group group{};
};

// Doubles travel plain big-endian for software 2.3 or higher and for Drovana; every other
// software sends the low-order 32-bit half first.
enum class DoubleOrder { BigEndian, LowWordFirst };

// Turns the wire bytes of every field of `layout` in `record` into host order, in place.
void toHostOrder(uint8_t* record, const Layout& layout, DoubleOrder order);
void toHostOrder(uint8_t* field, FieldType type, DoubleOrder order);

// The value of a host-order field, for printing and for code that walks layouts.
int64_t fieldInteger(const uint8_t* field, FieldType type);
double fieldReal(const uint8_t* field, FieldType type);

// Prints one field with its conversion. Integer conversions see the value as C would after
// passing the record's field to printf with a 32-bit `long`.
std::string formatField(const uint8_t* field, const Field& spec);

} // namespace zeph::monitor
