#include "message_renderer.h"

#include "message_names.h"
#include "message_records.h"
#include "output_catalogue.h"

#include "common/text/strprintf.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <span>

namespace zeph::monitor {
namespace {

void appendFields(std::string& out, const uint8_t* base, std::span<const Field> fields) {
    for (const Field& f : fields) {
        if (f.format == nullptr) {
            continue;
        }
        for (int i = 0; i < f.count; ++i) {
            out += ',';
            out += formatField(base + f.offset + i * fieldSize(f.type), f);
        }
    }
}

void renderCsv(const RxMessage& msg, const Layout& layout, std::string& out) {
    out = strprintf("%d", msg.mid);
    const uint8_t* record = msg.record.data();
    appendFields(out, record, layout.fields);
    for (int g = 0; g < layout.group.count; ++g) {
        appendFields(out, record + layout.group.offset + g * layout.group.stride,
                     layout.group.fields);
    }
}

std::string renderNavParams(const NavParamsRecord& p) {
    static const char* const kAltMode[] = {"auto", "always", "never use"};
    static const char* const kAltSource[] = {"last KF alt", "fixed", "dynamic"};
    static const char* const kDegraded[] = {"DThenT", "TThenD", "DirOnly", "TimeOnly", "Disabled"};
    static const char* const kOnOff[] = {"disabled", "enabled"};
    static const char* const kDopMask[] = {"auto", "PDOP", "HDOP", "GDOP", "disabled"};
    static const char* const kDgpsSrc[] = {"None", "WAAS", "Serial", "Internal Beacon", "Software"};
    static const char* const kDgpsMode[] = {"auto", "exclusive", "never use", "mixed"};

    const std::string power = lowPowerLines(p);

    return strprintf(
        "Polling Navigation Parameters\nAltMode: %s\nAltSource: %s\nAltitude: %d\n"
        "DegradedMode: %s\nDegradedTimeout: %d s\nDRTimeout: %d s\n"
        "TrkSmoothMode: %s\nStaticNav: %s\n3SV LSQ: %s\nDOPMaskMode: %s\n"
        "ElevMask:%.1f deg\nPwrMask: %d dBHz\nDGPSSrc: %s\nDGPSMode: %s\n"
        "DGPSTimeout: %d s\n%s",
        enumText(kAltMode, p.altMode).c_str(), enumText(kAltSource, p.altSource).c_str(),
        p.altitude, enumText(kDegraded, p.degradedMode).c_str(), p.degradedTimeout, p.drTimeout,
        enumText(kOnOff, p.trkSmoothMode).c_str(), enumText(kOnOff, p.staticNav).c_str(),
        enumText(kOnOff, p.threeSvLsq).c_str(), enumText(kDopMask, p.dopMaskMode).c_str(),
        p.elevMask * 0.1, p.pwrMask, enumText(kDgpsSrc, p.dgpsSrc).c_str(),
        enumText(kDgpsMode, p.dgpsMode).c_str(), p.dgpsTimeout, power.c_str());
}

// "%*s" of the stored text: padded on the left to the stored length should the text hold a
// NUL, with line ends turned into blanks so the entry stays on one log line.
std::string renderText(const RxMessage& msg) {
    const std::string_view stored = msg.textView();
    const std::string_view shown = stored.substr(0, stored.find('\0'));
    std::string out(stored.size() - shown.size(), ' ');
    out += shown;
    for (char& c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

bool renderHook(const RxMessage& msg, std::string& out) {
    switch (msg.mid) {
    case 6:
        out = strprintf("SW Version: %s", msg.as<SwVersionRecord>().text);
        return true;
    case 7: {
        const auto c = msg.as<ClockStatusRecord>();
        out = strprintf("Week:%u  TOW:%lu  EstGPSTime:%lu ms  SVCnt:%u  Clock Drift:%lu Hz  "
                        "Clock Bias:%lu ns",
                        unsigned{c.week}, asULong(c.tow), asULong(c.estGpsTime),
                        unsigned{c.svCount}, asULong(c.drift), asULong(c.bias));
        return true;
    }
    case 8: {
        const auto d = msg.as<Data50BpsRecord>();
        out.clear();
        if (d.svid != 0) {
            out = strprintf(": %02d %02d ", d.channel, d.svid);
            for (int k = 0; k < 10; ++k) {
// The '0' flag is idle beside '-', but the format is the log's own.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
                out += strprintf("%-08lx ", asULong(d.word[k]));
#pragma GCC diagnostic pop
            }
        }
        return true;
    }
    case 9: {
        const auto t = msg.as<ThroughputRecord>();
        out = strprintf("ThrPut(186=1ms): Latency:%03d SegStatMax:%03d AveTrkTime:%03d "
                        "Nav Complete:%04d ms",
                        t.latency, t.segStatMax, t.avgTrkTime, t.navComplete);
        return true;
    }
    case 10: {
        const auto e = msg.as<ErrorRecord>();
        // A text capture stores its bytes as they stand: its count may reach past the table.
        const size_t count = std::min<size_t>(e.count, kMaxErrorParams);
        std::array<uint32_t, kMaxErrorParams> params;
        for (size_t k = 0; k < count; ++k) {
            params[k] = e.param[k];
        }
        out = formatErrorText(errorFormat(e.errorId), std::span(params.data(), count));
        return true;
    }
    case 11:
    case 12: {
        const auto a = msg.as<AckRecord>();
        out = (msg.mid == 11 ? "Ack: " : "Nak: ") + constantName(a.ackedMid, a.ackedSubId);
        return true;
    }
    case 13: {
        const auto v = msg.as<VisibleListRecord>();
        out = "Visible List\n";
        for (int i = 0; i < std::min<int>(v.count, kMaxVisible); ++i) {
            out += strprintf("SVID:%02d  Az:%03d  El:%03d\n", v.entry[i].svid, v.entry[i].azimuth,
                             v.entry[i].elevation);
        }
        return true;
    }
    case 14: {
        const auto a = msg.as<AlmanacRecord>();
        out = strprintf("ALMANAC SVID:%02d  ", a.svid);
        for (int k = 0; k < 14; ++k) {
            out += strprintf("%d, ", static_cast<int16_t>(a.word[k]));
        }
        return true;
    }
    case 15: {
        const auto e = msg.as<EphemerisRecord>();
        out = strprintf("EPHEMERIS SVID:%02d  ", e.svid);
        for (int k = 0; k < 45; ++k) {
            out += strprintf("%d, ", e.word[k]);
        }
        return true;
    }
    case 17: {
        const auto r = msg.as<RawDgpsRecord>();
        out = strprintf("%d,%s", msg.mid, r.hex);
        return true;
    }
    case 18:
        out = msg.as<OkToSendRecord>().flag != 0 ? "OkToSend: TRUE" : "OkToSend: FALSE";
        return true;
    case 19:
        out = renderNavParams(msg.as<NavParamsRecord>());
        return true;
    case 255:
        out = renderText(msg);
        return true;
    default:
        return false;
    }
}

} // namespace

std::string lowPowerLines(const NavParamsRecord& p) {
    std::string power;
    if (p.wakeOnDemand != 0) {
        power = "Wake-On-Demand enabled\n";
    } else if (p.lullEnabled != 0) {
        const double duty =
            p.lullOnTime != 0 && p.lullPeriod != 0 ? p.lullOnTime * 100.0 / p.lullPeriod : 0.0;
        power = strprintf("Lullcycle enabled with %ld ms on, %f%% duty cycle\n",
                          asLong(p.lullOnTime), duty);
    } else {
        power = "Continuous power enabled\n";
    }
    power += p.userTasksEnabled != 0
                 ? strprintf("User tasks enabled, period = %d\n", int32_t(p.userTaskPeriod))
                 : std::string("User tasks disabled\n");
    power += strprintf("MaxAcqTime = %d ms; MaxOffTime = %d ms\n", int32_t(p.maxAcqTime),
                       int32_t(p.maxOffTime));
    return power;
}

bool renderMessage(const RxMessage& msg, std::string& out) {
    out.clear();
    const OutputMessage* entry = outputMessage(msg.mid);
    if (entry == nullptr) {
        return false;
    }
    switch (entry->rendering) {
    case Rendering::None:
        return false;
    case Rendering::Hook:
        return renderHook(msg, out);
    case Rendering::Csv:
        if (entry->decoding == Decoding::DrOut) {
            // A sub-ID the monitor does not know is logged as an empty line.
            if (const Layout* layout = drOutLayout(msg.subId)) {
                renderCsv(msg, *layout, out);
            }
        } else {
            renderCsv(msg, entry->layout, out);
        }
        return true;
    }
    return false;
}

} // namespace zeph::monitor
