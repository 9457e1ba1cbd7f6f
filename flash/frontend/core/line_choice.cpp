#include "flash/frontend/core/line_choice.h"

#include "flash/frontend/core/front_options.h"

#include "common/serial/port_names.h"

#include <algorithm>

namespace zeph::burnfront {

namespace {
constexpr int kCascadeStep = 40;
}

std::vector<std::string> frontPorts(const std::vector<std::string>& ports) {
    std::vector<std::pair<int, std::string>> numbered;
    for (const std::string& port : ports) {
        const auto n = comPortNumber(port);
        if (n && *n <= kMaxLine && port.find('\\') == std::string::npos) {
            numbered.emplace_back(*n, "COM" + std::to_string(*n));
        }
    }
    std::sort(numbered.begin(), numbered.end());
    numbered.erase(std::unique(numbered.begin(), numbered.end()), numbered.end());
    std::vector<std::string> out;
    for (auto& [n, name] : numbered) {
        out.push_back(std::move(name));
    }
    return out;
}

LineChoice chooseLine(const std::vector<std::string>& ports, int line) {
    LineChoice choice;
    if (line == 0) {
        choice.index = ports.empty() ? -1 : 0;
        return choice;
    }
    const std::string name = "COM" + std::to_string(line);
    const auto it = std::find(ports.begin(), ports.end(), name);
    if (it == ports.end()) {
        choice.refusal = "Specified line " + name + " does not exist!\nProgram will terminate.";
        return choice;
    }
    choice.index = static_cast<int>(it - ports.begin());
    return choice;
}

WindowPlace cascadePlace(int screenWidth, int screenHeight, int windowWidth, int windowHeight,
                         int portCount, int portIndex) {
    const int k = std::max(portIndex, 0);
    const int x = (screenWidth - kCascadeStep * portCount - windowWidth + kCascadeStep) / 2 +
                  kCascadeStep * k;
    const int y = (screenHeight - kCascadeStep * portCount - windowHeight + kCascadeStep) / 2 +
                  kCascadeStep * k;
    return {std::max(x, 0), std::max(y, 0)};
}

} // namespace zeph::burnfront
