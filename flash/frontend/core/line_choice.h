#pragma once

// The Line list and where the window goes. The list holds the ports COM1..COM32 that exist on
// this machine under the names the engine opens (ZEPH_COMn, else /dev/ttyS<n-1>), so a line
// picked here is the line the engine uses. Several ZephBurns on different lines cascade.

#include <string>
#include <vector>

namespace zeph::burnfront {

// The COM1..COM32 names among `ports` (the serial module's listing), in number order.
std::vector<std::string> frontPorts(const std::vector<std::string>& ports);

struct LineChoice {
    int index = -1;      // into the list; -1 when the list is empty
    std::string refusal; // "Specified line ... does not exist!", when -l named a missing port
};

// `line` is -l's number, 0 when not given: then the first port of the list.
LineChoice chooseLine(const std::vector<std::string>& ports, int line);

struct WindowPlace {
    int x = 0;
    int y = 0;
    bool operator==(const WindowPlace&) const = default;
};

// The window centred with room for one step of 40 pixels per existing port, moved by 40 per
// step of the chosen port's place in the port table; never off the top or left edge.
WindowPlace cascadePlace(int screenWidth, int screenHeight, int windowWidth, int windowHeight,
                         int portCount, int portIndex);

} // namespace zeph::burnfront
