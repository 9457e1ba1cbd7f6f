#include "monitor/app/window_monitor.h"

#include "monitor/shell/ui/main_frame.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace zeph::monitor {
namespace {

constexpr int kStopPollMs = 200;

} // namespace

int runWindowMonitor(int argc, char** argv, const HeadlessOptions& options,
                     const std::atomic<bool>& stop) {
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
        if (options.source) {
            core.startWith(*options.source, options.logPath.has_value());
        } else {
            core.start();
            if (options.logPath) {
                core.startLog();
            }
        }
    });
    // A timed run or a signal ends like Exit, without asking about the log.
    auto finish = [&] {
        core.log().close();
        frame.close();
    };
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
    return app.exec();
}

} // namespace zeph::monitor
