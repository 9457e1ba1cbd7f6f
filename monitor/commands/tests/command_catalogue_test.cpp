// The catalogue against itself and against the output side: names, rows, echo layouts, and the
// word forms zephctl takes.

#include "command_test_support.h"

#include "monitor/commands/uart_config.h"
#include "monitor/messages/message_names.h"
#include "monitor/messages/output_catalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace zeph::monitor {
namespace {

TEST(CommandCatalogue, NamesLengthsAndRowsAgree) {
    std::set<std::string> names;
    for (const CommandSpec& spec : commandCatalogue()) {
        const std::string name = commandName(spec);
        SCOPED_TRACE(name.empty() ? std::to_string(spec.mid) : name);
        // the MID name table speaks for every MID but 170
        EXPECT_EQ(constantName(spec.mid, spec.subId),
                  spec.mid == 170 ? "Unknown MID:170" : spec.constantName);
        EXPECT_TRUE(name.empty() || names.insert(name).second) << "twice: " << name;
        size_t next = 1; // after the MID
        std::set<std::string> fields;
        for (const CommandField& f : spec.fields) {
            EXPECT_TRUE(fields.insert(f.name).second) << "field twice: " << f.name;
            if (f.sent()) {
                EXPECT_GE(static_cast<size_t>(f.offset), next) << f.name;
                next = static_cast<size_t>(f.offset) + fieldSize(f.type) * f.count;
            }
            if (f.use == FieldUse::User) {
                ASSERT_NE(f.label, nullptr) << f.name;
                EXPECT_NE(std::string(f.name).find(wordName(f.label)), std::string::npos)
                    << f.name << " from " << f.label;
                if (f.min < f.max) {
                    EXPECT_TRUE(f.value >= f.min && f.value <= f.max) << f.name;
                }
            }
        }
        EXPECT_LE(next, spec.length);
        const std::vector<uint8_t> payload = encodePayload(spec, defaultValues(spec));
        ASSERT_EQ(payload.size(), spec.length);
        EXPECT_EQ(payload[0], spec.mid);
    }
}

TEST(CommandCatalogue, WordFormsUnitsAndValues) {
    struct WordCase {
        const char* text;
        bool keep;
        const char* word;
    };
    const WordCase words[] = {
        {"Navigation (deg)", false, "navigation"},
        {"Navigation > Elevation Mask", false, "navigation-elevation-mask"},
        {"DR Sensor's &Paramters...", false, "dr-sensors-paramters"},
        {"Timeout (s):", false, "timeout"},
        {"Zephmon <--> Receiver UART", false, "zephmon-receiver-uart"},
        {"&Warm Start (No init)", true, "warm-start-no-init"},
        {"&Warm Start (No init)", false, "warm-start"},
        {"Switch to &User1 Protocol", false, "switch-to-user1-protocol"},
    };
    for (const WordCase& c : words) {
        EXPECT_EQ(wordName(c.text, c.keep), c.word) << c.text;
    }
    EXPECT_EQ(labelUnit("Navigation (dBHz)"), "dBHz");
    EXPECT_EQ(labelUnit("Channels:"), "");

    struct ValueCase {
        const char* command;
        const char* field;
        const char* text;
        std::optional<double> value;
    };
    const ValueCase values[] = {
        {"elevation-mask", "navigation", "7.5", 7.5},
        {"elevation-mask", "navigation", "abc", std::nullopt},
        {"power-mask", "navigation", "7.5", std::nullopt}, // an integer field
        {"mode-mask", "enable-dr-mode", "2", std::nullopt},
        {"mode-mask", "enable-dr-mode", "0", 0.0},
        {"initialize-data-source", "reset-mode", "warm-start-init", 3.0},
        {"initialize-data-source", "reset-mode", "warm-start-no-init", 2.0},
        {"initialize-data-source", "reset-mode", "Warm Start (&Init)", 3.0},
        {"initialize-data-source", "reset-mode", "warm-start", 2.0}, // the first that fits
        {"set-dgps-serial-port", "parity", "even", 2.0},
        {"set-dgps-serial-port", "baud-rate", "14400", std::nullopt}, // not in the list
        {"set-message-rate", "message-name", "0x1f-nl-init-data", 31.0},
    };
    for (const ValueCase& c : values) {
        const CommandField* f = findField(*findCommandByName(c.command), c.field);
        ASSERT_NE(f, nullptr) << c.field;
        EXPECT_EQ(parseFieldValue(*f, c.text), c.value)
            << c.command << " " << c.field << "=" << c.text;
    }
}

// The decoder's echo layouts (output side) and the commands' rows (input side) are two
// descriptions of the same bytes: every sent field inside the echo has the same type.
TEST(CommandCatalogue, EchoLayoutsMatchTheCommandRows) {
    for (const uint8_t mid : polledCommandMids()) {
        const CommandSpec& spec = *findCommand(mid);
        const Layout* echo = commandEchoLayout(mid);
        ASSERT_NE(echo, nullptr) << int{mid};
        std::vector<int> typeAt(echo->length, -1);
        for (const Field& f : echo->fields) {
            for (size_t i = 0; i < f.count; ++i) {
                typeAt[f.offset + i * fieldSize(f.type)] = static_cast<int>(f.type);
            }
        }
        for (const CommandField& f : spec.fields) {
            if (!f.sent() || static_cast<size_t>(f.offset) + fieldSize(f.type) > echo->length) {
                continue;
            }
            const bool sameSize = fieldSize(FieldType(typeAt[f.offset])) == fieldSize(f.type);
            EXPECT_TRUE(typeAt[f.offset] >= 0 && sameSize) << int{mid} << " " << f.name;
        }
    }
}

TEST(UartConfig, DialogChecksAndEntryRules) {
    const auto group = [](bool set, const char* protocol) {
        return refreshUartChoice(UartChoice{set, protocol, "", "", "", ""});
    };
    UartChoices c = {group(true, "NMEA"), group(true, "Zeph Binary"), group(true, "NMEA"),
                     group(false, "")};
    EXPECT_EQ(checkUartChoices(c),
              std::optional<std::string>("Identical protocols can not be used concurrently on "
                                         "multiple UARTs."));
    c[2].set = false;
    EXPECT_FALSE(checkUartChoices(c));
    EXPECT_EQ(uartConfigRecord(c)[2].port, kUartNotSet);
    EXPECT_EQ(uartConfigRecord(c)[2].protocol, kNoIoProtocol);
    EXPECT_EQ(uartConfigRecord(c)[0].baud, 4800u);

    c = {group(true, "No I/O"), group(true, "No I/O"), group(false, ""), group(false, "")};
    EXPECT_FALSE(checkUartChoices(c));
    EXPECT_EQ(uartConfigRecord(c)[1].port, 1);
    EXPECT_EQ(uartConfigRecord(c)[1].baud, 0u);

    c = {group(true, "NMEA"), UartChoice{true, "ASCII", "9600", "8", "1", ""}, group(false, ""),
         group(false, "")};
    const auto refusal = checkUartChoices(c);
    ASSERT_TRUE(refusal);
    EXPECT_TRUE(
        refusal->ends_with("Uart 0:  Valid\nUart 1:  Invalid\nUart 2:  Valid\nUart 3:  Valid\n"));

    UartChoice rtcm{true, "RTCM-DGPS", "57600", "7", "0", "EVEN"};
    rtcm = refreshUartChoice(rtcm);
    EXPECT_EQ(rtcm.baud, "9600");
    EXPECT_EQ(rtcm.parity, "NONE");
    EXPECT_EQ(uartProtocolCode("User 2"), 6);
    EXPECT_EQ(uartProtocolCode("Bogus"), 5);
}

} // namespace
} // namespace zeph::monitor
