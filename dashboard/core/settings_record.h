#pragma once

// SettingsRecord: the one fixed-size record of "nmea.dat". Integers are 16-bit little-endian,
// texts fixed-width single-byte characters, left-aligned and padded with spaces, never
// terminated. The record is always read whole before use and written whole.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace zeph::dashboard {

constexpr const char* kSettingsFileName = "nmea.dat";
// COM port numbers run from 1 to this.
constexpr int kComPorts = 16;

struct SettingsRecord {
    static constexpr std::size_t kBytes = 1177;
    static constexpr std::size_t kSpeedChars = 7;
    static constexpr std::size_t kDatabasePathChars = 50;
    static constexpr std::size_t kRecentFiles = 11;
    static constexpr std::size_t kRecentFileChars = 100;

    using Speed = std::array<char, kSpeedChars>;

    int16_t port = 0; // COM number of the single receiver, 1..16
    Speed speed = blank<kSpeedChars>();
    std::array<char, kDatabasePathChars> databasePath = blank<kDatabasePathChars>(); // carried
    Speed source1Speed = blank<kSpeedChars>();
    Speed source2Speed = blank<kSpeedChars>();
    int16_t source1Port = 0;
    int16_t source2Port = 0;
    std::array<std::array<char, kRecentFileChars>, kRecentFiles> recentFiles =
        blankRecent(); // carried

    // The record a first start uses when there is no file yet: port 1 at 4800, and the two
    // sources on ports 1 and 2 at 4800.
    static SettingsRecord firstStart();

    std::array<uint8_t, kBytes> encode() const;
    static SettingsRecord decode(std::span<const uint8_t, kBytes> bytes);

    // Assigning a text pads it with spaces (or cuts it) to the field's width.
    static void setText(std::span<char> field, std::string_view text);
    // The field's text without the trailing padding.
    static std::string text(std::span<const char> field);

    bool operator==(const SettingsRecord&) const = default;

private:
    template <std::size_t N> static std::array<char, N> blank() {
        std::array<char, N> a;
        a.fill(' ');
        return a;
    }
    static std::array<std::array<char, kRecentFileChars>, kRecentFiles> blankRecent() {
        std::array<std::array<char, kRecentFileChars>, kRecentFiles> a;
        for (auto& entry : a) {
            entry.fill(' ');
        }
        return a;
    }
};

// Where the record lives; tests point it at a temporary folder.
class SettingsFile {
public:
    explicit SettingsFile(std::string path = kSettingsFileName) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    bool exists() const;
    // The whole record; a missing or short file gives SettingsRecord::firstStart(). A port
    // number outside 1..16 is a damaged field, not a port: it reads as its first-start value
    // (1, and 1 and 2 for the sources) and the rest of the record is kept.
    SettingsRecord read() const;
    // Writes the whole record; false (with nothing half-written left behind) on failure.
    bool write(const SettingsRecord& record) const;

private:
    std::string path_;
};

} // namespace zeph::dashboard
