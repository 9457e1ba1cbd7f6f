// The window running the built ZephBurnCL against flashsim, with COM1 mapped to flashsim's
// pseudo-terminal: a programming run whose bars move, then a read run that fills its file.

#include "flash/frontend/ui/burn_dialog.h"

#include "common/qt/testing/qt_application.h"
#include "common/serial/port_names.h"
#include "flash/engine/run/tests/burn_e2e_support.h"
#include "flash/engine/run/tests/burn_image_bytes.h"
#include "flash/frontend/core/line_choice.h"
#include "flash/frontend/core/tests/scripted_prompter.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>

#include <algorithm>

namespace zeph::burnfront {
namespace {

using flash::e2e::Bytes;

struct BarValues {
    std::vector<int> xfer, prog;
    static bool between(const std::vector<int>& values) {
        return std::any_of(values.begin(), values.end(), [](int v) { return v > 0 && v < 100; });
    }
};

TEST(BurnDialogRun, ProgramsWithMovingBarsAndReadsTheImageBack) {
    flash::e2e::BurnFolder folder;
    const Bytes image = flash::e2e::randomBytes(0x8000, 7);
    const std::string imageFile = folder.dir.write("image.bin", image);
    const std::string flashFile = folder.path("flash.img");
    flash::e2e::Sim sim({"--chip", "MX29LV400CB", "--flash", flashFile, "--program-ms", "20"});
    ASSERT_FALSE(sim.device.empty());
    setenv("ZEPH_COM1", sim.device.c_str(), 1);
    const std::vector<std::string> ports = frontPorts(listPorts());
    const LineChoice line = chooseLine(ports, 1);
    ASSERT_TRUE(line.refusal.empty()) << line.refusal;

    FrontOptions o;
    o.dataFile = imageFile;
    o.compression = 0; // raw blocks, so the transfer takes long enough to be watched
    ScriptedPrompter prompter;
    BurnDialog dialog(o, ports, line.index, zeph::testing::programPath("ZephBurnCL"), prompter);
    BarValues bars;
    QObject::connect(dialog.findChild<QProgressBar*>("xfer"), &QProgressBar::valueChanged,
                     [&](int v) { bars.xfer.push_back(v); });
    QObject::connect(dialog.findChild<QProgressBar*>("prog"), &QProgressBar::valueChanged,
                     [&](int v) { bars.prog.push_back(v); });

    dialog.execute();
    ASSERT_TRUE(zeph::testing::processEventsUntil([&] { return !dialog.busy(); }, 120000));
    EXPECT_EQ(dialog.lastExitStatus(), 0);
    EXPECT_EQ(prompter.shown, std::vector<std::string>{"Flash successfully programmed!\n"});
    EXPECT_TRUE(BarValues::between(bars.xfer)) << ::testing::PrintToString(bars.xfer);
    EXPECT_TRUE(BarValues::between(bars.prog)) << ::testing::PrintToString(bars.prog);
    EXPECT_EQ(bars.xfer.back(), 100);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("model")->text(), "MX29LV400CB");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("fileType")->text(), "BINARY");

    // Read it back through the window into a file that exists: replacing it is asked first.
    const std::string out = folder.dir.write("out.bin", "old");
    dialog.findChild<QRadioButton*>("readFlash")->click();
    dialog.findChild<QLineEdit*>("dataFile")->setText(QString::fromStdString(out));
    dialog.findChild<QLineEdit*>("fromAddress")->setText("0");
    dialog.findChild<QLineEdit*>("toAddress")->setText("0x7FFF");
    prompter.shown.clear();
    prompter.answers = {Prompter::Answer::Yes};
    bars = {};
    dialog.execute();
    ASSERT_TRUE(zeph::testing::processEventsUntil([&] { return !dialog.busy(); }, 120000));
    EXPECT_EQ(prompter.shown,
              (std::vector<std::string>{out + " already exists.\nDo you want to replace it?",
                                        "Flash successfully read!\n"}));
    EXPECT_EQ(flash::testing::readBytes(out), image);
    EXPECT_TRUE(BarValues::between(bars.xfer)) << ::testing::PrintToString(bars.xfer);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("erase")->text(), "");
    unsetenv("ZEPH_COM1");
}

} // namespace
} // namespace zeph::burnfront
