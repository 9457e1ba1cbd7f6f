#include "field_layout.h"

#include "common/text/strprintf.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace zeph::monitor {

static_assert(std::endian::native == std::endian::little, "records are kept little-endian");

void toHostOrder(uint8_t* field, FieldType type, DoubleOrder order) {
    const size_t size = fieldSize(type);
    if (type == FieldType::F64 && order == DoubleOrder::LowWordFirst) {
        // Each half is big-endian; the low-order half comes first.
        std::reverse(field, field + 4);
        std::reverse(field + 4, field + 8);
        return;
    }
    std::reverse(field, field + size);
}

static void fieldsToHostOrder(uint8_t* base, std::span<const Field> fields, DoubleOrder order) {
    for (const Field& f : fields) {
        for (int i = 0; i < f.count; ++i) {
            toHostOrder(base + f.offset + i * fieldSize(f.type), f.type, order);
        }
    }
}

void toHostOrder(uint8_t* record, const Layout& layout, DoubleOrder order) {
    fieldsToHostOrder(record, layout.fields, order);
    for (int g = 0; g < layout.group.count; ++g) {
        fieldsToHostOrder(record + layout.group.offset + g * layout.group.stride,
                          layout.group.fields, order);
    }
}

template <class T> static T load(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

int64_t fieldInteger(const uint8_t* field, FieldType type) {
    switch (type) {
    case FieldType::U8:
        return *field;
    case FieldType::U16:
        return load<uint16_t>(field);
    case FieldType::I16:
        return load<int16_t>(field);
    case FieldType::U32:
        return load<uint32_t>(field);
    case FieldType::I32:
        return load<int32_t>(field);
    case FieldType::F32:
        return static_cast<int64_t>(load<float>(field));
    case FieldType::F64:
        return static_cast<int64_t>(load<double>(field));
    }
    return 0;
}

double fieldReal(const uint8_t* field, FieldType type) {
    switch (type) {
    case FieldType::F32:
        return load<float>(field);
    case FieldType::F64:
        return load<double>(field);
    default:
        return static_cast<double>(fieldInteger(field, type));
    }
}

std::string formatField(const uint8_t* field, const Field& spec) {
    const char* fmt = spec.format;
    const char conversion = fmt[std::strlen(fmt) - 1];
    const bool isLong = std::strchr(fmt, 'l') != nullptr;
    if (conversion == 'e' || conversion == 'f' || conversion == 'g') {
        const double v = fieldReal(field, spec.type);
        return strprintf(fmt, spec.scale != 0 ? v * spec.scale : v);
    }
    int64_t v = fieldInteger(field, spec.type);
    if (spec.scale != 0) {
        v = static_cast<int64_t>(std::trunc(static_cast<double>(v) * spec.scale));
    }
    const auto bits = static_cast<uint32_t>(v);
    const bool isSigned = conversion == 'd' || conversion == 'i';
    if (isLong) {
        return isSigned ? strprintf(fmt, asLong(bits)) : strprintf(fmt, asULong(bits));
    }
    return isSigned ? strprintf(fmt, static_cast<int>(static_cast<int32_t>(bits)))
                    : strprintf(fmt, static_cast<unsigned>(bits));
}

} // namespace zeph::monitor
