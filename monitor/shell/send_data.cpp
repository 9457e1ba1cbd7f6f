#include "monitor/shell/send_data.h"

#include "common/files/replaced_file.h"
#include "common/text/nmea_checksum.h"
#include "common/text/strprintf.h"

#include <filesystem>
#include <fstream>

namespace zeph::monitor {
namespace {

int hexValue(char c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

} // namespace

HexCommand parseHexCommand(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (c != ' ' && c != '\r' && c != '\n') {
            digits += c;
        }
    }
    if (digits.empty()) {
        return {{}, senddata::kEmpty};
    }
    if (text.find_first_not_of(senddata::kHexCharacters) != std::string_view::npos) {
        return {{}, senddata::kInvalid};
    }
    if (text.size() > senddata::kMaxHexText) {
        return {{}, senddata::kTooLong};
    }
    HexCommand command;
    for (size_t i = 0; i + 1 < digits.size(); i += 2) {
        command.bytes.push_back(
            static_cast<uint8_t>(hexValue(digits[i]) << 4 | hexValue(digits[i + 1])));
    }
    return command;
}

std::string nmeaCommandSentence(std::string_view text) {
    return "$" + std::string(text) + strprintf("*%02X\r\n", nmeaChecksum(text));
}

bool SendDataCommand::send(const std::string& text, SendWrapper wrapper, CommandOutput& output) {
    text_ = text;
    wrapper_ = wrapper;
    if (wrapper == SendWrapper::Nmea) {
        const std::string sentence = nmeaCommandSentence(text);
        output.writeRaw(reinterpret_cast<const uint8_t*>(sentence.data()), sentence.size());
        return true;
    }
    const HexCommand command = parseHexCommand(text);
    if (command.refusal != nullptr) {
        prompter_.tell(command.refusal, Prompter::Icon::Warning);
        return false;
    }
    if (wrapper == SendWrapper::ZephBinary) {
        output.sendBinary(command.bytes.data(), command.bytes.size());
    } else {
        output.writeRaw(command.bytes.data(), command.bytes.size());
    }
    return true;
}

namespace {
constexpr std::uintmax_t kMaxCommandFileBytes = 1 << 20;
} // namespace

std::optional<std::string> SendDataCommand::load(CommandFileChooser& chooser) {
    const std::optional<std::string> name = chooser.openName();
    if (!name) {
        return std::nullopt;
    }
    // Only a regular file of a command file's size: a device or a FIFO picked by mistake would
    // hold the window or fill the memory.
    std::error_code ec;
    const bool regular = std::filesystem::is_regular_file(*name, ec);
    const auto size = regular ? std::filesystem::file_size(*name, ec) : 0;
    if (regular && !ec && size > kMaxCommandFileBytes) {
        prompter_.tell(senddata::kFileTooLarge);
        return std::nullopt;
    }
    std::ifstream in;
    if (regular && !ec) {
        in.open(*name);
    }
    if (!in.is_open()) {
        prompter_.tell(senddata::kCannotOpenFile);
        return std::nullopt;
    }
    std::string joined;
    std::string line;
    while (std::getline(in, line)) {
        // A file written with CR LF line ends reads the same.
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        joined += line;
    }
    return joined;
}

void SendDataCommand::save(const std::string& text, CommandFileChooser& chooser) {
    if (text.empty()) {
        prompter_.tell(senddata::kNotSavingEmpty);
        return;
    }
    const std::optional<std::string> name = chooser.saveName();
    if (!name) {
        return;
    }
    std::string error;
    const std::optional<files::ReplacedFile> file = files::ReplacedFile::open(*name, error);
    if (!file) {
        prompter_.tell(senddata::kCannotOpenFile);
    } else if (!file->write(text, false, error)) {
        prompter_.tell(std::string(senddata::kCannotWriteFile) + "\n" + error);
    }
}

} // namespace zeph::monitor
