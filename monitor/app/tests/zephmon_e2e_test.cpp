// zephmon against zephsim on a pseudo-terminal, as a lab user runs it, and what it does with
// the files and signals it is given.

#include "common/serial/testing/pty_pair.h"
#include "common/testing/child_process.h"

#include "common/testing/temp_dir.h"
#include "common/testing/text_files.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace zeph::testing {
namespace {

// The ways zephmon runs in this build: headless, and with its window when the build has one.
std::vector<bool> headlessModes() {
    return ZEPH_WINDOW ? std::vector<bool>{true, false} : std::vector<bool>{true};
}

class ZephmonE2e : public ::testing::Test {
protected:
    ProgramResult runMonitor(const std::string& port, int seconds, const std::string& baud = "") {
        return runProgram(
            {programPath("zephmon"), "--headless", "--settings", dir.path("zephmon.ini"),
             "--source", "serial:" + port + (baud.empty() ? "" : "@" + baud), "--log",
             dir.path("run.gps"), "--select", "all", "--seconds", std::to_string(seconds)});
    }
    TempDir dir;
};

TEST_F(ZephmonE2e, LogsAReceiverForTenSeconds) {
    BackgroundProgram sim({programPath("zephsim")});
    const std::string port = sim.readLine(5000);
    ASSERT_FALSE(port.empty());
    const ProgramResult r = runMonitor(port, 10);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string log = readFile(dir.path("run.gps"));
    EXPECT_EQ(log.rfind("ZephMon Version 3.40 log file opened ", 0), 0u);
    EXPECT_NE(log.find("Tx: 0xA0A200028400"), std::string::npos) << log.substr(0, 400);
    EXPECT_NE(log.find("Tx: 0xA0A200029800"), std::string::npos);
    EXPECT_NE(log.find("\nSW Version: "), std::string::npos);
    EXPECT_NE(log.find("\nPolling Navigation Parameters\nAltMode: "), std::string::npos);
    for (const char* prefix : {"2,", "4,", "Week:", "41,"}) {
        const int n = countLinesStartingWith(log, prefix);
        EXPECT_GE(n, 8) << prefix;
        EXPECT_LE(n, 11) << prefix;
    }
    EXPECT_EQ(countLinesStartingWith(log, "Comm: "), 0);
    EXPECT_NE(log.find("\nLog file closed "), std::string::npos);
    EXPECT_EQ(sim.stop(), 0);
}

TEST_F(ZephmonE2e, ReceiverThatGoesAwayLeavesACleanClose) {
    auto sim =
        std::make_unique<BackgroundProgram>(std::vector<std::string>{programPath("zephsim")});
    const std::string port = sim->readLine(5000);
    ASSERT_FALSE(port.empty());
    // The receiver goes once the log has its first navigation message.
    std::thread stopper([&] {
        const auto patience = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (readFile(dir.path("run.gps")).find("\n2,") == std::string::npos &&
               std::chrono::steady_clock::now() < patience) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        sim->stop();
    });
    const ProgramResult r = runMonitor(port, 6);
    stopper.join();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string log = readFile(dir.path("run.gps"));
    EXPECT_GE(countLinesStartingWith(log, "2,"), 1);
    EXPECT_NE(log.find("\nLog file closed "), std::string::npos);
}

TEST_F(ZephmonE2e, ReceiverAtAnotherBaudGivesNothing) {
    BackgroundProgram sim({programPath("zephsim"), "--baud", "9600"});
    const std::string port = sim.readLine(5000);
    ASSERT_FALSE(port.empty());
    ProgramResult r = runMonitor(port, 4);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string log = readFile(dir.path("run.gps"));
    EXPECT_EQ(countLinesStartingWith(log, "2,"), 0);
    EXPECT_EQ(countLinesStartingWith(log, "Comm: "), 0);

    // At the receiver's own rate everything decodes. (A busy machine may cost the four seconds
    // a message or two, so one is what is asked for.)
    std::filesystem::remove(dir.path("run.gps"));
    r = runMonitor(port, 4, "9600");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    log = readFile(dir.path("run.gps"));
    EXPECT_GE(countLinesStartingWith(log, "2,"), 1);
    EXPECT_EQ(countLinesStartingWith(log, "Comm: "), 0);
}

// A file named by --settings that is no settings file is refused and left as it was, with and
// without the window.
TEST_F(ZephmonE2e, ASettingsFileThatIsNoneIsRefusedAndLeftAlone) {
    const std::string capture("\xA0\xA2\x00\x02\x84\x00\x00\x84\xB0\xB3", 10);
    std::ofstream(dir.path("capture.bin"), std::ios::binary) << capture;
    std::filesystem::create_directory(dir.path("folder"));
    const struct {
        const char* name;
        const char* reason;
    } rows[] = {{"capture.bin", "it has no [Main] section"}, {"folder", "not a regular file"}};
    for (const bool headless : headlessModes()) {
        for (const auto& row : rows) {
            std::vector<std::string> argv = {programPath("zephmon"),
                                             "--settings",
                                             dir.path(row.name),
                                             "--source",
                                             "random",
                                             "--seconds",
                                             "1"};
            if (headless) {
                argv.emplace_back("--headless");
            }
            const ProgramResult r = runProgram(argv);
            EXPECT_EQ(r.exitCode, 2) << row.name << (headless ? " headless" : " window");
            EXPECT_EQ(r.err, "zephmon: " + dir.path(row.name) + " is not a settings file (" +
                                 row.reason + ")\n");
        }
    }
    EXPECT_EQ(readFile(dir.path("capture.bin")), capture);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path("folder")));
}

// A closed terminal ends a run like SIGTERM: the log gets its tail and its closing line.
TEST_F(ZephmonE2e, AHangUpClosesTheLog) {
    for (const bool headless : headlessModes()) {
        const std::string log = dir.path(headless ? "headless.gps" : "window.gps");
        std::vector<std::string> argv = {programPath("zephmon"),
                                         "--settings",
                                         dir.path("zephmon.ini"),
                                         "--source",
                                         "random",
                                         "--log",
                                         log,
                                         "--select",
                                         "all"};
        if (headless) {
            argv.emplace_back("--headless");
        }
        BackgroundProgram monitor(argv);
        const auto waitFor = [&](const char* text) {
            for (int i = 0; i < 100 && readFile(log).find(text) == std::string::npos; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            return readFile(log).find(text) != std::string::npos;
        };
        ASSERT_TRUE(waitFor("\n2,")) << monitor.err();
        monitor.signal(SIGHUP);
        EXPECT_TRUE(waitFor("\nLog file closed ")) << (headless ? "headless" : "window");
        EXPECT_EQ(monitor.stop(), 0);
    }
}

// A FIFO without a writer or a reader, named as settings, log or capture, a silent terminal
// named as capture, or a capture of endless zero bytes must not hold the program: each run ends
// at once, or at its --seconds.
TEST_F(ZephmonE2e, AFifoATerminalOrZeroBytesNeverHoldTheProgram) {
    const std::string fifo = dir.path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    zeph::testing::PtyPair terminal;
    ASSERT_TRUE(terminal.valid()) << terminal.error();
    const std::string tty = terminal.slavePath();
    const std::string settings = dir.path("zephmon.ini");
    const struct {
        std::vector<std::string> args;
        int exitCode;
    } rows[] = {
        {{"--headless", "--settings", fifo, "--source", "random"}, 2},
        {{"--headless", "--settings", settings, "--source", "random", "--log", fifo}, 1},
        {{"--headless", "--settings", settings, "--source", "file:" + fifo}, 1},
        {{"--headless", "--settings", settings, "--source", "csv:" + fifo}, 1},
        {{"--settings", fifo, "--source", "random"}, 2},
        {{"--settings", settings, "--source", "random", "--log", fifo, "--seconds", "1"}, 0},
        {{"--settings", settings, "--source", "file:" + fifo, "--seconds", "1"}, 0},
        {{"--headless", "--settings", settings, "--source", "file:" + tty}, 1},
        {{"--headless", "--settings", settings, "--source", "csv:" + tty}, 1},
        {{"--headless", "--settings", settings, "--source", "csv:/dev/zero", "--seconds", "2"}, 1},
        {{"--settings", settings, "--source", "csv:/dev/zero", "--seconds", "2"}, 0},
    };
    for (const auto& row : rows) {
        if (!ZEPH_WINDOW && row.args.front() != "--headless") {
            continue;
        }
        // Ended from outside after ten seconds: 124, or 137 when it ignores SIGTERM as well.
        std::vector<std::string> argv = {"/usr/bin/timeout", "-k", "2", "10",
                                         programPath("zephmon")};
        argv.insert(argv.end(), row.args.begin(), row.args.end());
        const auto start = std::chrono::steady_clock::now();
        const ProgramResult r = runProgram(argv);
        EXPECT_EQ(r.exitCode, row.exitCode) << ::testing::PrintToString(row.args) << r.err;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    }
}

// A log named for the window that cannot be opened is told on standard error (and in a message
// box), and the run goes on without it until its time is up.
TEST_F(ZephmonE2e, TheWindowTellsALogItCannotOpenAndGoesOn) {
    if (!ZEPH_WINDOW) {
        GTEST_SKIP() << "this build has no window";
    }
    const std::string log = dir.path("missing/run.gps");
    const ProgramResult r =
        runProgram({"/usr/bin/timeout", "-k", "2", "20", programPath("zephmon"), "--settings",
                    dir.path("zephmon.ini"), "--source", "random", "--log", log, "--seconds", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("zephmon: cannot open the log file " + log + "\n"), std::string::npos)
        << r.err;
}

// The warning about a settings file the monitor cannot write comes while the frame is being
// made; --seconds ends the run all the same. Root writes any file, so it runs the monitor as
// nobody.
TEST_F(ZephmonE2e, ASettingsWarningAtStartUpDoesNotHoldATimedRun) {
    if (!ZEPH_WINDOW) {
        GTEST_SKIP() << "this build has no window";
    }
    const std::string settings = dir.path("zephmon.ini");
    ASSERT_EQ(runProgram({programPath("zephmon"), "--settings", settings, "--source", "random",
                          "--seconds", "1"})
                  .exitCode,
              0);
    ASSERT_EQ(::chmod(settings.c_str(), 0444), 0);
    std::vector<std::string> argv = {"/usr/bin/timeout", "-k", "2", "15"};
    if (::geteuid() == 0) {
        if (!std::filesystem::exists("/usr/bin/setpriv") ||
            ::chmod(dir.path("").c_str(), 0755) != 0) {
            GTEST_SKIP() << "no way to run the monitor as a user who cannot write the file";
        }
        const std::vector<std::string> asNobody = {"/usr/bin/setpriv", "--reuid=65534",
                                                   "--regid=65534", "--clear-groups"};
        std::vector<std::string> help = asNobody;
        help.insert(help.end(), {programPath("zephmon"), "--help"});
        if (runProgram(help).exitCode != 0) { // a build in a folder only root may enter
            GTEST_SKIP() << "the built monitor cannot be run as nobody here";
        }
        argv.insert(argv.end(), asNobody.begin(), asNobody.end());
    }
    argv.insert(argv.end(), {programPath("zephmon"), "--settings", settings, "--source", "random",
                             "--seconds", "2"});
    const auto start = std::chrono::steady_clock::now();
    const ProgramResult r = runProgram(argv);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// A display number on the loopback where the kernel accepts connections that nobody ever
// answers; the socket closes with the object.
class SilentDisplay {
public:
    SilentDisplay() {
        for (int n = 150; n < 250 && number_ < 0; ++n) {
            fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(static_cast<uint16_t>(6000 + n));
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                ::listen(fd_, 8) == 0) {
                number_ = n;
            } else {
                ::close(fd_);
            }
        }
    }
    ~SilentDisplay() {
        if (number_ >= 0) {
            ::close(fd_);
        }
    }
    SilentDisplay(const SilentDisplay&) = delete;
    SilentDisplay& operator=(const SilentDisplay&) = delete;
    std::string name() const { return "localhost:" + std::to_string(number_); }

private:
    int fd_ = -1;
    int number_ = -1;
};

// Without a display the window programs refuse with one line rather than abort in Qt or wait
// forever: when none is named, when the one named does not answer, and when QT_QPA_PLATFORM
// names one that needs a display.
TEST_F(ZephmonE2e, WithoutADisplayTheWindowProgramsRefuseWithOneLine) {
    if (!ZEPH_WINDOW) {
        GTEST_SKIP() << "this build has no window";
    }
    ASSERT_FALSE(std::filesystem::exists("/tmp/.X11-unix/X987")) << "a server on display 987";
    const SilentDisplay silent;
    const struct {
        std::vector<std::string> env;
        std::string reason;
    } displays[] = {
        {{}, "DISPLAY is not set"},
        {{"DISPLAY=:987"}, "cannot reach DISPLAY :987"},
        {{"WAYLAND_DISPLAY=wayland-9", "XDG_RUNTIME_DIR=" + dir.path("")},
         "cannot reach WAYLAND_DISPLAY wayland-9"},
        {{"DISPLAY=" + silent.name()}, "the display at " + silent.name() + " does not answer"},
        {{"QT_QPA_PLATFORM=xcb"}, "DISPLAY is not set"},
    };
    for (const auto& display : displays) {
        const struct {
            std::vector<std::string> args;
            std::string refusal;
        } programs[] = {
            {{programPath("zephmon"), "--settings", dir.path("zephmon.ini"), "--source", "random"},
             "zephmon: no display (" + display.reason + "); run it with --headless\n"},
            {{programPath("Trekdash")},
             "Trekdash: no display to show its window on (" + display.reason + ")\n"},
        };
        for (const auto& program : programs) {
            std::vector<std::string> argv = {"/usr/bin/timeout",
                                             "-k",
                                             "2",
                                             "20",
                                             "/usr/bin/env",
                                             "-u",
                                             "DISPLAY",
                                             "-u",
                                             "WAYLAND_DISPLAY",
                                             "-u",
                                             "QT_QPA_PLATFORM"};
            argv.insert(argv.end(), display.env.begin(), display.env.end());
            argv.insert(argv.end(), program.args.begin(), program.args.end());
            const ProgramResult r = runProgram(argv);
            EXPECT_EQ(r.exitCode, 2) << program.args.front() << " " << display.reason;
            EXPECT_EQ(r.err, program.refusal);
        }
    }
}

// A signal ends the window program even while it still waits on the display.
TEST_F(ZephmonE2e, ASignalEndsTheWindowWhileItWaitsForTheDisplay) {
    if (!ZEPH_WINDOW) {
        GTEST_SKIP() << "this build has no window";
    }
    const SilentDisplay silent;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        BackgroundProgram monitor({"/usr/bin/env", "-u", "QT_QPA_PLATFORM",
                                   "DISPLAY=" + silent.name(), programPath("zephmon"), "--settings",
                                   dir.path("zephmon.ini"), "--source", "random"});
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        monitor.signal(signal);
        EXPECT_TRUE(monitor.wait(2000).has_value()) << "signal " << signal;
    }
}

// --help says what this build does: one without the window runs only headless.
TEST_F(ZephmonE2e, TheHelpSaysWhetherTheBuildHasItsWindow) {
    const ProgramResult r = runProgram({programPath("zephmon"), "--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.find("Without --headless it opens its window") != std::string::npos,
              static_cast<bool>(ZEPH_WINDOW))
        << r.out;
    EXPECT_EQ(r.out.starts_with("Usage: zephmon --headless [OPTIONS]\n"), !ZEPH_WINDOW) << r.out;
}

} // namespace
} // namespace zeph::testing
