#include "monitor/app/window_monitor.h"

#include "monitor/shell/ui/main_frame.h"

#include "common/qt/display.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace zeph::monitor {

const bool kWindowBuild = true;

namespace {

constexpr int kStopPollMs = 200;

} // namespace

int runWindowMonitor(int argc, char** argv, const HeadlessOptions& options,
                     const std::atomic<bool>& stop, void (*watchingStop)()) {
    if (const std::optional<std::string> reason = prepareDisplay()) {
        std::fprintf(stderr, "zephmon: no display (%s); run it with --headless\n", reason->c_str());
        return 2;
    }
    QApplication app(argc, argv);
    ProfileFile profile(options.settingsPath);
    SystemClock clock;
    CMainFrame frame(profile, clock);
    MainFrameCore& core = frame.core();
    if (options.selection) {
        core.log().setSelection(*options.selection);
    }
    if (options.logPath) {
        core.log().setFileName(*options.logPath);
        touchLogFile(*options.logPath, false);
    }
    frame.show();

    // The start-up runs from the event loop, once the window is on the screen.
    QTimer::singleShot(0, &frame, [&] {
        if (!core.startFromCommandLine(options.source, options.logPath.has_value())) {
            std::fprintf(stderr, "zephmon: cannot open the log file %s\n",
                         options.logPath->c_str());
        }
    });
    // A timed run or a signal ends like Exit, without asking about the log, whatever question
    // or dialog is open.
    auto finish = [&] { frame.endRun(0); };
    if (options.seconds) {
        QTimer::singleShot(*options.seconds * 1000, &frame, finish);
    }
    QTimer stopPoll;
    QObject::connect(&stopPoll, &QTimer::timeout, &frame, [&] {
        if (stop.load()) {
            finish();
        }
    });
    stopPoll.start(kStopPollMs);
    watchingStop();
    return app.exec();
}

} // namespace zeph::monitor
