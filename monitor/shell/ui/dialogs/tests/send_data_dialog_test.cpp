// The Send Data dialog's wiring: it opens with what the last Send left, Load fills the text, a
// refused Send keeps it open, Send writes with the chosen wrapper and closes.

#include "monitor/shell/ui/dialogs/send_data_dialog.h"

#include "dialog_test_support.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zeph::monitor::testing {
namespace {

struct RawOutput : CommandOutput {
    void sendBinary(const uint8_t*, size_t) override { ++framed; }
    void writeRaw(const uint8_t* bytes, size_t length) override {
        raw.assign(bytes, bytes + length);
    }
    int framed = 0;
    std::vector<uint8_t> raw;
};

struct LoadChooser : CommandFileChooser {
    explicit LoadChooser(std::string name) : file(std::move(name)) {}
    std::optional<std::string> openName() override { return file; }
    std::optional<std::string> saveName() override { return std::nullopt; }
    std::string file;
};

TEST(SendDataDialogTest, LoadThenSendRawAndTheNextOpeningShowsIt) {
    qtApp();
    TempDir dir;
    const std::string file = dir.path("poll.cmd");
    writeFile(file, "a0\nA2\n");
    RecordingPrompter prompter;
    SendDataCommand command(prompter);
    RawOutput output;
    {
        SendDataDialog dialog(command, output);
        EXPECT_EQ(dialog.windowTitle(), "Send Data");
        EXPECT_TRUE(control<QRadioButton>(dialog, "zephBinaryRadio").isChecked());
        dialog.setChooser(std::make_unique<LoadChooser>(file));
        dialog.show();
        control<QPushButton>(dialog, "loadButton").click();
        EXPECT_EQ(control<QPlainTextEdit>(dialog, "commandText").toPlainText(), "a0A2");
        control<QRadioButton>(dialog, "noneRadio").click();
        control<QPushButton>(dialog, "sendButton").click();
        EXPECT_EQ(prompter.asked, std::vector<std::string>{senddata::kInvalid});
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(command.text(), "a0A2") << "a refused Send is remembered too";
        EXPECT_EQ(command.wrapper(), SendWrapper::None);

        control<QPlainTextEdit>(dialog, "commandText").setPlainText("A0\nA2");
        control<QPushButton>(dialog, "sendButton").click();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(output.raw, (std::vector<uint8_t>{0xA0, 0xA2}));
        EXPECT_EQ(output.framed, 0);
    }
    SendDataDialog again(command, output);
    EXPECT_EQ(control<QPlainTextEdit>(again, "commandText").toPlainText(), "A0\nA2");
    EXPECT_TRUE(control<QRadioButton>(again, "noneRadio").isChecked());
}

} // namespace
} // namespace zeph::monitor::testing
