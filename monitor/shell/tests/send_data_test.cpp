#include "monitor/shell/send_data.h"

#include "common/testing/file_size_limit.h"
#include "monitor/shell/tests/scripted_prompter.h"
#include "monitor/shell/tests/shell_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zeph::monitor {
namespace {

using testing::ScriptedPrompter;

struct RecordingOutput : CommandOutput {
    void sendBinary(const uint8_t* payload, size_t length) override {
        framed.emplace_back(payload, payload + length);
    }
    void writeRaw(const uint8_t* bytes, size_t length) override {
        raw.emplace_back(bytes, bytes + length);
    }
    std::vector<std::vector<uint8_t>> framed;
    std::vector<std::vector<uint8_t>> raw;
};

struct FixedChooser : CommandFileChooser {
    std::optional<std::string> openName() override {
        ++asked;
        return name;
    }
    std::optional<std::string> saveName() override {
        ++asked;
        return name;
    }
    std::optional<std::string> name;
    int asked = 0;
};

std::vector<uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(SendData, WhatSendMakesOfTheTextUnderEachWrapper) {
    using W = SendWrapper;
    struct Case {
        std::string text;
        W wrapper;
        std::vector<uint8_t> framed; // the payload handed to the framer
        std::vector<uint8_t> raw;    // written as it is
        const char* refusal;
    };
    const std::string tooLong(senddata::kMaxHexText + 1, 'A');
    const Case cases[] = {
        {"A0 A2", W::None, {}, {0xA0, 0xA2}, nullptr},
        {"A0 A2", W::ZephBinary, {0xA0, 0xA2}, {}, nullptr},
        {"84 00", W::ZephBinary, {0x84, 0x00}, {}, nullptr},
        {"8 4", W::ZephBinary, {0x84}, {}, nullptr},
        {"845", W::None, {}, {0x84}, nullptr},
        {"84\r\n0\n0 ", W::ZephBinary, {0x84, 0x00}, {}, nullptr},
        {"0x84", W::ZephBinary, {}, {}, senddata::kInvalid},
        {"a0 a2", W::None, {}, {}, senddata::kInvalid},
        {"A0,A2", W::None, {}, {}, senddata::kInvalid},
        {"", W::ZephBinary, {}, {}, senddata::kEmpty},
        {" \r\n ", W::None, {}, {}, senddata::kEmpty},
        {"\t", W::None, {}, {}, senddata::kInvalid},
        {tooLong, W::None, {}, {}, senddata::kTooLong},
        // NMEA takes the text as typed: no check, no stripping, even of a leading "$".
        {"ZUVE105,01", W::Nmea, {}, bytesOf("$ZUVE105,01*05\r\n"), nullptr},
        {"$ZUVE105,01", W::Nmea, {}, bytesOf("$$ZUVE105,01*21\r\n"), nullptr},
        {"a b", W::Nmea, {}, bytesOf("$a b*23\r\n"), nullptr},
    };
    for (const Case& c : cases) {
        ScriptedPrompter prompter;
        SendDataCommand command(prompter);
        RecordingOutput output;
        const bool closes = command.send(c.text, c.wrapper, output);
        const std::string label = c.text.substr(0, 16);
        EXPECT_EQ(closes, c.refusal == nullptr) << label;
        EXPECT_EQ(prompter.asked,
                  c.refusal ? std::vector<std::string>{c.refusal} : std::vector<std::string>{})
            << label;
        EXPECT_EQ(output.framed,
                  c.framed.empty() ? decltype(output.framed){} : decltype(output.framed){c.framed})
            << label;
        EXPECT_EQ(output.raw, c.raw.empty() ? decltype(output.raw){} : decltype(output.raw){c.raw})
            << label;
    }
}

TEST(SendData, CommandFilesSaveUnchangedAndLoadAsJoinedLines) {
    testing::TempDir dir;
    ScriptedPrompter prompter;
    SendDataCommand command(prompter);
    FixedChooser chooser;

    command.save("", chooser);
    EXPECT_EQ(chooser.asked, 0) << "no file dialog for an empty text";
    EXPECT_EQ(prompter.asked, std::vector<std::string>{senddata::kNotSavingEmpty});

    const std::string file = dir.path("poll.cmd");
    chooser.name = file;
    testing::writeFile(file, "old content that is longer\n");
    command.save("84 00\n12 34", chooser);
    EXPECT_EQ(testing::readFile(file), "84 00\n12 34");

    testing::writeFile(file, "A0 A2\r\n00 02\n\n84 00");
    EXPECT_EQ(command.load(chooser), "A0 A200 0284 00");

    chooser.name.reset();
    EXPECT_EQ(command.load(chooser), std::nullopt) << "cancelled";

    prompter.asked.clear();
    chooser.name = (dir / "missing" / "x.cmd").string();
    EXPECT_EQ(command.load(chooser), std::nullopt);
    command.save("84 00", chooser);
    EXPECT_EQ(prompter.asked,
              (std::vector<std::string>{senddata::kCannotOpenFile, senddata::kCannotOpenFile}));

    // A device picked by mistake is no command file: it would never end.
    prompter.asked.clear();
    chooser.name = "/dev/zero";
    EXPECT_EQ(command.load(chooser), std::nullopt);
    EXPECT_EQ(prompter.asked, std::vector<std::string>{senddata::kCannotOpenFile});

    // Too large to be a command file; a disk that fills keeps the old file whole.
    prompter.asked.clear();
    chooser.name = file;
    std::filesystem::resize_file(file, (1 << 20) + 1);
    EXPECT_EQ(command.load(chooser), std::nullopt);
    testing::writeFile(file, "84 00");
    {
        zeph::testing::FileSizeLimit full(4);
        command.save("A0 A2 00 02", chooser);
    }
    EXPECT_EQ(testing::readFile(file), "84 00");
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[0], senddata::kFileTooLarge);
    EXPECT_TRUE(prompter.asked[1].starts_with(std::string(senddata::kCannotWriteFile) + "\n"));
}

} // namespace
} // namespace zeph::monitor
