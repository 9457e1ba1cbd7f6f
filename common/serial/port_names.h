#pragma once

// Port names as users and settings files give them: "COMn" names, or device paths.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeph {

// Highest COM number a port list looks at.
constexpr int kMaxListedComPort = 256;

// Where port names are looked up; tests point it at a temporary folder and a fake environment.
struct PortEnvironment {
    std::string devDir = "/dev";
    // Per-device attributes of the serial drivers; a ttyS entry whose "type" reads 0 has no
    // UART behind it and is left out of port lists.
    std::string sysTtyDir = "/sys/class/tty";
    std::function<std::optional<std::string>(const std::string&)> getenv = systemGetenv;

    static std::optional<std::string> systemGetenv(const std::string& name);
};

// n for "COMn" in any case with n >= 1 (a leading "\\.\" is allowed), else none.
std::optional<int> comPortNumber(std::string_view name);

// A name with a '/' is a device path and is used as it is. "COMn" becomes the value of the
// environment variable ZEPH_COMn when that is set and not empty, else <devDir>/ttyS<n-1>.
// Anything else comes back unchanged, so that opening it fails with its own name.
std::string resolvePortName(std::string_view name, const PortEnvironment& env = {});

// The COM names (COM1..COM256) that resolve to an existing device, in number order, then the
// other serial devices (<devDir>/ttyUSB*, <devDir>/ttyACM*) by path in natural order. A device
// already listed under a COM name is not listed again.
std::vector<std::string> listPorts(const PortEnvironment& env = {});

// Orders names with digit runs compared by value: ttyUSB2 before ttyUSB10.
bool naturalLess(std::string_view a, std::string_view b);

} // namespace zeph
