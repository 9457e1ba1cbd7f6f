// A file the simulators rewrite whole: links followed, nothing else made or replaced.

#include "common/files/replaced_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zeph::files {
namespace {

namespace fs = std::filesystem;

class ReplacedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("zeph_replaced_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directory(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string at(const std::string& name) const { return (dir_ / name).string(); }
    void put(const std::string& name, const std::string& text, mode_t mode = 0644) const {
        std::ofstream(at(name), std::ios::binary) << text;
        ::chmod(at(name).c_str(), mode);
    }
    std::string get(const std::string& name) const {
        std::ifstream in(at(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::set<std::string> names() const {
        std::set<std::string> out;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            out.insert(entry.path().filename().string());
        }
        return out;
    }

    fs::path dir_;
};

TEST_F(ReplacedFileTest, RefusesWhatCannotBeWrittenAsAFileAndMakesNothing) {
    fs::create_directory(at("folder"));
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0644), 0);
    put("file", "x");
    put("locked", "x", 0444);
    fs::create_symlink("folder", at("to-folder"));
    fs::create_symlink("loop", at("loop"));
    struct Row {
        std::string path;
        std::string reason;
    };
    std::vector<Row> rows = {
        {at("folder"), "not a regular file"},     {at("fifo"), "not a regular file"},
        {"/dev/null", "not a regular file"},      {at("to-folder"), "not a regular file"},
        {at("missing/c"), std::strerror(ENOENT)}, {at("file/c"), std::strerror(ENOTDIR)},
        {at("loop"), std::strerror(ELOOP)},
    };
    if (::geteuid() != 0) { // root writes a read-only file all the same
        rows.push_back({at("locked"), std::strerror(EACCES)});
    }
    const std::set<std::string> before = names();
    for (const Row& row : rows) {
        std::string error;
        EXPECT_FALSE(ReplacedFile::open(row.path, error)) << row.path;
        EXPECT_EQ(error, "cannot write " + row.path + ": " + row.reason);
    }
    EXPECT_EQ(names(), before);
}

TEST_F(ReplacedFileTest, RewritesTheFileTheLinksLeadToKeepingItsMode) {
    struct Row {
        const char* written;  // the path given
        const char* target;   // where the contents must land
        const char* existing; // the target's contents before, or null when missing
        mode_t mode;          // the target's mode before
    };
    const Row rows[] = {
        {"new", "new", nullptr, 0},      {"plain", "plain", "old and longer", 0640},
        {"link", "linked", "old", 0600}, {"dangling", "absent", nullptr, 0},
        {"chain", "end", "old", 0664},
    };
    fs::create_symlink("linked", at("link"));
    fs::create_symlink(at("absent"), at("dangling"));
    fs::create_symlink("middle", at("chain"));
    fs::create_symlink("end", at("middle"));
    const mode_t mask = ::umask(022);
    for (const Row& row : rows) {
        if (row.existing != nullptr) {
            put(row.target, row.existing, row.mode);
        }
        std::set<std::string> expected = names();
        std::string error;
        const auto file = ReplacedFile::open(at(row.written), error);
        ASSERT_TRUE(file) << error;
        EXPECT_EQ(names(), expected) << row.written; // opening makes nothing
        ASSERT_TRUE(file->write("new contents", false, error)) << error;
        EXPECT_EQ(get(row.target), "new contents") << row.written;
        expected.insert(row.target);
        EXPECT_EQ(names(), expected) << row.written;
        EXPECT_EQ(fs::is_symlink(at(row.written)), std::string(row.written) != row.target);
        struct stat st {};
        ASSERT_EQ(::stat(at(row.target).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, row.existing != nullptr ? row.mode : 0644) << row.written;
    }
    ::umask(mask);
}

} // namespace
} // namespace zeph::files
