#include "message_names.h"

#include "common/text/strprintf.h"

#include <algorithm>
#include <cstring>

namespace zeph::monitor {
namespace {

struct Name {
    uint8_t mid;
    const char* text;
};

constexpr Name kDisplayNames[] = {
    {0, "None"},           {1, "Ref Nav"},        {2, "Meas Nav"},
    {3, "True Trk"},       {4, "Meas Trk"},       {5, "Raw Trk"},
    {6, "S/W Version"},    {7, "Clk Status"},     {8, "50 BPS"},
    {9, "Thru-put"},       {10, "Error"},         {11, "Command Ack"},
    {12, "Command Nak"},   {13, "Visible List"},  {14, "Almanac"},
    {15, "Ephemeris"},     {17, "Raw DGPS"},      {19, "Rcvr Params"},
    {28, "Nav Lib: Meas"}, {29, "Nav Lib: DGPS"}, {30, "Nav Lib:SV State"},
    {31, "Nav Lib: Init"}, {41, "Geodetic Nav"},  {48, "Drovana"},
    {50, "SBAS Status"},   {255, "Debug"},
};

constexpr Name kConstantNames[] = {
    {1, "MID_TrueNavigation"},
    {2, "MID_MeasuredNavigation"},
    {3, "MID_TrueTracker"},
    {4, "MID_MeasuredTracker"},
    {5, "MID_RawTrkData"},
    {6, "MID_SWVersion"},
    {7, "MID_ClockStatus"},
    {8, "MID_50BPS"},
    {9, "MID_ThroughputMonitor"},
    {10, "MID_Error"},
    {11, "MID_Ack"},
    {12, "MID_Nak"},
    {13, "MID_VisList"},
    {14, "MID_Almanac"},
    {15, "MID_Ephemeris"},
    {16, "MID_TestModeData"},
    {18, "MID_OkToSend"},
    {19, "MID_RxMgrParams"},
    {27, "MID_DGPSStatus"},
    {43, "MID_CMD_PARAM"},
    {128, "MID_NavigationInitialization"},
    {129, "MID_SetNMEAMode"},
    {130, "MID_SetAlmanac"},
    {131, "MID_FormattedDump"},
    {132, "MID_PollSWVersion"},
    {133, "MID_DGPSSourceControl"},
    {134, "MID_SetSerialPort"},
    {135, "MID_SetProtocol"},
    {136, "MID_SetNavMode"},
    {137, "MID_SetDOPMode"},
    {138, "MID_SetDGPSMode"},
    {139, "MID_SetElevMask"},
    {140, "MID_SetPowerMask"},
    {141, "MID_SetEditingResidual"},
    {142, "MID_SetSteadyStateDetector"},
    {143, "MID_SetStaticNavigation"},
    {144, "MID_PollClockStatus"},
    {145, "MID_SetDGPSPort"},
    {146, "MID_PollAlmanac"},
    {147, "MID_PollEphemeris"},
    {148, "MID_FlashUpdate"},
    {149, "MID_SetEphemeris"},
    {150, "MID_SwitchOpMode"},
    {151, "MID_LowPower"},
    {152, "MID_PollRxMgrParams"},
    {165, "MID_ChangeUartChnl"},
    {166, "MID_SetMsgRate"},
    {167, "MID_LPAcqParams"},
    {168, "MID_POLL_CMD_PARAM"},
    {244, "MID_BufferFull"},
    {245, "MID_ParityError"},
    {246, "MID_RcvFullError"},
    {247, "MID_RcvOverrunError"},
    {248, "MID_FrameError"},
    {249, "MID_BreakInterrupt"},
    {250, "MID_BufferTerminated"},
    {251, "MID_TransportDataError"},
    {252, "MID_CheckSumError"},
    {253, "MID_LengthError"},
    {254, "MID_MessageTypeError"},
    {255, "MID_ASCIIData"},
};

constexpr uint8_t kDrovanaCommandMid = 172;
constexpr const char* kDrovanaCommandNames[] = {
    nullptr,
    "MID_DrOut:SID_SetDrNavInit",
    "MID_DrOut:SID_SetDrNavMode",
    "MID_DrOut:SID_SetGyrFactCal",
    "MID_DrOut:SID_SetDrSensParam",
    "MID_DrOut:SID_PollDrValid",
    "MID_DrOut:SID_PollGyrFactCal",
    "MID_DrOut:SID_PollDrSensParam",
};

struct ErrorFormat {
    uint16_t id;
    const char* format;
};
constexpr ErrorFormat kErrorFormats[] = {
    {2, "Bad parity from SV %02ld, subframe %ld"},
    {8, "KFDBG @%ld: Bad altitude = %ld"},
    {9, "RxM error in getting SV %02ld's position"},
    {10, "RxM: Pseudo range in seconds exceeds limit: %ld"},
    {11, "RxM error: tdop=%ld overflow"},
    {12, "RxM: Ephemeris for SV %02ld exceeds valid time duration by %ld sec"},
    {13, "SRAM: Bad position during startup, x:%ld y:%ld z:%ld"},
    {4097, "VCO lock lost in %lu msec"},
    {4099, "Assuming false acquisition and reseting receiver at %ld"},
    {4100, "Kalman Filter @%ld: Kill chan %02ld, range res=%ld"},
    {4103, "Krause solution poor:\nPOS = %ld %ld %ld PR = %ld %ld %ld\nSAT1= %ld %ld %ld\n"
           "SAT2= %ld %ld %ld\nSAT3= %ld %ld %ld\nSAT4= %ld %ld %ld"},
    {4104, "SRAM control flags contain bad checksum"},
    {4105, "RTC time or SRAM backup invalid, TOW:%ld, WNUM:%ld"},
    {4106, "SRAM backup not done: Velocity sum exceeds maximum."},
    {4107, "SRAM backup not done: Too few SVs used in a solution."},
    {8193, "UART buffer allocation error: %lu"},
    {8194, "OSOR #%ld (%ld ms)"},
    {8195, "Memory test failed at 0x%lx"},
};
constexpr const char* kUnknownErrorFormat = "Unknown format: %lx %lx %lx %lx %lx %lx";

const char* find(std::span<const Name> table, uint8_t mid) {
    for (const Name& n : table) {
        if (n.mid == mid) {
            return n.text;
        }
    }
    return nullptr;
}

} // namespace

std::string displayName(uint8_t mid) {
    const char* name = find(kDisplayNames, mid);
    return name ? name : "";
}

std::string constantName(uint8_t mid, uint8_t subId) {
    const char* name = nullptr;
    if (mid == kDrovanaCommandMid) {
        if (subId >= 1 && subId < std::size(kDrovanaCommandNames)) {
            name = kDrovanaCommandNames[subId];
        }
    } else {
        name = find(kConstantNames, mid);
    }
    return name ? std::string(name) : strprintf("Unknown MID:%d", mid);
}

const char* errorFormat(uint16_t errorId) {
    for (const ErrorFormat& e : kErrorFormats) {
        if (e.id == errorId) {
            return e.format;
        }
    }
    return kUnknownErrorFormat;
}

// Walks the format one conversion at a time, so each parameter is passed exactly as its
// conversion expects, whatever the table holds.
std::string formatErrorText(const char* format, std::span<const uint32_t> params) {
    std::string out;
    size_t next = 0;
    for (const char* p = format; *p != '\0';) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        const char* end = p + 1 + std::strspn(p + 1, "-+ #0123456789.hl");
        if (*end == '\0') {
            out.append(p);
            break;
        }
        // The flags and width as written, then the conversion with a 32-bit `long` argument.
        std::string spec;
        for (const char* c = p; c != end; ++c) {
            if (*c != 'l') {
                spec += *c;
            }
        }
        spec += 'l';
        spec += *end;
        const uint32_t value = next < params.size() ? params[next] : 0;
        ++next;
        const bool isSigned = *end == 'd' || *end == 'i';
        out += isSigned ? strprintf(spec.c_str(), asLong(value))
                        : strprintf(spec.c_str(), asULong(value));
        p = end + 1;
    }
    return out;
}

} // namespace zeph::monitor
