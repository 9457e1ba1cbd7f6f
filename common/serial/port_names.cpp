#include "common/serial/port_names.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

namespace zeph {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kWin32DevicePrefix = "\\\\.\\";
constexpr std::string_view kEnvPrefix = "ZEPH_COM";
constexpr std::string_view kOtherDevicePrefixes[] = {"ttyUSB", "ttyACM"};

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::string defaultComPath(const PortEnvironment& env, int number) {
    return env.devDir + "/ttyS" + std::to_string(number - 1);
}

std::optional<std::string> comOverride(const PortEnvironment& env, int number) {
    if (!env.getenv) {
        return std::nullopt;
    }
    std::optional<std::string> value = env.getenv(std::string(kEnvPrefix) + std::to_string(number));
    if (value && value->empty()) {
        return std::nullopt;
    }
    return value;
}

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

// The kernel creates ttyS nodes for every possible legacy port; "type" 0 means no UART.
bool uartPresent(const PortEnvironment& env, int number) {
    std::ifstream in(env.sysTtyDir + "/ttyS" + std::to_string(number - 1) + "/type");
    int type = -1;
    if (!(in >> type)) {
        return true; // no attribute to go by: trust the device node
    }
    return type != 0;
}

std::string sameDeviceKey(const std::string& path) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

bool isOtherSerialDevice(const std::string& name) {
    for (std::string_view prefix : kOtherDevicePrefixes) {
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                        isDigit)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<std::string> PortEnvironment::systemGetenv(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::optional<int> comPortNumber(std::string_view name) {
    if (name.substr(0, kWin32DevicePrefix.size()) == kWin32DevicePrefix) {
        name.remove_prefix(kWin32DevicePrefix.size());
    }
    if (name.size() < 4 || std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(name[2])) != 'M') {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(3);
    if (!std::all_of(digits.begin(), digits.end(), isDigit)) {
        return std::nullopt;
    }
    int number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec != std::errc() || end != digits.data() + digits.size() || number < 1) {
        return std::nullopt;
    }
    return number;
}

std::string resolvePortName(std::string_view name, const PortEnvironment& env) {
    if (name.find('/') != std::string_view::npos) {
        return std::string(name);
    }
    const std::optional<int> number = comPortNumber(name);
    if (!number) {
        return std::string(name);
    }
    if (std::optional<std::string> path = comOverride(env, *number)) {
        return *path;
    }
    return defaultComPath(env, *number);
}

std::vector<std::string> listPorts(const PortEnvironment& env) {
    std::vector<std::string> ports;
    std::set<std::string> listedDevices;
    for (int number = 1; number <= kMaxListedComPort; ++number) {
        const std::optional<std::string> custom = comOverride(env, number);
        const std::string path = custom ? *custom : defaultComPath(env, number);
        if (!exists(path) || (!custom && !uartPresent(env, number))) {
            continue;
        }
        ports.push_back("COM" + std::to_string(number));
        listedDevices.insert(sameDeviceKey(path));
    }

    std::vector<std::string> others;
    std::error_code ec;
    for (fs::directory_iterator it(env.devDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string path = it->path().string();
        if (isOtherSerialDevice(it->path().filename().string()) &&
            listedDevices.count(sameDeviceKey(path)) == 0) {
            others.push_back(path);
        }
    }
    std::sort(others.begin(), others.end(),
              [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
    ports.insert(ports.end(), others.begin(), others.end());
    return ports;
}

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t endA = i;
            std::size_t endB = j;
            while (endA < a.size() && isDigit(a[endA])) {
                ++endA;
            }
            while (endB < b.size() && isDigit(b[endB])) {
                ++endB;
            }
            // Compare by value: skip leading zeros, then the longer run is larger.
            std::string_view runA = a.substr(i, endA - i);
            std::string_view runB = b.substr(j, endB - j);
            runA.remove_prefix(std::min(runA.find_first_not_of('0'), runA.size()));
            runB.remove_prefix(std::min(runB.find_first_not_of('0'), runB.size()));
            if (runA.size() != runB.size()) {
                return runA.size() < runB.size();
            }
            if (runA != runB) {
                return runA < runB;
            }
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j]) {
            return a[i] < b[j];
        }
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace zeph
