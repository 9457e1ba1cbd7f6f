// What one receiver second costs each of the monitor's ten views, offscreen: the simulated
// receiver's messages of 1,000 seconds go to every view as the document hands them on, and the
// view repaints once a second as its window would. Prints one row per view.
//
//   view_update_bench [SECONDS [SLOT...]]    (chosen 0 to 9; all ten by default)

#include "monitor/shell/feed.h"
#include "monitor/shell/settings.h"
#include "monitor/views/testing/message_maker.h"
#include "monitor/views/ui/view_factory.h"
#include "sim/receiver/receiver_model.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace zeph;
using Clock = std::chrono::steady_clock;

// The frame sizes of a first start, less the frame's title bar.
struct ViewSize {
    int width, height;
};
constexpr ViewSize kSizes[] = {{540, 410}, {360, 410}, {350, 410}, {520, 400}, {300, 400},
                               {430, 400}, {360, 300}, {450, 300}, {250, 390}, {690, 410}};

// One second of the receiver's binary output that some view reads.
std::vector<sim::Bytes> secondOfMessages(uint32_t second) {
    const sim::ReceiverSnapshot s = sim::openSkySnapshotAt(second);
    return {sim::navigationMessage(s, 2),
            sim::trackerMessage(s, 4),
            sim::clockStatusMessage(s),
            sim::geodeticNavMessage(s),
            sim::dgpsStatusMessage(s, false),
            sim::sbasStatusMessage(),
            sim::debugTextMessage("RxM: " + std::to_string(second) + " SVs in view")};
}

struct Cost {
    double updateUs = 0; // the messages of one second, per second
    double paintUs = 0;  // one repaint of the whole view
    double p99Us = 0;    // update and paint: 99 of 100 seconds cost no more
};

Cost measure(size_t slot, uint32_t seconds, monitor::ProfileFile& profile) {
    monitor::ProgramState state;
    const monitor::ViewContext ctx(state, &profile);
    std::unique_ptr<monitor::MonitorView> view(monitor::createView(slot, ctx));
    view->resize(kSizes[slot].width, kSizes[slot].height);
    view->show();
    QApplication::processEvents();
    monitor::testing::MessageMaker make;
    Cost c;
    Clock::duration update{}, paint{};
    std::vector<double> totals;
    for (uint32_t second = 0; second < seconds; ++second) {
        Clock::duration thisSecond{};
        for (const sim::Bytes& payload : secondOfMessages(second)) {
            const monitor::RxMessage& msg = make.binary(payload);
            const Clock::time_point t0 = Clock::now();
            view->onUpdate(monitor::kHintNewMessage, &msg);
            thisSecond += Clock::now() - t0;
        }
        update += thisSecond;
        const Clock::time_point t1 = Clock::now();
        view->repaint();
        const Clock::duration painted = Clock::now() - t1;
        paint += painted;
        totals.push_back(std::chrono::duration<double, std::micro>(thisSecond + painted).count());
    }
    c.updateUs = std::chrono::duration<double, std::micro>(update).count() / seconds;
    c.paintUs = std::chrono::duration<double, std::micro>(paint).count() / seconds;
    std::sort(totals.begin(), totals.end());
    c.p99Us = totals[totals.size() * 99 / 100];
    return c;
}

} // namespace

int main(int argc, char** argv) {
    const uint32_t seconds = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : 1000;
    if (seconds == 0) {
        std::fprintf(stderr, "usage: view_update_bench [SECONDS [SLOT...]]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The map's origin where the simulated receiver drives, so that its dots land on the plot.
    const std::filesystem::path ini = std::filesystem::temp_directory_path() /
                                      ("view_update_bench_" + std::to_string(getpid()) + ".ini");
    monitor::ProfileFile profile(ini);
    profile.writeString(monitor::settings::kVwMap, monitor::settings::kLat, "37.4");
    profile.writeString(monitor::settings::kVwMap, monitor::settings::kLon, "-122.1");

    std::printf("%-18s %12s %12s %12s\n", "view", "update us", "repaint us", "p99 us");
    std::vector<size_t> chosen;
    for (int k = 2; k < argc; ++k) {
        const int slot = std::atoi(argv[k]);
        if (slot >= 0 && static_cast<size_t>(slot) < monitor::settings::kViewSlotCount) {
            chosen.push_back(static_cast<size_t>(slot));
        }
    }
    if (chosen.empty()) {
        for (size_t slot = 0; slot < monitor::settings::kViewSlotCount; ++slot) {
            chosen.push_back(slot);
        }
    }
    for (size_t slot : chosen) {
        const Cost c = measure(slot, seconds, profile);
        std::printf("%-18s %12.1f %12.1f %12.1f\n",
                    monitor::viewCaption(slot).toStdString().c_str(), c.updateUs, c.paintUs,
                    c.p99Us);
    }
    std::printf("(%u receiver seconds of 7 messages each per view)\n", seconds);
    std::filesystem::remove(ini);
    return 0;
}
