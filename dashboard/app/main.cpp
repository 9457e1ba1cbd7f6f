// Trekdash: the NMEA dashboard's program. It reads nmea.dat in the current folder, opens the
// receiver's port and shows the main window.

#include "common/qt/app_icon.h"
#include "dashboard/core/serial_nmea_port.h"
#include "dashboard/ui/trekdash_window.h"

#include "common/qt/display.h"
#include "common/qt/qt_prompter.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Faster than the port is read, so the file follows every read.
constexpr int kCountsIntervalMs = 100;

constexpr const char* kUsage =
    "Usage: Trekdash [--counts PATH] [--help]\n"
    "\n"
    "NMEA dashboard for a GPS receiver on a serial port. It reads the receiver's RMC, GGA, GSA\n"
    "and GSV sentences and shows them in one main window:\n"
    "  - a sky plot with one symbol per satellite in view, coloured by signal strength, and a\n"
    "    row of signal-strength bars with the satellites' numbers;\n"
    "  - a speed meter (knots) and a compass card turned by the course over ground; the View\n"
    "    menu's Compass entry switches between the compass (No Heading) and a heading arrow\n"
    "    (Heading);\n"
    "  - Display opens the receiver's port and Stop closes it.\n"
    "\n"
    "The View menu also opens small windows of their own: Time (UTC and date), Position\n"
    "(latitude, longitude, altitude; Format Change switches degrees-minutes-seconds and the\n"
    "received text), Precision > Normal (PDOP, HDOP, VDOP), Status (fix and the kinds of\n"
    "sentences arriving), Terminal (the received text as it comes), Information, Direction\n"
    "(course and speed), World Map (the position on a map of the globe) and Select Nmea (sends\n"
    "the receiver the commands that switch each sentence on or off, set its rate, or change\n"
    "its serial speed).\n"
    "\n"
    "Set > Single Source chooses the receiver's port (COM 1 to COM 16) and speed (1200 to\n"
    "38400). Set > Double Source chooses a port and speed for each of two receivers and opens\n"
    "the comparison window, which draws the two receivers' skies side by side; Pause holds it\n"
    "and Close returns to one receiver.\n"
    "\n"
    "The settings are the file nmea.dat in the current folder, written by the Set windows.\n"
    "Without it Trekdash listens on COM 1 at 4800 baud (sources on COM 1 and COM 2); a port\n"
    "number in it outside 1..16 counts as its first-start port.\n"
    "\n"
    "Port n is the device named by the environment variable ZEPH_COMn, else /dev/ttyS<n-1>.\n"
    "To watch the simulated receiver:\n"
    "\n"
    "  zephsim --protocol nmea --baud 4800   # prints its device, say /dev/pts/4\n"
    "  ZEPH_COM1=/dev/pts/4 Trekdash\n"
    "\n"
    "The simulator's rate must be the one in nmea.dat; for another rate choose it in\n"
    "Set > Single Source.\n"
    "\n"
    "  --counts PATH  keep in PATH the sentences read from the receiver's port since the\n"
    "                 start, one line \"Sentence <type>: <count>\" per type with a good\n"
    "                 checksum, then \"Rejected sentences: <count>\"; rewritten whole as\n"
    "                 they change, for comparing with what the receiver sent\n"
    "  --help         this text\n";

// Written beside and renamed into place, so a reader never sees half a file.
bool writeWhole(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text;
        if (!out.flush()) {
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    return !ec;
}

} // namespace

int main(int argc, char** argv) {
    std::string countsPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    if (const std::optional<std::string> reason = zeph::prepareDisplay()) {
        std::fprintf(stderr, "Trekdash: no display to show its window on (%s)\n", reason->c_str());
        return 2;
    }
    QApplication app(argc, argv);
    zeph::setApplicationIcon("Trekdash");
    const QStringList arguments = QApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--counts" && i + 1 < arguments.size() && !arguments[i + 1].isEmpty()) {
            countsPath = arguments[++i].toLocal8Bit().toStdString();
            continue;
        }
        std::fprintf(stderr, "Trekdash: %s %s\n%s",
                     arguments[i] == "--counts" ? "--counts needs a file path:" : "unknown option",
                     arguments[i].toLocal8Bit().constData(), kUsage);
        return 2;
    }

    using namespace zeph::dashboard;
    SerialNmeaPort port1;
    SerialNmeaPort port2;
    SerialNmeaPort selPort;
    const SettingsFile settingsFile(kSettingsFileName);
    zeph::QtPrompter prompter("Trekdash");
    Trekdash window({port1, port2, selPort}, settingsFile, prompter);
    prompter.setParent(&window);
    window.load();
    window.show();
    // The first showing is the first activation, whether or not the desktop focuses the window.
    window.activateMain();

    QTimer countsTimer;
    std::string written;
    if (!countsPath.empty()) {
        auto writeCounts = [&] {
            std::string report = window.core().received().report();
            if (report != written) {
                if (!writeWhole(countsPath, report)) {
                    std::fprintf(stderr, "Trekdash: cannot write the counts to %s\n",
                                 countsPath.c_str());
                    countsTimer.stop();
                    return;
                }
                written = std::move(report);
            }
        };
        writeCounts();
        QObject::connect(&countsTimer, &QTimer::timeout, &app, writeCounts);
        countsTimer.start(kCountsIntervalMs);
    }
    return QApplication::exec();
}
