// The window with stand-in engines: what it starts with, its enabling rules, what a run's
// records and end do to it, and ending the program while a child runs.

#include "flash/frontend/ui/burn_dialog.h"

#include "common/qt/qt_prompter.h"
#include "common/qt/testing/qt_application.h"
#include "flash/frontend/core/tests/scripted_prompter.h"
#include "flash/frontend/core/tests/stand_in_engine.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace zeph::burnfront {
namespace {

using Answer = Prompter::Answer;
using testing::engineScript;
using testing::writeRecord;

template <typename T> T* child(QWidget& w, const char* name) {
    T* found = w.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QString text(QWidget& w, const char* name) {
    return child<QLineEdit>(w, name)->text();
}

bool waitIdle(const BurnDialog& dialog) {
    return zeph::testing::processEventsUntil([&] { return !dialog.busy(); }, 10000);
}

// The result file of line COM1 beside the stand-in engine, holding an earlier run's PASS.
std::string earlierPass(const zeph::testing::TempDir& dir) {
    return dir.write("RESCOM1", "PASS\r\n");
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(BurnDialog, StartsWithTheCommandLinesChoicesAndEnablesByMode) {
    FrontOptions o;
    o.read = true;
    o.baudRate = "57600";
    o.chipSelect = 3;
    o.chipOffset = "0x40000";
    o.erase = EraseMode::Update;
    o.fromAddress = "0x10";
    o.toAddress = "0x20";
    o.dataFile = "out.bin";
    ScriptedPrompter prompter;
    BurnDialog dialog(o, {"COM1", "COM2"}, 1, "/nonexistent", prompter);

    EXPECT_EQ(dialog.windowTitle(), "ZephBurn on COM2");
    EXPECT_TRUE(child<QRadioButton>(dialog, "readFlash")->isChecked());
    EXPECT_EQ(child<QComboBox>(dialog, "baudRate")->currentText(), "57600");
    EXPECT_EQ(child<QComboBox>(dialog, "chipSelect")->currentText(), "CSN3");
    EXPECT_TRUE(child<QRadioButton>(dialog, "update")->isChecked());
    EXPECT_EQ(text(dialog, "total"), "0.0");
    EXPECT_EQ(text(dialog, "burn"), "0.0");
    const RunSettings s = dialog.settings();
    EXPECT_FALSE(s.programming);
    EXPECT_EQ(s.port, "COM2");
    EXPECT_EQ(s.chipOffset, "0x40000");
    EXPECT_EQ(s.fromAddress, "0x10");
    EXPECT_EQ(s.dataFile, "out.bin");

    struct Mode {
        const char* radio;
        bool addressesEnabled;
    };
    for (const Mode& m : {Mode{"programFlash", false}, Mode{"readFlash", true}}) {
        child<QRadioButton>(dialog, m.radio)->click();
        EXPECT_EQ(child<QLineEdit>(dialog, "fromAddress")->isEnabled(), m.addressesEnabled);
        EXPECT_EQ(child<QLineEdit>(dialog, "toAddress")->isEnabled(), m.addressesEnabled);
        for (const char* erase : {"eraseRelevant", "eraseWhole", "update"}) {
            EXPECT_EQ(child<QRadioButton>(dialog, erase)->isEnabled(), !m.addressesEnabled);
        }
    }
    child<QComboBox>(dialog, "line")->setCurrentIndex(0);
    EXPECT_EQ(dialog.windowTitle(), "ZephBurn on COM1");
}

TEST(BurnDialog, AReadWithTheEndBelowTheStartNeverStartsTheChild) {
    zeph::testing::TempDir dir;
    const std::string engine = engineScript(dir, "touch " + dir.path("started"));
    FrontOptions o;
    o.read = true;
    o.fromAddress = "0x100";
    o.toAddress = "0xFF";
    o.dataFile = dir.path("out.bin");
    ScriptedPrompter prompter;
    BurnDialog dialog(o, {"COM1"}, 0, engine, prompter);
    child<QPushButton>(dialog, "execute")->click();
    QApplication::processEvents();
    EXPECT_EQ(prompter.shown, std::vector<std::string>{"End address lower than start address"});
    EXPECT_FALSE(dialog.busy());
    EXPECT_FALSE(std::filesystem::exists(dir.path("started")));
}

// What a run shows with -ax and -sr on or off, for an engine that fails or succeeds.
TEST(BurnDialog, ARunFillsTheFieldsAndEndsAsTheOptionsSay) {
    const std::string progress = writeRecord(1001, "BINARY 0x0 0x3ff") +
                                 writeRecord(1000, "1 AMD Am29LV400B") +
                                 writeRecord(1004, "50 20 0.1 0.2 0.7");
    struct Case {
        const char* name;
        bool autoExit, saveResult;
        std::string body;
        std::vector<std::string> shown;
        int status;
        bool quits;
        const char* result = "PASS\r\n"; // RESCOM1 afterwards: only the engine's end writes it
    };
    const std::string success = "Flash successfully programmed!\n";
    const Case cases[] = {
        {"success", false, false, writeRecord(1006, "0"), {success}, 0, false},
        {"success with -ax", true, false, writeRecord(1006, "0"), {}, 0, true},
        {"failure",
         false,
         false,
         writeRecord(3, "Target not responding\n") + writeRecord(1006, "1"),
         {"Target not responding"},
         1,
         false},
        {"failure with -ax",
         true,
         false,
         writeRecord(3, "Target not responding\n") + writeRecord(1006, "1"),
         {"Target not responding"},
         1,
         true},
        {"failure with -ax -sr",
         true,
         true,
         writeRecord(3, "Target not responding\n") + writeRecord(1006, "1"),
         {},
         1,
         true},
        {"no end record",
         false,
         false,
         "echo refused; exit 4",
         {"ZephBurnCL ended without reporting its result:\nrefused\n"},
         4,
         false},
        {"no end record with -sr",
         false,
         true,
         "kill -9 $$",
         {"ZephBurnCL ended without reporting its result"},
         1,
         false,
         "FAIL\r\n"},
        {"no end record with -ax -sr", true, true, "exit 3", {}, 3, true, "FAIL\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zeph::testing::TempDir dir;
        const std::string result = earlierPass(dir);
        FrontOptions o;
        o.dataFile = "image.bin";
        o.autoExit = c.autoExit;
        o.saveResult = c.saveResult;
        ScriptedPrompter prompter;
        BurnDialog dialog(o, {"COM1"}, 0, engineScript(dir, progress + c.body), prompter);
        std::vector<int> quits;
        QObject::connect(&dialog, &BurnDialog::quitRequested,
                         [&](int status) { quits.push_back(status); });
        dialog.execute();
        ASSERT_TRUE(waitIdle(dialog));
        EXPECT_EQ(prompter.shown, c.shown);
        EXPECT_EQ(dialog.lastExitStatus(), c.status);
        EXPECT_EQ(text(dialog, "fileType"), "BINARY");
        EXPECT_EQ(text(dialog, "highestAddress"), "0x3ff");
        EXPECT_EQ(text(dialog, "model"), "Am29LV400B");
        EXPECT_EQ(text(dialog, "total"), "0.7");
        EXPECT_EQ(child<QProgressBar>(dialog, "xfer")->value(), 50);
        EXPECT_EQ(child<QProgressBar>(dialog, "prog")->value(), 20);
        EXPECT_EQ(quits, c.quits ? std::vector<int>{c.status} : std::vector<int>{});
        EXPECT_EQ(contents(result), c.result);
    }
}

// -ax allows one attempt: when its checks or the launch refuse it, the program ends with 1,
// and with -sr silently, questions counting as No and FAIL in the result file.
TEST(BurnDialog, AnUnattendedAttemptThatNeverRunsEndsTheProgram) {
    const char* replace = " already exists.\nDo you want to replace it?";
    struct Case {
        const char* name;
        bool autoExit, saveResult;
        bool read, engineMissing;
        std::string file; // "old" is an existing output file
        std::vector<Answer> answers;
        std::vector<std::string> shown; // "old" stands for that file's path
        bool quits;
        const char* result;
    };
    const Case cases[] = {
        {"no file",
         false,
         true,
         false,
         false,
         "",
         {},
         {"Data file not specified"},
         false,
         "PASS\r\n"},
        {"no file with -ax",
         true,
         false,
         false,
         false,
         "",
         {},
         {"Data file not specified"},
         true,
         "PASS\r\n"},
        {"no file with -ax -sr", true, true, false, false, "", {}, {}, true, "FAIL\r\n"},
        {"replace? No with -ax",
         true,
         false,
         true,
         false,
         "old",
         {Answer::No},
         {"old"},
         true,
         "PASS\r\n"},
        {"replace? with -ax -sr counts as No",
         true,
         true,
         true,
         false,
         "old",
         {Answer::Yes},
         {},
         true,
         "FAIL\r\n"},
        {"launch fails with -ax",
         true,
         false,
         false,
         true,
         "image.bin",
         {},
         {"Failed to launch ZephBurnCL"},
         true,
         "PASS\r\n"},
        {"launch fails with -ax -sr",
         true,
         true,
         false,
         true,
         "image.bin",
         {},
         {},
         true,
         "FAIL\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zeph::testing::TempDir dir;
        const std::string result = earlierPass(dir);
        const std::string old = dir.write("old.bin", "old");
        const std::string engine =
            c.engineMissing ? dir.path("missing") : engineScript(dir, writeRecord(1006, "0"));
        FrontOptions o;
        o.read = c.read;
        o.fromAddress = "0";
        o.toAddress = "1";
        o.dataFile = c.file == "old" ? old : c.file;
        o.autoExit = c.autoExit;
        o.saveResult = c.saveResult;
        ScriptedPrompter prompter;
        prompter.answers.assign(c.answers.begin(), c.answers.end());
        BurnDialog dialog(o, {"COM1"}, 0, engine, prompter);
        std::vector<int> quits;
        QObject::connect(&dialog, &BurnDialog::quitRequested, [&](int s) { quits.push_back(s); });
        dialog.execute();
        ASSERT_TRUE(waitIdle(dialog));
        QApplication::processEvents();
        std::vector<std::string> shown = c.shown;
        for (std::string& text : shown) {
            text = text == "old" ? old + replace : text;
        }
        EXPECT_EQ(prompter.shown, shown);
        EXPECT_EQ(quits, c.quits ? std::vector<int>{1} : std::vector<int>{});
        EXPECT_EQ(contents(result), c.result);
        EXPECT_TRUE(std::filesystem::exists(old)); // nothing is deleted without a Yes
    }
}

TEST(BurnDialog, EndingTheProgramWhileBusyAsksAndEndsTheChild) {
    struct Case {
        bool read;
        const char* question;
    };
    for (const Case& c : {Case{false, "Programming in progress.\nDo you really want to quit?"},
                          Case{true, "Reading in progress.\nDo you really want to quit?"}}) {
        zeph::testing::TempDir dir;
        FrontOptions o;
        o.read = c.read;
        o.fromAddress = "0";
        o.toAddress = "1";
        o.dataFile = dir.path("data.bin");
        o.saveResult = true;
        const std::string result = earlierPass(dir);
        ScriptedPrompter prompter;
        BurnDialog dialog(o, {"COM1"}, 0, engineScript(dir, "exec sleep 60"), prompter);
        std::vector<int> quits;
        QObject::connect(&dialog, &BurnDialog::quitRequested,
                         [&](int status) { quits.push_back(status); });
        dialog.execute();
        ASSERT_TRUE(dialog.busy());

        prompter.answers = {Answer::No};
        EXPECT_FALSE(dialog.close()); // closing asks the same
        dialog.execute();             // does nothing while busy
        EXPECT_TRUE(dialog.busy());
        EXPECT_TRUE(quits.empty());

        prompter.answers = {Answer::Yes};
        child<QPushButton>(dialog, "exit")->click();
        EXPECT_EQ(prompter.shown, (std::vector<std::string>{c.question, c.question}));
        EXPECT_EQ(quits, std::vector<int>{1});
        EXPECT_EQ(contents(result), "FAIL\r\n");
    }
}

TEST(BurnDialog, AQuitQuestionStillOpenWhenTheRunEndsIsClosed) {
    zeph::testing::TempDir dir;
    FrontOptions o;
    o.dataFile = "image.bin";
    zeph::QtPrompter prompter("ZephBurn");
    BurnDialog dialog(o, {"COM1"}, 0, engineScript(dir, "sleep 1\n" + writeRecord(1006, "0")),
                      prompter);
    prompter.setParent(&dialog);
    std::vector<int> quits;
    QObject::connect(&dialog, &BurnDialog::quitRequested, [&](int s) { quits.push_back(s); });
    dialog.execute();
    // Once the success box is up, note which boxes are showing, then close it.
    std::vector<QString> showing;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const auto boxes = dialog.findChildren<QMessageBox*>();
        const bool success = std::any_of(boxes.begin(), boxes.end(), [](QMessageBox* b) {
            return b->isVisible() && b->text().startsWith("Flash successfully");
        });
        if (!success || !showing.empty()) {
            return;
        }
        for (QMessageBox* box : boxes) {
            if (box->isVisible()) {
                showing.push_back(box->text());
            }
        }
        for (QMessageBox* box : boxes) { // whatever else is left open is answered No
            box->done(box->text().startsWith("Flash successfully") ? QMessageBox::Ok
                                                                   : QMessageBox::No);
        }
    });
    watch.start(20);
    child<QPushButton>(dialog, "exit")->click(); // returns once the question is closed
    ASSERT_TRUE(waitIdle(dialog));
    EXPECT_EQ(showing, std::vector<QString>{"Flash successfully programmed!\n"});
    EXPECT_TRUE(quits.empty()); // the closed question counts as No
}

TEST(BurnDialog, ASignalEndsTheRunningChildWithoutAsking) {
    zeph::testing::TempDir dir;
    FrontOptions o;
    o.dataFile = "image.bin";
    o.saveResult = true;
    const std::string result = earlierPass(dir);
    ScriptedPrompter prompter;
    BurnDialog dialog(o, {"COM1"}, 0, engineScript(dir, "exec sleep 60"), prompter);
    std::vector<int> quits;
    QObject::connect(&dialog, &BurnDialog::quitRequested, [&](int s) { quits.push_back(s); });
    dialog.execute();
    const auto started = std::chrono::steady_clock::now();
    dialog.endWithoutAsking();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(quits, std::vector<int>{1});
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(contents(result), "FAIL\r\n");
}

} // namespace
} // namespace zeph::burnfront
