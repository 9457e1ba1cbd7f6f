#include "monitor/views/view_texts.h"

#include "monitor/messages/message_names.h"
#include "monitor/messages/message_renderer.h"

#include "common/text/strprintf.h"

#include <array>
#include <cstring>
#include <span>
#include <string_view>

namespace zeph::monitor {
namespace {

constexpr uint8_t kMidSwVersion = 6;
constexpr uint8_t kMidClockStatus = 7;
constexpr uint8_t kMidError = 10;
constexpr uint8_t kMidAck = 11;
constexpr uint8_t kMidNak = 12;
constexpr uint8_t kMidNavParams = 19;
constexpr uint8_t kMidText = 255;

// The stored text as "%s" prints it: up to the first NUL.
std::string_view printedText(const RxMessage& msg) {
    const std::string_view stored = msg.textView();
    return stored.substr(0, stored.find('\0'));
}

std::string errorReportText(const RxMessage& msg) {
    const auto e = msg.as<ErrorRecord>();
    std::array<uint32_t, kMaxErrorParams> params{};
    const size_t count = e.count < kMaxErrorParams ? e.count : kMaxErrorParams;
    for (size_t k = 0; k < count; ++k) {
        params[k] = e.param[k];
    }
    std::string text = formatErrorText(errorFormat(e.errorId), std::span(params.data(), count));
    if (text.size() > kMaxErrorViewText) {
        text.resize(kMaxErrorViewText);
    }
    return text;
}

std::string ackedName(const RxMessage& msg) {
    const auto a = msg.as<AckRecord>();
    return constantName(a.ackedMid, a.ackedSubId);
}

} // namespace

bool isShownErrorCode(uint16_t code) {
    return (code >= 0x2000 && code <= 0x2003) || (code >= 0x1000 && code <= 0x100D) ||
           (code >= 1 && code <= 18);
}

std::optional<std::string> debugViewText(const RxMessage& msg) {
    if (msg.mid != kMidText || msg.textView().empty() || msg.textCode == kLinkErrorCode) {
        return std::nullopt;
    }
    std::string text(printedText(msg));
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    text += '\n';
    return text;
}

std::optional<std::string> errorViewText(const RxMessage& msg) {
    if (msg.mid == kMidError) {
        if (!isShownErrorCode(msg.as<ErrorRecord>().errorId)) {
            return std::nullopt;
        }
        return errorReportText(msg);
    }
    if (msg.mid == kMidText && msg.textCode == kLinkErrorCode) {
        return std::string(printedText(msg)) + '\n';
    }
    return std::nullopt;
}

std::optional<std::string> responseViewText(const RxMessage& msg) {
    switch (msg.mid) {
    case kMidSwVersion: {
        const auto v = msg.as<SwVersionRecord>();
        return "SW Version " + std::string(v.text, strnlen(v.text, sizeof v.text));
    }
    case kMidClockStatus: {
        const auto c = msg.as<ClockStatusRecord>();
        return strprintf("Week:%u  TOW:%lu  EstGPSTime:%lu ms  SVCnt:%u\n"
                         "Clock Drift:%lu Hz  Clock Bias:%lu ns",
                         unsigned{c.week}, asULong(c.tow), asULong(c.estGpsTime),
                         unsigned{c.svCount}, asULong(c.drift), asULong(c.bias));
    }
    case kMidAck:
        return "Acknowledged " + ackedName(msg);
    case kMidNak:
        return "Rejected " + ackedName(msg);
    case kMidNavParams:
        return navParamsReport(msg.as<NavParamsRecord>());
    default:
        return std::nullopt;
    }
}

std::string navParamsReport(const NavParamsRecord& p) {
    static const char* const kAltMode[] = {"auto", "always", "never use"};
    static const char* const kAltSource[] = {"last KF alt", "fixed", "dynamic"};
    static const char* const kDegraded[] = {"DThenT", "TThenD", "DirOnly", "TimeOnly", "Disabled"};
    static const char* const kOnOff[] = {"disabled", "enabled"};
    static const char* const kDopMask[] = {"auto", "PDOP", "HDOP", "GDOP", "disabled"};
    static const char* const kDgpsSrc[] = {"None", "SBAS", "Serial", "Internal Beacon", "S/W"};
    static const char* const kDgpsMode[] = {"auto", "exclusive", "never use", "mixed"};

    const std::string power = lowPowerLines(p);

    const std::string elevMask = strprintf("%.1f", p.elevMask / 10.0);
    std::string text = strprintf(
        "AltMode: %s\nAltSource: %s\nAltitude: %d\nDegradedMode: %s\nDegradedTimeout: %d s\n"
        "DRTimeout: %d s\nTrkSmoothMode: %s\nStaticNav: %s\n3SV LSQ: %s\nDOPMaskMode: %s\n"
        "ElevMask: %s deg\nPwrMask: %d dBHz\nDGPSSrc: %s\nDGPSMode: %s\nDGPSTimeout: %d s\n%s",
        enumText(kAltMode, p.altMode).c_str(), enumText(kAltSource, p.altSource).c_str(),
        p.altitude, enumText(kDegraded, p.degradedMode).c_str(), p.degradedTimeout, p.drTimeout,
        enumText(kOnOff, p.trkSmoothMode).c_str(), enumText(kOnOff, p.staticNav).c_str(),
        enumText(kOnOff, p.threeSvLsq).c_str(), enumText(kDopMask, p.dopMaskMode).c_str(),
        elevMask.c_str(), p.pwrMask, enumText(kDgpsSrc, p.dgpsSrc).c_str(),
        enumText(kDgpsMode, p.dgpsMode).c_str(), p.dgpsTimeout, power.c_str());
    if (text.size() > kMaxNavParamsText) {
        text.resize(kMaxNavParamsText);
    }
    return text;
}

} // namespace zeph::monitor
