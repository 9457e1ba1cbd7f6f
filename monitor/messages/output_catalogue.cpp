#include "output_catalogue.h"

#include <array>

namespace zeph::monitor {
namespace {

using T = FieldType;

constexpr Field kNav[] = {
    {1, T::I32, 3, "%ld"},            // ECEF X, Y, Z
    {13, T::I16, 3, "%.3f", 1.0 / 8}, // velocities
    {19, T::U8, 1, "%d"},             // mode 1
    {20, T::U8, 1, "%.1f", 0.2},      // HDOP
    {21, T::U8, 1, "%d"},             // mode 2
    {22, T::U16, 1, "%d"},            // week
    {24, T::U32, 1, "%ld"},           // TOW
    {28, T::U8, 1, "%d"},             // satellites in the fix
    {29, T::U8, 12, "%d"},            // PRNs used
};

constexpr Field kTrackHeader[] = {
    {1, T::U16, 1, "%d"},  // week
    {3, T::U32, 1, "%ld"}, // TOW
    {7, T::U8, 1, "%d"},   // channel count
};
constexpr Field kTrackChannel[] = {
    {0, T::U8, 1, "%d"},      // SVID
    {1, T::U8, 1, "%d", 1.5}, // azimuth
    {2, T::U8, 1, "%d", 0.5}, // elevation
    {3, T::U16, 1, "%d"},     // state
    {5, T::U8, 10, "%d"},     // C/No
};

constexpr Field kRawTrack[] = {
    {1, T::I32, 1, "%ld"}, {5, T::U16, 1, "%d"},  {7, T::U16, 1, "%02x"}, {9, T::I32, 1, "%ld"},
    {13, T::U16, 1, "%d"}, {15, T::U16, 1, "%d"}, {17, T::I32, 4, "%ld"}, {33, T::U16, 1, "%d"},
    {35, T::U8, 10, "%d"}, {45, T::U8, 1, "%d"},  {46, T::U8, 1, "%d"},   {47, T::U16, 1, "%d"},
    {49, T::U16, 1, "%d"},
};

constexpr Field kClockStatus[] = {
    {1, T::U16}, {3, T::U32}, {7, T::U8}, {8, T::U32}, {12, T::U32}, {16, T::U32},
};
constexpr Field k50Bps[] = {{1, T::U8}, {2, T::U8}, {3, T::U32, 10}};
constexpr Field kThroughput[] = {{1, T::U16, 4}};
constexpr Field kAck[] = {{1, T::U8}, {2, T::U8}};
constexpr Field kAlmanac[] = {{1, T::U8}, {2, T::U16, 14}};
constexpr Field kEphemeris[] = {{1, T::U8}, {2, T::U16, 45}};
constexpr Field kOkToSend[] = {{1, T::U8}};
constexpr Field kSbasStatus[] = {{1, T::U8, 4}};

constexpr Field kNavParams[] = {
    {1, T::U32},     {5, T::U8, 2}, {7, T::I16},  {9, T::U8, 6},  {15, T::U32},    {19, T::U8},
    {20, T::I16},    {22, T::U8},   {23, T::U32}, {27, T::U8, 3}, {30, T::U32},    {34, T::U8},
    {35, T::U32, 2}, {43, T::U8},   {44, T::U32}, {48, T::U8},    {49, T::U32, 2}, {57, T::U32, 2},
};

constexpr Field kNavLibMeas[] = {
    {1, T::U8, 1, "%d"},      {2, T::U32, 1, "%ld"},    {6, T::U8, 1, "%d"},
    {7, T::F64, 1, "%.10e"},  {15, T::F64, 1, "%.10e"}, {23, T::F32, 1, "%.10e"},
    {27, T::F64, 1, "%.10e"}, {35, T::U16, 1, "%d"},    {37, T::U8, 1, "%d"},
    {38, T::U8, 10, "%d"},    {48, T::U16, 1, "%d"},    {50, T::U16, 1, "%d"},
    {52, T::I16, 1, "%d"},    {54, T::U8, 1, "%d"},     {55, T::U8, 1, "%d"},
};
constexpr Field kNavLibDgps[] = {
    {1, T::I16, 1, "%d"},
    {3, T::I16, 1, "%d"},
    {5, T::U8, 1, "%d"},
    {6, T::F32, 5, "%.10e"},
};
constexpr Field kNavLibSvState[] = {
    {1, T::U8, 1, "%d"},      {2, T::F64, 1, "%.11e"},  {10, T::F64, 6, "%.10e"},
    {58, T::F64, 1, "%.10e"}, {66, T::F32, 1, "%.10e"}, {70, T::U8, 1, "%d"},
    {71, T::F32, 3, "%.10e"},
};
constexpr Field kNavLibInit[] = {
    {1, T::U8, 3, "%d"},   {4, T::F32, 1, "%.10e"},  {8, T::U8, 1, "%d"},
    {9, T::I16, 3, "%d"},  {15, T::U8, 2, "%d"},     {17, T::I16, 3, "%d"},
    {23, T::U8, 1, "%d"},  {24, T::I16, 3, "%d"},    {30, T::U8, 1, "%d"},
    {31, T::I16, 1, "%d"}, {33, T::U8, 1, "%d"},     {34, T::I16, 1, "%d"},
    {36, T::U8, 1, "%d"},  {37, T::I16, 1, "%d"},    {39, T::F64, 3, "%.10e"},
    {63, T::U8, 1, "%d"},  {64, T::F64, 1, "%.10e"}, {72, T::U16, 1, "%d"},
    {74, T::U8, 1, "%d"},  {75, T::F64, 1, "%.10e"}, {83, T::U8, 1, "%d"},
};

constexpr Field kGeodetic[] = {
    {1, T::U16, 1, "%d"},   {3, T::U16, 1, "%d"},   {5, T::U16, 1, "%d"},   {7, T::U32, 1, "%lu"},
    {11, T::U16, 1, "%d"},  {13, T::U8, 1, "%d"},   {14, T::U16, 1, "%d"},  {16, T::U16, 1, "%d"},
    {18, T::U16, 1, "%d"},  {20, T::U16, 1, "%d"},  {22, T::U8, 1, "%d"},   {23, T::I32, 1, "%ld"},
    {27, T::I32, 1, "%ld"}, {31, T::I32, 1, "%ld"}, {35, T::I32, 1, "%ld"}, {39, T::U8, 1, "%d"},
    {40, T::U16, 1, "%d"},  {42, T::U16, 1, "%d"},  {44, T::I16, 1, "%d"},  {46, T::I16, 1, "%d"},
    {48, T::I16, 1, "%d"},  {50, T::U32, 1, "%lu"}, {54, T::U32, 1, "%lu"}, {58, T::U32, 1, "%lu"},
    {62, T::U16, 1, "%d"},  {64, T::I32, 1, "%ld"}, {68, T::U32, 1, "%lu"}, {72, T::I32, 1, "%ld"},
    {76, T::U32, 1, "%lu"}, {80, T::U32, 1, "%lu"}, {84, T::U16, 1, "%d"},  {86, T::U16, 1, "%d"},
    {88, T::U8, 3},
};

// MID 10, 13 and 17 carry counts; their layouts here are the largest the record holds.
constexpr Field kErrorHeader[] = {{1, T::U16, 2}};
constexpr Field kVisibleHeader[] = {{1, T::U8}};
constexpr Field kVisibleEntry[] = {{0, T::U8}, {1, T::U16, 2}};
constexpr Field kRawDgpsHeader[] = {{1, T::I16}};

constexpr Field kDgpsBeacon[] = {
    {1, T::U8}, {2, T::U32}, {6, T::U8, 2}, {8, T::U32}, {12, T::I16, 2},
};
constexpr Field kDgpsAges[] = {{1, T::U8}, {2, T::U8, 12}};
constexpr Field kDgpsCorrection[] = {{0, T::U8}, {1, T::I16}};
constexpr Group kDgpsCorrections{16, 12, 3, kDgpsCorrection};
constexpr Layout kDgpsBeaconLayout{52, kDgpsBeacon, kDgpsCorrections};
constexpr Layout kDgpsAgesLayout{52, kDgpsAges, kDgpsCorrections};

constexpr Field kDrOut1[] = {
    {1, T::U8, 1, "%d"},  {2, T::U8, 1, "%d"}, {3, T::U16, 1, "%d"},
    {5, T::U8, 10, "%d"}, {15, T::U8, 2},
};
constexpr Field kDrOut2[] = {
    {1, T::U8, 1, "%d"},   {2, T::U16, 10, "%d"}, {22, T::U32, 1, "%lu"},
    {26, T::U16, 1, "%d"}, {28, T::U8, 1, "%d"},  {29, T::U8},
};
constexpr Field kDrOut3[] = {
    {1, T::U8, 1, "%d"},   {2, T::U16, 6, "%d"},   {14, T::U32, 1, "%lu"},
    {18, T::U16, 6, "%d"}, {30, T::U32, 1, "%lu"}, {34, T::U8, 2},
};
constexpr Field kDrOut4[] = {{1, T::U8, 1, "%d"}, {2, T::U32, 2, "%ld"}, {10, T::U16, 3, "%d"}};
constexpr Field kDrOut8[] = {
    {1, T::U8, 1, "%d"},
    {2, T::U8, 1, "%d"},
    {3, T::U8, 1, "%d"},
    {4, T::U16, 1, "%d"},
};
constexpr Field kDrOut8Entry[] = {{0, T::U32, 1, "%lu"}, {4, T::U16, 2, "%d"}};

struct DrOutEntry {
    uint8_t subId;
    Layout layout;
};
constexpr DrOutEntry kDrOut[] = {
    {1, {17, kDrOut1}},
    {2, {30, kDrOut2}},
    {3, {36, kDrOut3}},
    {4, {16, kDrOut4}},
    {8, {86, kDrOut8, {6, 10, 8, kDrOut8Entry}}},
};

// MID 43 echoes, counted from the echoed command's MID.
constexpr Field kEcho133[] = {{0, T::U8, 2}, {2, T::U32}, {6, T::U8}};
constexpr Field kEcho136[] = {{0, T::U8, 6}, {6, T::I16}, {8, T::U8, 6}};
constexpr Field kEchoBytes[] = {{0, T::U8, 5}};
constexpr Field kEcho139[] = {{0, T::U8}, {1, T::I16, 2}};
constexpr Field kEcho151[] = {
    {0, T::U8}, {1, T::U16, 2},  {5, T::U32},                      // the low-power command
    {9, T::U8}, {10, T::U32, 3}, {22, T::U16, 2}, {26, T::U32, 2}, // its acquisition parameters
};
struct EchoEntry {
    uint8_t mid;
    Layout layout;
};
constexpr EchoEntry kEchoes[] = {
    {133, {7, kEcho133}},   {136, {14, kEcho136}}, {137, {5, kEchoBytes}},
    {138, {3, kEchoBytes}}, {139, {5, kEcho139}},  {140, {3, kEchoBytes}},
    {143, {2, kEchoBytes}}, {151, {34, kEcho151}}, {170, {4, kEchoBytes}},
};

using D = Decoding;
using R = Rendering;
constexpr OutputMessage kCatalogue[] = {
    {1, D::Fixed, R::Csv, {41, kNav}},
    {2, D::Fixed, R::Csv, {41, kNav}},
    {3, D::Fixed, R::Csv, {188, kTrackHeader, {8, 12, 15, kTrackChannel}}},
    {4, D::Fixed, R::Csv, {188, kTrackHeader, {8, 12, 15, kTrackChannel}}},
    {5, D::Fixed, R::Csv, {51, kRawTrack}},
    {6, D::SwVersion, R::Hook, {}},
    {7, D::Fixed, R::Hook, {20, kClockStatus}},
    {8, D::Fixed, R::Hook, {43, k50Bps}},
    {9, D::Fixed, R::Hook, {9, kThroughput}},
    {10, D::Error, R::Hook, {5, kErrorHeader}},
    {11, D::Fixed, R::Hook, {3, kAck}},
    {12, D::Fixed, R::Hook, {3, kAck}},
    {13, D::VisibleList, R::Hook, {2, kVisibleHeader, {2, 0, 5, kVisibleEntry}}},
    {14, D::Fixed, R::Hook, {30, kAlmanac}},
    {15, D::Fixed, R::Hook, {92, kEphemeris}},
    {17, D::RawDgps, R::Hook, {3, kRawDgpsHeader}},
    {18, D::Fixed, R::Hook, {2, kOkToSend}},
    {19, D::Fixed, R::Hook, {65, kNavParams}},
    {27, D::DgpsStatus, R::None, {}},
    {28, D::Fixed, R::Csv, {56, kNavLibMeas}},
    {29, D::Fixed, R::Csv, {26, kNavLibDgps}},
    {30, D::Fixed, R::Csv, {83, kNavLibSvState}},
    {31, D::Fixed, R::Csv, {84, kNavLibInit}},
    {41, D::Fixed, R::Csv, {91, kGeodetic}},
    {43, D::CommandEcho, R::None, {}},
    {48, D::DrOut, R::Csv, {}},
    {50, D::Fixed, R::None, {5, kSbasStatus}},
    {255, D::Text, R::Hook, {}},
};

constexpr std::array<const OutputMessage*, 256> indexByMid() {
    std::array<const OutputMessage*, 256> index{};
    for (const OutputMessage& m : kCatalogue) {
        index[m.mid] = &m;
    }
    return index;
}
constexpr auto kByMid = indexByMid();

} // namespace

const OutputMessage* outputMessage(uint8_t mid) {
    return kByMid[mid];
}

const Layout* drOutLayout(uint8_t subId) {
    for (const DrOutEntry& e : kDrOut) {
        if (e.subId == subId) {
            return &e.layout;
        }
    }
    return nullptr;
}

const Layout& dgpsStatusLayout(uint8_t sourceType) {
    return sourceType == 3 ? kDgpsBeaconLayout : kDgpsAgesLayout;
}

const Layout* commandEchoLayout(uint8_t echoedMid) {
    for (const EchoEntry& e : kEchoes) {
        if (e.mid == echoedMid) {
            return &e.layout;
        }
    }
    return nullptr;
}

} // namespace zeph::monitor
