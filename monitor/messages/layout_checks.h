#pragma once

// What the build checks of the message layouts. A row that describes a member of a packed
// record (message_records.h) names that member, and its offset, type and count must be the
// member's; every layout's rows must lie in order inside its length. Either fault stops the
// build at the row, so the catalogue and the records cannot drift apart.

#include "field_layout.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace zeph::monitor {

// The field type of a record member's element; only the types a message field may have.
template <class T> struct WireType;
template <> struct WireType<uint8_t> { static constexpr FieldType value = FieldType::U8; };
template <> struct WireType<uint16_t> { static constexpr FieldType value = FieldType::U16; };
template <> struct WireType<int16_t> { static constexpr FieldType value = FieldType::I16; };
template <> struct WireType<uint32_t> { static constexpr FieldType value = FieldType::U32; };
template <> struct WireType<int32_t> { static constexpr FieldType value = FieldType::I32; };
template <> struct WireType<float> { static constexpr FieldType value = FieldType::F32; };
template <> struct WireType<double> { static constexpr FieldType value = FieldType::F64; };

// Where a record member lies and what it holds: a value or an array of values, or an array of
// blocks for a group.
struct MemberShape {
    size_t offset;
    size_t count;  // elements; 1 for a single value
    size_t stride; // bytes of one element
};

template <class M> constexpr MemberShape memberShape(size_t offset) {
    return {offset, std::is_array_v<M> ? std::extent_v<M> : 1, sizeof(std::remove_extent_t<M>)};
}

// Called only for a row that disagrees with its record; not constexpr, so such a row does not
// compile, and the compiler names this function and the row.
void catalogueRowDisagreesWithItsRecord();

template <class M> consteval Field checkedField(MemberShape member, Field row) {
    if (row.offset != member.offset || row.count != member.count ||
        row.type != WireType<std::remove_extent_t<M>>::value) {
        catalogueRowDisagreesWithItsRecord();
    }
    return row;
}

// A group over a record's array of blocks; a count of 0 is taken from the payload.
consteval Group checkedGroup(MemberShape member, Group group) {
    if (group.offset != member.offset || group.stride != member.stride ||
        (group.count != 0 && group.count != member.count)) {
        catalogueRowDisagreesWithItsRecord();
    }
    return group;
}

// Fields in wire order, none overlapping the next, all inside `end`.
constexpr bool rowsInOrder(std::span<const Field> fields, size_t end) {
    size_t next = 0;
    for (const Field& f : fields) {
        if (f.offset < next) {
            return false;
        }
        next = f.offset + fieldSize(f.type) * f.count;
    }
    return next <= end;
}

// The fields before the group, the group's blocks inside the length, each block's fields
// inside its stride.
constexpr bool layoutInOrder(const Layout& layout) {
    const Group& g = layout.group;
    if (g.stride == 0) {
        return rowsInOrder(layout.fields, layout.length);
    }
    return rowsInOrder(layout.fields, g.offset) && rowsInOrder(g.fields, g.stride) &&
           g.offset + size_t{g.count} * g.stride <= layout.length;
}

} // namespace zeph::monitor

// A row for `member` of `Record`: the row's own offset, type, count, format and scale, checked
// against the member when the catalogue is compiled.
#define ZEPH_FIELD(Record, member, ...)                                                            \
    ::zeph::monitor::checkedField<decltype(std::declval<Record>().member)>(                        \
        ::zeph::monitor::memberShape<decltype(std::declval<Record>().member)>(                     \
            offsetof(Record, member)),                                                             \
        ::zeph::monitor::Field{__VA_ARGS__})

// A group over `member` of `Record`, an array of blocks: offset, count (or 0) and stride.
#define ZEPH_GROUP(Record, member, ...)                                                            \
    ::zeph::monitor::checkedGroup(                                                                 \
        ::zeph::monitor::memberShape<decltype(std::declval<Record>().member)>(                     \
            offsetof(Record, member)),                                                             \
        ::zeph::monitor::Group{__VA_ARGS__})
