// Trekdash: the NMEA dashboard's program. It reads nmea.dat in the current folder, opens the
// receiver's port and shows the main window.

#include "dashboard/core/serial_nmea_port.h"
#include "dashboard/ui/trekdash_window.h"

#include "common/qt/display.h"
#include "common/qt/qt_prompter.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "Usage: Trekdash [--help]\n"
    "\n"
    "NMEA dashboard for one GPS receiver on a serial port: a sky plot with one symbol per\n"
    "satellite in view, coloured by signal strength, and a row of signal-strength bars.\n"
    "\n"
    "Its settings are the file nmea.dat in the current folder (port and speed of the receiver,\n"
    "and of the two sources of the comparison mode). Without it Trekdash listens on COM1 at\n"
    "4800 baud; the Set menu chooses another port and writes the file.\n"
    "\n"
    "Port n is the device named by the environment variable ZEPH_COMn, else /dev/ttyS<n-1>.\n"
    "To watch the simulated receiver:\n"
    "\n"
    "  zephsim --protocol nmea --baud 4800   # prints its device, say /dev/pts/4\n"
    "  ZEPH_COM1=/dev/pts/4 Trekdash\n"
    "\n"
    "The simulator's rate must be the one in nmea.dat; for another rate choose it in\n"
    "Set > Single Source (the window's speeds run from 1200 to 38400).\n";

} // namespace

int main(int argc, char** argv) {
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
    for (int i = 1; i < QApplication::arguments().size(); ++i) {
        std::fprintf(stderr, "Trekdash: unknown option %s\n%s",
                     QApplication::arguments()[i].toLocal8Bit().constData(), kUsage);
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
    return QApplication::exec();
}
