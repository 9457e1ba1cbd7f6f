// Command files of the Send Data dialog: a file loads as its lines joined, the text goes out
// under each of the three wrappers through the real framers, and a saved text loads back.

#include "fuzz_files.h"

#include "monitor/link/send.h"
#include "monitor/shell/send_data.h"

#include <string>
#include <vector>

namespace {

using namespace zeph::monitor;
using zeph::fuzz::check;

class SilentPrompter : public zeph::Prompter {
public:
    Answer ask(const std::string&, Icon, Buttons) override {
        ++told;
        return Answer::Ok;
    }
    int told = 0;
};

class NamedFiles : public CommandFileChooser {
public:
    std::optional<std::string> openName() override { return open; }
    std::optional<std::string> saveName() override { return save; }
    std::string open;
    std::string save;
};

// The serial source's send side: the binary wrapper goes through SendBinary, raw bytes as they
// are.
class Line : public CommandOutput, public OutputPort {
public:
    explicit Line(zeph::Prompter& prompter) : prompter_(prompter) {}
    void sendBinary(const uint8_t* payload, size_t length) override {
        framed = SendBinary(*this, prompter_, payload, length);
    }
    void writeRaw(const uint8_t* bytes, size_t length) override { write(bytes, length); }
    bool sendNow() const override { return true; }
    void write(const uint8_t* bytes, size_t n) override { out.assign(bytes, bytes + n); }
    StagingBuffer& staging() override { return staging_; }

    std::vector<uint8_t> out;
    bool framed = false;

private:
    zeph::Prompter& prompter_;
    StagingBuffer staging_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& folder = zeph::fuzz::ScratchFolder::instance();
    NamedFiles files;
    files.open = folder.write("command.cmd", data, size);
    files.save = folder.path("saved.cmd");
    SilentPrompter prompter;
    SendDataCommand dialog(prompter);
    const std::optional<std::string> text = dialog.load(files);
    check(text.has_value(), "a command file loads");
    check(text->find('\n') == std::string::npos, "a loaded text is one line");

    // Zeph Binary: the hex bytes framed, or refused with a message.
    Line line(prompter);
    const HexCommand hex = parseHexCommand(*text);
    const bool sent = dialog.send(*text, SendWrapper::ZephBinary, line);
    check(sent == (hex.refusal == nullptr), "a text is sent unless refused");
    if (sent) {
        size_t digits = 0;
        for (const char c : *text) {
            digits += c != ' ' && c != '\r' ? 1 : 0;
        }
        check(hex.bytes.size() == digits / 2, "every pair of digits is one byte");
        check(line.framed == (hex.bytes.size() <= 992), "a payload is framed when it fits");
        if (line.framed) {
            const auto& f = line.out;
            check(f.size() == hex.bytes.size() + 8 && f[0] == 0xA0 && f[1] == 0xA2 &&
                      std::equal(hex.bytes.begin(), hex.bytes.end(), f.begin() + 4) &&
                      f[f.size() - 2] == 0xB0 && f[f.size() - 1] == 0xB3,
                  "a frame holds the payload between its start and end");
        }
        line.out.clear();
        check(dialog.send(*text, SendWrapper::None, line) && line.out == hex.bytes,
              "the bytes go out unwrapped as they are");
    }

    // NMEA: the text as typed, with its checksum.
    check(dialog.send(*text, SendWrapper::Nmea, line), "any text goes out as a sentence");
    const std::string sentence(line.out.begin(), line.out.end());
    check(sentence == nmeaCommandSentence(*text) && sentence.size() == text->size() + 6 &&
              sentence.front() == '$' && sentence.substr(sentence.size() - 2) == "\r\n",
          "a sentence wraps the text");
    check(dialog.text() == *text && dialog.wrapper() == SendWrapper::Nmea,
          "the dialog opens with the last text sent");

    if (!text->empty()) {
        dialog.save(*text, files);
        files.open = files.save;
        std::string expected = *text;
        if (expected.back() == '\r') {
            expected.pop_back();
        }
        check(dialog.load(files) == expected, "a saved text loads back");
    }
    return 0;
}
