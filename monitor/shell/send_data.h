#pragma once

// The rules of the Send Data dialog, the monitor's free-form command tool: the text and wrapper it
// opens with, what Send makes of the text under each wrapper, and command files (".cmd") loaded
// and saved. The Qt dialog only shows them.

#include "common/prompt/prompter.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::monitor {

namespace senddata {

constexpr const char* kCaption = "Send Data";
constexpr const char* kHint =
    "Specify in Hex ( e.g. 55 AB 6D... ).  However, use text format for NMEA.";
constexpr const char* kWrapperGroup = "Protocol Wrapper";
constexpr const char* kZephBinary = "&Zeph Binary";
constexpr const char* kNmea = "&NMEA ( $..<data>..*ck\\r\\n )";
constexpr const char* kNone = "N&one";
constexpr const char* kLoad = "&Load...";
constexpr const char* kSave = "S&ave...";
constexpr const char* kSend = "Send";
constexpr const char* kCancel = "Cancel";

constexpr const char* kFileTitle = "Specify a Name for the Command File";
constexpr const char* kFileFilter = "Command Files (*.cmd)|*.cmd|All Files (*.*)|*.*||";

constexpr const char* kEmpty = "Command String Is Empty";
constexpr const char* kInvalid = "Command String Contains Invalid Characters";
constexpr const char* kTooLong = "Command String Is Too Long";
constexpr const char* kNotSavingEmpty = "Not Saving Empty Command";
constexpr const char* kCannotOpenFile = "Cannot Open Command File!";
// Ours: a command file too large to be one, and a save that could not be written whole (the
// old file, if any, is kept); the reason follows on a line of its own.
constexpr const char* kFileTooLarge = "Command File Is Too Large (more than 1 MiB)";
constexpr const char* kCannotWriteFile = "Cannot Write Command File!";

// What a hexadecimal text may hold.
constexpr std::string_view kHexCharacters = "1234567890ABCDEF \r\n";
// The longest hexadecimal text Send takes: room for a largest binary payload (992 bytes) written
// with a blank between byte pairs and line ends, so that the framer's own limit is what a Zeph
// Binary user meets first.
constexpr size_t kMaxHexText = 4096;

} // namespace senddata

// The radio order of the dialog.
enum class SendWrapper { ZephBinary = 0, Nmea = 1, None = 2 };

// Where Send writes: the open serial source.
class CommandOutput {
public:
    virtual ~CommandOutput() = default;
    // Framed by SendBinary (the first byte is the MID).
    virtual void sendBinary(const uint8_t* payload, size_t length) = 0;
    // As they are, at once: neither framed nor staged.
    virtual void writeRaw(const uint8_t* bytes, size_t length) = 0;
};

// The file dialogs of Load and Save: a name, or nothing when the user cancels.
class CommandFileChooser {
public:
    virtual ~CommandFileChooser() = default;
    virtual std::optional<std::string> openName() = 0;
    virtual std::optional<std::string> saveName() = 0;
};

// The bytes of a hexadecimal text, or the message that refuses it. Blanks and line ends go before
// pairing, so "8 4" is 0x84; a lone last digit is dropped.
struct HexCommand {
    std::vector<uint8_t> bytes;
    const char* refusal = nullptr;
};
HexCommand parseHexCommand(std::string_view text);

// "$" + text + "*hh\r\n", hh the XOR of the text's characters; the text as typed.
std::string nmeaCommandSentence(std::string_view text);

// The dialog's state between openings (for the whole run, not in the settings file) and its
// three buttons.
class SendDataCommand {
public:
    explicit SendDataCommand(Prompter& prompter) : prompter_(prompter) {}

    // What the next opening shows: the text and wrapper of the last Send; empty and Zeph Binary
    // at first.
    const std::string& text() const { return text_; }
    SendWrapper wrapper() const { return wrapper_; }

    // Remembers text and wrapper, then sends; false (nothing sent, the dialog stays open) when the
    // text is refused.
    bool send(const std::string& text, SendWrapper wrapper, CommandOutput& output);
    // The joined lines of the chosen file; nothing when the user cancels or it cannot be read.
    std::optional<std::string> load(CommandFileChooser& chooser);
    // An empty text is refused before any file dialog; otherwise written unchanged.
    void save(const std::string& text, CommandFileChooser& chooser);

private:
    Prompter& prompter_;
    std::string text_;
    SendWrapper wrapper_ = SendWrapper::ZephBinary;
};

} // namespace zeph::monitor
