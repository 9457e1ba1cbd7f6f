#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>

namespace zeph::testing {
namespace {

// "Suite.Case" of the running test with only file-name-safe characters, kept short.
std::string testLabel() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string label = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name()
                                        : std::string("zeph");
    for (char& c : label) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '.' && c != '-') {
            c = '_';
        }
    }
    constexpr size_t kMaxLabel = 80;
    return label.substr(0, kMaxLabel);
}

} // namespace

TempDir::TempDir() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) {
        base = "/tmp";
    }
    std::string pattern = (base / ("zeph-" + testLabel() + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a scratch folder " << pattern;
        return;
    }
    folder_ = pattern;
}

TempDir::~TempDir() {
    if (!folder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
}

std::string TempDir::write(std::string_view name, std::string_view content) const {
    const std::string file = path(name);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return file;
}

std::string TempDir::write(std::string_view name, std::span<const uint8_t> content) const {
    return write(name,
                 std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
}

} // namespace zeph::testing
