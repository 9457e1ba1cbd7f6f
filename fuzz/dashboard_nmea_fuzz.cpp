// The dashboard's receive side: text arriving on port 1 in reads of any size runs through the
// timer chain's ticks in the order the input chooses (sentence decoders, GSV set collection and
// decoding), and every display then reads what was decoded, as the windows' own timers do.

#include "dashboard_fakes.h"
#include "fuzz_files.h"

#include "dashboard/core/display_texts.h"
#include "dashboard/core/pointer_displays.h"
#include "dashboard/core/sky_plot.h"
#include "dashboard/core/trekdash_core.h"
#include "dashboard/core/world_map.h"

namespace {

using namespace zeph::dashboard;
using zeph::fuzz::check;

// The displays of the View menu and the main window, all reading one state.
struct Displays {
    void tick(ReceiverState& state) {
        sky.displayTick(state);
        position.tick(state);
        position.FormatComm();
        position.tick(state);
        precision.tick(state);
        status.tick(state);
        time.tick(state);
        terminal.actTick(state);
        map.mapTick(state);
        pointers.compassTick(state.CourseDeg);
        pointers.headingTick(state.CourseDeg);
        pointers.meterTick(state.SpeedKnots);
        directionTexts(state.CourseDeg, state.SpeedKnots);
        latitudeDms(state.LatitudeText);
        longitudeDms(state.LongitudeText);
    }
    SkyPlot sky;
    PositionCore position;
    PrecisionCore precision;
    StatusCore status;
    TimeCore time;
    TerminalCore terminal;
    WorldMapCore map;
    PointerDisplays pointers;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FeedPort port1;
    fuzz::FeedPort port2;
    fuzz::StillTimers timers;
    fuzz::SilentPrompter prompter;
    const SettingsFile file(zeph::fuzz::ScratchFolder::instance().path("unused.dat"));
    TrekdashCore core(timers, port1, port2, file, prompter);
    port1.open();
    Displays displays;
    displays.status.activate();
    displays.terminal.ActComm();
    ReceiverState& state = core.state();

    // Each read's first byte says which ticks follow it; the decoders run from the first.
    core.setGsvDecoded(true);
    zeph::fuzz::feedInChunks(data, size, [&](const uint8_t* chunk, size_t n) {
        const uint8_t ticks = chunk[0];
        port1.incoming.assign(reinterpret_cast<const char*>(chunk) + 1, n - 1);
        core.nmeaTick();
        check(state.RxLog.size() <= kRxLogLimit, "the received log stays within its bound");
        if ((ticks & 1) != 0) {
            core.rxCheckTick();
        }
        if ((ticks & 2) != 0) {
            core.decodeTick();
            check(core.gsv().GsvTotal <= kMaxGsvMessages || state.SatsInView <= kSatRows,
                  "a long set shows at most the table's satellites");
        }
        if ((ticks & 4) != 0) {
            displays.tick(state);
            check(displays.map.markerSize >= 1.0f && displays.map.markerSize <= 10.0f,
                  "the map marker keeps its sizes");
        }
        if ((ticks & 8) != 0) {
            core.displayTick();
            check(state.RxBuffer.empty(), "the display tick empties the receive buffer");
        }
    });
    displays.tick(state);
    return 0;
}
