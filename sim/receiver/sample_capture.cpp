#include "sample_capture.h"

#include "receiver_model.h"

namespace zeph::sim {
namespace {

void append(Bytes& out, const Bytes& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}
void append(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

// The rarer messages and faults, one kind per second, cycling.
void appendExtras(Bytes& out, uint32_t second, const ReceiverSnapshot& s, const OutputOptions& o) {
    switch (second % 16) {
    case 0:
        append(out, frame(swVersionMessage(o)));
        append(out, frame(ackMessage(true, 132)));
        break;
    case 1:
        for (uint8_t svid : Bytes{1, 2, 3, 32}) {
            append(out, frame(almanacPatternMessage(svid)));
        }
        break;
    case 2:
        for (uint8_t svid : Bytes{1, 17, 32, 40}) {
            append(out, frame(ephemerisPatternMessage(svid)));
        }
        break;
    case 3:
        append(out, frame(errorMessage(2, {7, 3})));
        append(out, frame(errorMessage(
                        4103, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18})));
        append(out, frame(errorMessage(8195, {0xDEADBEEF})));
        append(out, frame(errorMessage(777, {1, 0xFFFFFFFF, 3})));
        break;
    case 4:
        append(out, frame(navParamsMessage()));
        append(out, frame(ackMessage(false, 172, 5)));
        append(out, frame(commandParamsMessage({139, 0, 50, 0, 75})));
        break;
    case 5:
        for (uint8_t sub : Bytes{1, 2, 3, 4, 8, 9}) {
            append(out, frame(drOutMessage(sub, second)));
        }
        break;
    case 6:
        append(out, frame(okToSendMessage(false)));
        append(out, frame(okToSendMessage(true)));
        append(out, frame(rawDgpsMessage({0x66, 0x1B, 0x00, 0xFE})));
        append(out, frame(sbasStatusMessage()));
        break;
    case 7:
        append(out, frame(navLibMeasurementMessage(s, o)));
        append(out, frame(navLibDgpsMessage(s)));
        append(out, frame(navLibSvStateMessage(s, o)));
        append(out, frame(navLibInitMessage(s, o)));
        break;
    case 8:
        append(out, frame(dgpsStatusMessage(s, second % 32 == 8)));
        append(out, frame(PayloadWriter(16).u8(1).u16(2)));
        append(out, frame(PayloadWriter(99).u8(0xAB)));
        break;
    case 9: // NMEA sentences between binary messages
        append(out, sentence(ggaBody(s)));
        append(out, sentence(rmcBody(s)));
        append(out, sentence(gsaBody(s)));
        for (const std::string& body : gsvBodies(s)) {
            append(out, sentence(body));
        }
        break;
    case 10: { // line noise and a frame whose checksum is wrong
        append(out, Bytes{0x00, 0x55, 0xA0, 0x13, 0xFF});
        Bytes bad = frame(clockStatusMessage(s));
        bad[bad.size() - 3] ^= 0x5A;
        append(out, bad);
        break;
    }
    case 11: { // a frame whose tail is wrong, and one that claims too long a payload
        Bytes bad = frame(throughputMessage(second));
        bad[bad.size() - 1] = 0xB4;
        append(out, bad);
        append(out, Bytes{0xA0, 0xA2, 0x04, 0x00, 0x01});
        break;
    }
    case 12:
        append(out, frame(debugTextMessage("Nav: reacq\r\nSV 7 lost")));
        append(out, frame(debugTextMessage(std::string(300, 'x'))));
        append(out, frame(data50BpsMessage(s, 0)));
        append(out, frame(PayloadWriter(8).u8(3).u8(0).fill(40)));
        break;
    case 13: // a short navigation frame: the fields it lacks stay zero
        append(out, frame(PayloadWriter(2).u32(1234)));
        append(out, frame(rawTrackMessage(s, 3)));
        break;
    case 14: { // a sentence broken by a stray control byte, then one without its LF
        std::string broken = sentence(ggaBody(s));
        broken[20] = '\x07';
        append(out, broken);
        std::string noLf = sentence(rmcBody(s));
        noLf.back() = 'X';
        append(out, noLf);
        break;
    }
    default:
        append(out, frame(visibleListMessage(s)));
        append(out, frame(trackerMessage(s, 3)));
        break;
    }
}

} // namespace

Bytes sampleCapture(const CaptureOptions& options) {
    OutputOptions o;
    o.lowWordFirst = options.lowWordFirst;
    Bytes out;
    append(out, Bytes{0x11, 0x22, 0xB0, 0xB3}); // noise before the first message
    for (uint32_t second = 0; second < options.seconds; ++second) {
        const ReceiverSnapshot s = snapshotAt(second);
        append(out, frame(navigationMessage(s, 2)));
        append(out, frame(trackerMessage(s, 4)));
        append(out, frame(clockStatusMessage(s)));
        append(out, frame(geodeticNavMessage(s)));
        append(out, frame(throughputMessage(second)));
        appendExtras(out, second, s, o);
    }
    return out;
}

} // namespace zeph::sim
