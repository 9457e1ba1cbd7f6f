#include "dashboard/core/settings_forms.h"
#include "dashboard/core/settings_record.h"
#include "dashboard/core/trekdash_core.h"

#include "dashboard/core/tests/fakes.h"

#include "common/testing/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace zeph::dashboard {
namespace {

using testing::FakePort;
using testing::RecordingPrompter;

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using zeph::testing::TempDir;

SettingsRecord knownRecord() {
    SettingsRecord r;
    r.port = 3;
    SettingsRecord::setText(r.speed, "9600");
    SettingsRecord::setText(r.databasePath, "C:\\MAP\\POS.MDB");
    SettingsRecord::setText(r.source1Speed, "38400");
    SettingsRecord::setText(r.source2Speed, "4800");
    r.source1Port = 0x0102;
    r.source2Port = -2;
    SettingsRecord::setText(r.recentFiles[0], "A.MDB");
    SettingsRecord::setText(r.recentFiles[10], "Z.MDB");
    return r;
}

TEST(SettingsRecordLayout, TheWholeRecordByteForByte) {
    std::string expected;
    expected += std::string("\x03\x00", 2);
    expected += "9600   ";
    expected += "C:\\MAP\\POS.MDB" + std::string(50 - 14, ' ');
    expected += "38400  ";
    expected += "4800   ";
    expected += "\x02\x01";
    expected += "\xFE\xFF";
    expected += "A.MDB" + std::string(95, ' ');
    expected += std::string(9 * 100, ' ');
    expected += "Z.MDB" + std::string(95, ' ');
    ASSERT_EQ(expected.size(), 1177u);

    const auto bytes = knownRecord().encode();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
    EXPECT_EQ(SettingsRecord::decode(bytes), knownRecord());
}

TEST(SettingsRecordLayout, TextsArePaddedCutAndReadWithoutPadding) {
    SettingsRecord r;
    SettingsRecord::setText(r.speed, "123456789");
    EXPECT_EQ(std::string(r.speed.begin(), r.speed.end()), "1234567");
    SettingsRecord::setText(r.speed, "48");
    EXPECT_EQ(std::string(r.speed.begin(), r.speed.end()), "48     ");
    EXPECT_EQ(SettingsRecord::text(r.speed), "48");
}

TEST(SettingsFileIo, WrittenWholeReadWholeAndAFirstStartWithoutAFile) {
    TempDir dir;
    const SettingsFile file((dir / "nmea.dat").string());
    EXPECT_EQ(file.read(), SettingsRecord::firstStart());
    EXPECT_FALSE(std::filesystem::exists(dir / "nmea.dat")) << "reading creates nothing";

    SettingsRecord inRange = knownRecord();
    inRange.source1Port = 16;
    inRange.source2Port = 1;
    ASSERT_TRUE(file.write(inRange));
    EXPECT_EQ(std::filesystem::file_size(dir / "nmea.dat"), 1177u);
    EXPECT_EQ(file.read(), inRange);

    std::ofstream(dir / "nmea.dat", std::ios::binary) << "short";
    EXPECT_EQ(file.read(), SettingsRecord::firstStart());

    const SettingsFile nowhere((dir / "missing" / "nmea.dat").string());
    EXPECT_FALSE(nowhere.write(knownRecord()));
}

struct FormsFixture : ::testing::Test {
    FormsFixture() : file((dir / "nmea.dat").string()) {
        SettingsRecord r = SettingsRecord::firstStart();
        r.port = 2;
        file.write(r);
        timers.setClient(&core);
    }
    TempDir dir;
    SettingsFile file;
    FakeClock clock;
    ClockTimers timers{clock};
    FakePort port1;
    FakePort port2;
    RecordingPrompter prompter;
    TrekdashCore core{timers, port1, port2, file, prompter};
    SetFormCore setForm{core, prompter};
    DoubleFormCore doubleForm{core, prompter};
};

TEST_F(FormsFixture, LoadOpensPortOneWithTheStoredSettings) {
    core.load();
    EXPECT_TRUE(port1.isOpen());
    EXPECT_EQ(port1.port, 2);
    EXPECT_EQ(port1.settings, "4800,n,8,1");
    EXPECT_TRUE(core.compassMode());
    EXPECT_TRUE(prompter.messages.empty());
}

// A port number outside 1..16 is no port: that field reads as on a first start, the other
// fields as written.
TEST(SettingsFileIo, PortsOutsideOneToSixteenReadAsTheFirstStartPorts) {
    struct Case {
        int16_t written;
        int16_t port, source1, source2; // as read
    };
    const Case cases[] = {
        {999, 1, 1, 2}, {-5, 1, 1, 2}, {0, 1, 1, 2}, {17, 1, 1, 2}, {16, 16, 16, 16}, {3, 3, 3, 3},
    };
    TempDir dir;
    const SettingsFile file((dir / "nmea.dat").string());
    for (const Case& c : cases) {
        SettingsRecord r = knownRecord();
        r.port = r.source1Port = r.source2Port = c.written;
        ASSERT_TRUE(file.write(r));
        SettingsRecord expected = knownRecord();
        expected.port = c.port;
        expected.source1Port = c.source1;
        expected.source2Port = c.source2;
        EXPECT_EQ(file.read(), expected) << c.written;
    }
}

TEST_F(FormsFixture, ABusyPortAtStartNamesItsNumber) {
    port1.busy = true;
    core.load();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "The COM 2 is occupied ! Set again Please!");
    EXPECT_EQ(prompter.icons[0], Prompter::Icon::Error);
    EXPECT_TRUE(core.controls().displayEnabled);
    EXPECT_FALSE(core.controls().stopEnabled);

    // A damaged port number starts on COM 1 and names that, never the number in the file.
    SettingsRecord r = SettingsRecord::firstStart();
    r.port = 999;
    ASSERT_TRUE(file.write(r));
    prompter.messages.clear();
    core.load();
    EXPECT_EQ(port1.port, 1);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "The COM 1 is occupied ! Set again Please!");
}

TEST_F(FormsFixture, CancelLeavesTheFileUnchanged) {
    const std::string before = readBytes(dir / "nmea.dat");
    setForm.load();
    EXPECT_EQ(setForm.comIndex(), 1);
    EXPECT_EQ(setForm.speed(), "4800");
    setForm.choosePort(7);
    setForm.chooseSpeed("38400");
    EXPECT_TRUE(setForm.cancel());
    EXPECT_EQ(readBytes(dir / "nmea.dat"), before);
    EXPECT_FALSE(core.state().SettingsRequest);
    setForm.activate();
    EXPECT_EQ(setForm.comIndex(), 1) << "the next read shows the file again";
}

TEST_F(FormsFixture, OkAppliesTheSettingsAtTheNextActivation) {
    core.load();
    setForm.activate();
    setForm.choosePort(4);
    setForm.chooseSpeed("9600");
    ASSERT_TRUE(setForm.ok());
    EXPECT_TRUE(core.state().SettingsRequest);
    EXPECT_EQ(file.read().port, 5);
    EXPECT_EQ(SettingsRecord::text(file.read().speed), "9600");
    EXPECT_EQ(port1.port, 2) << "nothing changes before the activation";

    core.activate();
    EXPECT_EQ(port1.port, 5);
    EXPECT_EQ(port1.settings, "9600,n,8,1");
    EXPECT_TRUE(port1.isOpen());
    EXPECT_FALSE(core.state().SettingsRequest);
    EXPECT_FALSE(core.controls().displayEnabled);
    EXPECT_TRUE(core.controls().stopEnabled);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(FormsFixture, OkOnABusyPortGivesTheComIsUsedAndBlocksCancel) {
    core.load();
    core.singleSourceMenu();
    setForm.activate();
    setForm.choosePort(0);
    ASSERT_TRUE(setForm.ok());
    port1.busy = true;
    core.activate();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "The COM is used!");
    EXPECT_TRUE(core.controls().setFormVisible);
    EXPECT_TRUE(core.state().PortOpenFailed);
    EXPECT_FALSE(core.state().SettingsRequest);

    setForm.activate();
    EXPECT_FALSE(setForm.cancelEnabled());
    EXPECT_FALSE(setForm.cancel());
    EXPECT_TRUE(core.controls().setFormVisible);

    port1.busy = false;
    ASSERT_TRUE(setForm.ok());
    core.activate();
    EXPECT_FALSE(core.state().PortOpenFailed);
    EXPECT_TRUE(setForm.cancelEnabled());
}

TEST_F(FormsFixture, OkThatCannotWriteTheFileSaysSoAndRequestsNothing) {
    const SettingsFile nowhere((dir / "missing" / "nmea.dat").string());
    TrekdashCore other(timers, port1, port2, nowhere, prompter);
    SetFormCore form(other, prompter);
    EXPECT_FALSE(form.ok());
    EXPECT_FALSE(other.state().SettingsRequest);
    ASSERT_EQ(prompter.messages.size(), 1u);
}

TEST_F(FormsFixture, DoubleStartOpensBothSourcesOrNamesTheBusyOne) {
    core.load();
    doubleForm.activate();
    doubleForm.chooseSource1Port(3);
    doubleForm.chooseSource2Port(4);
    doubleForm.chooseSource1Speed("9600");
    doubleForm.chooseSource2Speed("19200");
    ASSERT_TRUE(doubleForm.ok());
    EXPECT_EQ(file.read().source2Port, 4);

    port2.busy = true;
    core.activate();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "Source 2 is used!");
    EXPECT_TRUE(core.controls().doubleFormVisible);
    EXPECT_FALSE(core.state().DoubleRequest);

    port2.busy = false;
    port1.busy = true;
    ASSERT_TRUE(doubleForm.ok());
    core.activate();
    EXPECT_EQ(prompter.messages.back(), "Source 1 is used!");

    port1.busy = false;
    core.setGsvDecoded(true);
    ASSERT_TRUE(doubleForm.ok());
    core.activate();
    EXPECT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(port1.port, 3);
    EXPECT_EQ(port1.settings, "9600,n,8,1");
    EXPECT_EQ(port2.port, 4);
    EXPECT_EQ(port2.settings, "19200,n,8,1");
    EXPECT_TRUE(timers.enabled(TimerId::Compare));
    EXPECT_TRUE(core.controls().doubleMapVisible);
    EXPECT_FALSE(core.controls().mainWindowEnabled);
    EXPECT_FALSE(core.gsvDecoded());

    port2.incoming = "source two";
    timers.runFor(std::chrono::milliseconds(700));
    EXPECT_EQ(core.state().RxBuffer2, "source two");

    core.closeDoubleMap();
    core.activate();
    EXPECT_EQ(port1.port, 2) << "the single receiver is restored";
    EXPECT_FALSE(port2.isOpen());
    EXPECT_FALSE(core.state().SingleRestoreRequest);
}

} // namespace
} // namespace zeph::dashboard
