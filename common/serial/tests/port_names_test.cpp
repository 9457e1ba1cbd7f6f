#include "common/serial/port_names.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace zeph {
namespace {

namespace fs = std::filesystem;

PortEnvironment fakeEnvironment(std::map<std::string, std::string> vars,
                                const std::string& devDir = "/dev") {
    PortEnvironment env;
    env.devDir = devDir;
    env.getenv = [vars = std::move(vars)](const std::string& name) -> std::optional<std::string> {
        const auto it = vars.find(name);
        if (it == vars.end()) {
            return std::nullopt;
        }
        return it->second;
    };
    return env;
}

TEST(ComPortNumberTest, AcceptsComNamesInAnyCase) {
    EXPECT_EQ(comPortNumber("COM1"), 1);
    EXPECT_EQ(comPortNumber("com3"), 3);
    EXPECT_EQ(comPortNumber("Com12"), 12);
    EXPECT_EQ(comPortNumber("COM256"), 256);
    EXPECT_EQ(comPortNumber("COM1000"), 1000);
    EXPECT_EQ(comPortNumber("\\\\.\\COM4"), 4);
}

TEST(ComPortNumberTest, RejectsEverythingElse) {
    for (const char* name : {"", "COM", "COM0", "COM-1", "COM+1", "COM1a", "COM 1", "LPT1", "XCOM1",
                             "/dev/COM1", "COM99999999999", "ttyS0"}) {
        EXPECT_FALSE(comPortNumber(name).has_value()) << name;
    }
}

TEST(ResolvePortNameTest, ComNamesMapToLegacyDevicesCountingFromZero) {
    const PortEnvironment env = fakeEnvironment({});
    EXPECT_EQ(resolvePortName("COM1", env), "/dev/ttyS0");
    EXPECT_EQ(resolvePortName("COM3", env), "/dev/ttyS2");
    EXPECT_EQ(resolvePortName("com3", env), "/dev/ttyS2");
    EXPECT_EQ(resolvePortName("COM17", env), "/dev/ttyS16");
    EXPECT_EQ(resolvePortName("\\\\.\\COM2", env), "/dev/ttyS1");
}

TEST(ResolvePortNameTest, EnvironmentOverridesItsOwnPortOnly) {
    const PortEnvironment env = fakeEnvironment({{"ZEPH_COM3", "/dev/pts/7"}, {"ZEPH_COM4", ""}});
    EXPECT_EQ(resolvePortName("COM3", env), "/dev/pts/7");
    EXPECT_EQ(resolvePortName("com3", env), "/dev/pts/7");
    EXPECT_EQ(resolvePortName("COM4", env), "/dev/ttyS3") << "an empty value is no override";
    EXPECT_EQ(resolvePortName("COM30", env), "/dev/ttyS29");
}

TEST(ResolvePortNameTest, ReadsTheProcessEnvironmentByDefault) {
    ::setenv("ZEPH_COM219", "/tmp/zeph-env-port", 1);
    EXPECT_EQ(resolvePortName("COM219"), "/tmp/zeph-env-port");
    ::unsetenv("ZEPH_COM219");
    EXPECT_EQ(resolvePortName("COM219"), "/dev/ttyS218");
}

TEST(ResolvePortNameTest, PathsAndOtherNamesPassThrough) {
    const PortEnvironment env = fakeEnvironment({{"ZEPH_COM3", "/dev/pts/7"}});
    EXPECT_EQ(resolvePortName("/dev/ttyUSB0", env), "/dev/ttyUSB0");
    EXPECT_EQ(resolvePortName("/tmp/COM3", env), "/tmp/COM3");
    EXPECT_EQ(resolvePortName("./COM3", env), "./COM3");
    EXPECT_EQ(resolvePortName("ttyUSB0", env), "ttyUSB0");
    EXPECT_EQ(resolvePortName("COM0", env), "COM0");
    EXPECT_EQ(resolvePortName("", env), "");
}

TEST(NaturalLessTest, ComparesDigitRunsByValue) {
    EXPECT_TRUE(naturalLess("ttyUSB2", "ttyUSB10"));
    EXPECT_FALSE(naturalLess("ttyUSB10", "ttyUSB2"));
    EXPECT_TRUE(naturalLess("ttyACM9", "ttyUSB0"));
    EXPECT_TRUE(naturalLess("ttyUSB1", "ttyUSB1a"));
    EXPECT_TRUE(naturalLess("a2b3", "a2b10"));
    EXPECT_TRUE(naturalLess("x9", "x0010"));
    EXPECT_FALSE(naturalLess("ttyUSB3", "ttyUSB3"));
}

// A scratch folder standing in for /dev and /sys/class/tty.
class ListPortsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/zeph-ports-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        root = name;
        fs::create_directory(dev());
        fs::create_directory(sys());
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    std::string dev() const { return (root / "dev").string(); }
    std::string sys() const { return (root / "sys").string(); }
    void device(const std::string& name) const { std::ofstream(dev() + "/" + name).put('\n'); }
    void uartType(const std::string& name, int type) const {
        fs::create_directory(sys() + "/" + name);
        std::ofstream(sys() + "/" + name + "/type") << type << '\n';
    }
    PortEnvironment environment(std::map<std::string, std::string> vars = {}) const {
        PortEnvironment env = fakeEnvironment(std::move(vars), dev());
        env.sysTtyDir = sys();
        return env;
    }

    fs::path root;
};

TEST_F(ListPortsTest, ComNamesComeFirstThenOtherDevicesInNaturalOrder) {
    for (const char* name : {"ttyS0", "ttyS1", "ttyS2", "ttyUSB10", "ttyUSB2", "ttyACM0", "ttyUSB",
                             "ttyUSBx", "ttyS", "null", "tty0"}) {
        device(name);
    }
    uartType("ttyS0", 4);
    uartType("ttyS1", 0); // node without a UART behind it
    // ttyS2 has no attribute folder: the node is trusted.

    EXPECT_EQ(listPorts(environment()),
              (std::vector<std::string>{"COM1", "COM3", dev() + "/ttyACM0", dev() + "/ttyUSB2",
                                        dev() + "/ttyUSB10"}));
}

TEST_F(ListPortsTest, EnvironmentPortsAreListedUnderTheirComNameOnly) {
    device("ttyUSB0");
    device("ttyUSB1");
    const std::string outside = (root / "sim-link").string();
    std::ofstream(outside).put('\n');

    const std::vector<std::string> ports = listPorts(environment({
        {"ZEPH_COM5", dev() + "/ttyUSB1"},
        {"ZEPH_COM256", outside},
        {"ZEPH_COM7", (root / "missing").string()},
        {"ZEPH_COM257", outside},
    }));
    EXPECT_EQ(ports, (std::vector<std::string>{"COM5", "COM256", dev() + "/ttyUSB0"}));
}

TEST_F(ListPortsTest, EmptyOrMissingDeviceFolderListsNothing) {
    EXPECT_TRUE(listPorts(environment()).empty());
    PortEnvironment env = environment();
    env.devDir = (root / "nowhere").string();
    EXPECT_TRUE(listPorts(env).empty());
}

} // namespace
} // namespace zeph
