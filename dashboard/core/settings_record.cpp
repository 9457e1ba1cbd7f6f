#include "dashboard/core/settings_record.h"

#include "common/bytes/byte_order.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace zeph::dashboard {

namespace {

// Field offsets in the record.
constexpr std::size_t kPortAt = 0;
constexpr std::size_t kSpeedAt = 2;
constexpr std::size_t kDatabasePathAt = 9;
constexpr std::size_t kSource1SpeedAt = 59;
constexpr std::size_t kSource2SpeedAt = 66;
constexpr std::size_t kSource1PortAt = 73;
constexpr std::size_t kSource2PortAt = 75;
constexpr std::size_t kRecentFilesAt = 77;
static_assert(kRecentFilesAt + SettingsRecord::kRecentFiles * SettingsRecord::kRecentFileChars ==
              SettingsRecord::kBytes);

void putInt16(std::array<uint8_t, SettingsRecord::kBytes>& out, std::size_t at, int16_t v) {
    writeLe16(&out[at], static_cast<uint16_t>(v));
}

int16_t getInt16(std::span<const uint8_t, SettingsRecord::kBytes> in, std::size_t at) {
    return static_cast<int16_t>(readLe16(&in[at]));
}

template <std::size_t N>
void putChars(std::array<uint8_t, SettingsRecord::kBytes>& out, std::size_t at,
              const std::array<char, N>& field) {
    std::transform(field.begin(), field.end(), out.begin() + static_cast<std::ptrdiff_t>(at),
                   [](char c) { return static_cast<uint8_t>(c); });
}

template <std::size_t N>
void getChars(std::span<const uint8_t, SettingsRecord::kBytes> in, std::size_t at,
              std::array<char, N>& field) {
    std::transform(in.begin() + static_cast<std::ptrdiff_t>(at),
                   in.begin() + static_cast<std::ptrdiff_t>(at + N), field.begin(),
                   [](uint8_t b) { return static_cast<char>(b); });
}

} // namespace

SettingsRecord SettingsRecord::firstStart() {
    SettingsRecord r;
    r.port = 1;
    setText(r.speed, "4800");
    setText(r.source1Speed, "4800");
    setText(r.source2Speed, "4800");
    r.source1Port = 1;
    r.source2Port = 2;
    return r;
}

std::array<uint8_t, SettingsRecord::kBytes> SettingsRecord::encode() const {
    std::array<uint8_t, kBytes> out{};
    putInt16(out, kPortAt, port);
    putChars(out, kSpeedAt, speed);
    putChars(out, kDatabasePathAt, databasePath);
    putChars(out, kSource1SpeedAt, source1Speed);
    putChars(out, kSource2SpeedAt, source2Speed);
    putInt16(out, kSource1PortAt, source1Port);
    putInt16(out, kSource2PortAt, source2Port);
    for (std::size_t i = 0; i < kRecentFiles; ++i) {
        putChars(out, kRecentFilesAt + i * kRecentFileChars, recentFiles[i]);
    }
    return out;
}

SettingsRecord SettingsRecord::decode(std::span<const uint8_t, kBytes> bytes) {
    SettingsRecord r;
    r.port = getInt16(bytes, kPortAt);
    getChars(bytes, kSpeedAt, r.speed);
    getChars(bytes, kDatabasePathAt, r.databasePath);
    getChars(bytes, kSource1SpeedAt, r.source1Speed);
    getChars(bytes, kSource2SpeedAt, r.source2Speed);
    r.source1Port = getInt16(bytes, kSource1PortAt);
    r.source2Port = getInt16(bytes, kSource2PortAt);
    for (std::size_t i = 0; i < kRecentFiles; ++i) {
        getChars(bytes, kRecentFilesAt + i * kRecentFileChars, r.recentFiles[i]);
    }
    return r;
}

void SettingsRecord::setText(std::span<char> field, std::string_view text) {
    const std::size_t n = std::min(field.size(), text.size());
    std::copy_n(text.begin(), n, field.begin());
    std::fill(field.begin() + static_cast<std::ptrdiff_t>(n), field.end(), ' ');
}

std::string SettingsRecord::text(std::span<const char> field) {
    std::string s(field.begin(), field.end());
    const std::size_t end = s.find_last_not_of(std::string_view(" \0", 2));
    s.erase(end == std::string::npos ? 0 : end + 1);
    return s;
}

bool SettingsFile::exists() const {
    std::error_code ec;
    return std::filesystem::exists(path_, ec);
}

SettingsRecord SettingsFile::read() const {
    std::ifstream in(path_, std::ios::binary);
    std::array<uint8_t, SettingsRecord::kBytes> bytes{};
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()),
                        static_cast<std::streamsize>(bytes.size()))) {
        return SettingsRecord::firstStart();
    }
    SettingsRecord r = SettingsRecord::decode(bytes);
    const SettingsRecord defaults = SettingsRecord::firstStart();
    for (auto field :
         {&SettingsRecord::port, &SettingsRecord::source1Port, &SettingsRecord::source2Port}) {
        if (r.*field < 1 || r.*field > kComPorts) {
            r.*field = defaults.*field;
        }
    }
    return r;
}

bool SettingsFile::write(const SettingsRecord& record) const {
    // Written beside the old file and renamed over it, so a failed write leaves the old
    // record in place.
    const std::string temp = path_ + ".new";
    const std::array<uint8_t, SettingsRecord::kBytes> bytes = record.encode();
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out ||
            !out.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size())) ||
            !out.flush()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path_.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace zeph::dashboard
