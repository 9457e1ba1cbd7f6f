// ZephBurn: the window that runs ZephBurnCL, found beside it, for one programming or read run
// at a time.

#include "common/qt/app_icon.h"
#include "flash/frontend/core/engine_child.h"
#include "flash/frontend/core/front_options.h"
#include "flash/frontend/core/line_choice.h"
#include "flash/frontend/ui/burn_dialog.h"

#include "flash/engine/cli/report.h"

#include "common/qt/display.h"
#include "common/qt/qt_prompter.h"
#include "common/serial/port_names.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

std::atomic<bool> stopRequested{false};

void requestStop(int) {
    stopRequested.store(true);
}

constexpr int kStopWatchMs = 100;

// A refused command line ends the program with 1: with a box, or unattended (-ax -sr) on
// standard error with FAIL in the result file.
int refuse(const std::string& text, const std::vector<std::string>& words,
           const std::string& enginePath) {
    using namespace zeph::burnfront;
    const UnattendedRefusal unattended = unattendedRefusal(words);
    if (!unattended.silent) {
        QMessageBox box(QMessageBox::NoIcon, "ZephBurn", QString::fromStdString(text));
        box.exec();
        return 1;
    }
    std::fprintf(stderr, "ZephBurn: %s\n", text.c_str());
    zeph::flash::writeResultFile(
        zeph::flash::resultFileName(engineProgramFolder(enginePath),
                                    "COM" + std::to_string(unattended.line)),
        1);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace zeph::burnfront;
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.size() == 1 && words[0] == "--help") {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }
    if (const std::optional<std::string> reason = zeph::prepareDisplay()) {
        std::fprintf(stderr, "ZephBurn: no display to show its window on (%s)\n", reason->c_str());
        return 2;
    }
    // A child that ends early must not end us through a write to its pipe.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    zeph::setApplicationIcon("ZephBurn");
    app.setQuitOnLastWindowClosed(false); // the window says with which status we end

    const FrontOptionsResult parsed = parseInvocation(words);
    if (!parsed.options) {
        return refuse(parsed.refusal, words, enginePathBeside(argv[0]));
    }
    const FrontOptions& options = *parsed.options;
    const std::vector<std::string> ports = frontPorts(zeph::listPorts());
    const LineChoice choice = chooseLine(ports, options.line);
    if (!choice.refusal.empty()) {
        return refuse(choice.refusal, words, enginePathBeside(argv[0]));
    }

    zeph::QtPrompter prompter("ZephBurn");
    BurnDialog dialog(options, ports, choice.index, enginePathBeside(argv[0]), prompter);
    prompter.setParent(&dialog);
    QObject::connect(&dialog, &BurnDialog::quitRequested, &app,
                     [](int status) { QCoreApplication::exit(status); });
    dialog.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const WindowPlace place = cascadePlace(
            area.width(), area.height(), dialog.frameGeometry().width(),
            dialog.frameGeometry().height(), static_cast<int>(ports.size()), choice.index);
        dialog.move(area.x() + place.x, area.y() + place.y);
    }
    // From here a signal ends the running ZephBurnCL with us, so it does not go on holding the
    // line; before, there is no child and the signals keep their default.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, requestStop);
    }
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &dialog, [&dialog] {
        if (stopRequested.load()) {
            dialog.endWithoutAsking();
        }
    });
    stopWatch.start(kStopWatchMs);
    dialog.show();
    if (options.autoExecute) {
        QTimer::singleShot(0, &dialog, &BurnDialog::execute);
    }
    return QApplication::exec();
}
