#pragma once

// Reading what a program under test wrote.

#include <fstream>
#include <sstream>
#include <string>

namespace zeph::testing {

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline int countLinesStartingWith(const std::string& text, const std::string& prefix) {
    std::istringstream lines(text);
    int n = 0;
    for (std::string line; std::getline(lines, line);) {
        n += line.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return n;
}

} // namespace zeph::testing
