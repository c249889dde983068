// Port numbers through the ports folder, and line settings on a real pty.
#include "platform/port_registry.h"
#include "serial_link.h"
#include "simulated_meter.h"

#include <filesystem>
#include <fstream>

using namespace korvane::testing;
using sondrel::PortRegistry;

TEST(PortRegistry, FolderEntriesGiveTheirNumbersAndResolveToTheirDevices) {
    TempDir folder;
    PortRegistry registry(folder.str());
    registry.link(1, "/dev/null");
    registry.link(3, "/dev/zero");
    registry.link(4, "/dev/full");
    std::vector<int> fromFolder;
    for (const auto& p : registry.list())
        if (p.fromFolder) fromFolder.push_back(p.number);
    EXPECT_EQ(fromFolder, (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(registry.resolve(3), "/dev/zero");

    registry.link(3, "/dev/random"); // a new link replaces the old one
    EXPECT_EQ(registry.resolve(3), "/dev/random");
    EXPECT_TRUE(registry.unlink(3));
    EXPECT_FALSE(registry.unlink(3));
    EXPECT_NE(registry.resolve(3), "/dev/random");
}

TEST(PortRegistry, RelativeLinksResolveAgainstTheFolderAndBadNumbersAreRefused) {
    TempDir folder;
    PortRegistry registry(folder.str());
    std::filesystem::create_directories(folder.path() / "devs");
    registry.link(2, "devs/meter");
    EXPECT_EQ(registry.resolve(2), (folder.path() / "devs/meter").string());
    EXPECT_THROW(registry.link(0, "/dev/null"), std::runtime_error);
    EXPECT_THROW(registry.link(17, "/dev/null"), std::runtime_error);
}

// A made-up system root: device nodes are plain files, by-id names are
// relative links as udev makes them, and a UART's sysfs type says whether
// hardware is behind it.
class FakeSystem {
  public:
    FakeSystem() { std::filesystem::create_directories(root_.path() / "dev/serial/by-id"); }
    std::string root() const { return root_.str(); }
    std::string device(const std::string& name) {
        std::ofstream(root_.path() / "dev" / name).put('\n');
        return (root_.path() / "dev" / name).string();
    }
    std::string byId(const std::string& name, const std::string& target) {
        const auto link = root_.path() / "dev/serial/by-id" / name;
        std::filesystem::create_symlink("../../" + target, link);
        return link.string();
    }
    std::string uart(const std::string& name, const char* type) {
        if (type) {
            std::filesystem::create_directories(root_.path() / "sys/class/tty" / name);
            std::ofstream(root_.path() / "sys/class/tty" / name / "type") << type << "\n";
        }
        return device(name);
    }

  private:
    TempDir root_;
};

TEST(PortRegistry, SystemDevicesComeByIdThenUsbAcmAndRealUartsInNumberOrderEachOnce) {
    FakeSystem system;
    const std::string usb0 = system.device("ttyUSB0"), usb9 = system.device("ttyUSB9"),
                      usb10 = system.device("ttyUSB10"), acm0 = system.device("ttyACM0");
    system.device("ttyUSB2");
    system.device("ttyACM1");
    const std::string adapterB = system.byId("usb-B-if00-port0", "ttyUSB2");
    const std::string adapterA = system.byId("usb-A-if00", "ttyACM1");
    const std::string uart1 = system.uart("ttyS1", "4"), uart10 = system.uart("ttyS10", "4");
    system.uart("ttyS0", "0"); // no hardware behind it
    system.uart("ttyS2", nullptr);
    system.device("ttyX0"); // not a serial device name
    const std::vector<std::string> expected{adapterA, adapterB, usb0,  usb9,
                                            usb10,    acm0,     uart1, uart10};
    EXPECT_EQ(sondrel::discoverSystemSerialDevices(system.root()), expected)
        << "ttyUSB2 and ttyACM1 come once, by their stable names";

    TempDir folder;
    std::vector<std::string> listed;
    for (const auto& p : PortRegistry(folder.str(), system.root()).list()) {
        EXPECT_EQ(p.number, static_cast<int>(listed.size()) + 1);
        listed.push_back(p.device);
    }
    EXPECT_EQ(listed, expected) << "numbers follow the same order from COM1";
}

TEST(PortRegistry, SystemDevicesTakeOnlyNumbersThatNoEntryUses) {
    FakeSystem system;
    const std::string usb0 = system.device("ttyUSB0"), usb1 = system.device("ttyUSB1");
    const std::string usb2 = system.device("ttyUSB2");
    TempDir folder;
    PortRegistry registry(folder.str(), system.root());
    registry.link(1, usb1);
    registry.link(2, "/dev/null");
    const std::vector<std::tuple<int, std::string, bool>> expected{
        {1, usb1, true}, {2, "/dev/null", true}, {3, usb0, false}, {4, usb2, false}};
    std::vector<std::tuple<int, std::string, bool>> listed;
    for (const auto& p : registry.list())
        listed.emplace_back(p.number, p.device, p.fromFolder);
    EXPECT_EQ(listed, expected) << "ttyUSB1 keeps its entry's number and is not offered again";
    EXPECT_EQ(registry.resolve(4), usb2);

    for (int n = 1; n <= 16; ++n)
        registry.link(n, "/dev/null");
    const auto ports = registry.list();
    ASSERT_EQ(ports.size(), 16u) << "no number is left for the system's devices";
    for (const auto& p : ports)
        EXPECT_TRUE(p.fromFolder) << "COM" << p.number;
}

TEST(PortRegistry, DefaultFolderFollowsTheEnvironment) {
    const char* old = std::getenv("SONDREL_PORTS");
    const std::string saved = old ? old : "";
    ::setenv("SONDREL_PORTS", "/some/where", 1);
    EXPECT_EQ(PortRegistry::defaultFolder(), "/some/where");
    ::unsetenv("SONDREL_PORTS");
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(PortRegistry::defaultFolder(), "/cfg/sondrel/ports");
    ::unsetenv("XDG_CONFIG_HOME");
    if (old) ::setenv("SONDREL_PORTS", saved.c_str(), 1);
}

TEST(LineSettings, TextsParseAndBadOnesAreRefused) {
    const auto s = sondrel::parseLineSettings("56000,n,8,1");
    EXPECT_EQ(s.baud, 56000u);
    EXPECT_EQ(s.parity, sondrel::Parity::None);
    EXPECT_EQ(s.dataBits, 8u);
    EXPECT_EQ(s.stopBits, 1u);
    EXPECT_EQ(sondrel::parseLineSettings("9600,E,7,2").parity, sondrel::Parity::Even);
    for (const char* bad : {"", "9600", "9600,n,8", "fast,n,8,1", "9600,x,8,1", "9600,n,9,1",
                            "9600,n,8,3", "0,n,8,1"})
        EXPECT_THROW(sondrel::parseLineSettings(bad), std::invalid_argument) << bad;
}

class SerialLinkTest : public SimulatedMeterTest {};

TEST_F(SerialLinkTest, EveryRateOfTheMeterCanBeSetOnAnOpenPort) {
    connection_.reset();
    sondrel::SerialLink serial;
    serial.setCommPort(SimulatedPort);
    serial.setPortOpen(true);
    for (const char* text : {"9600,n,8,1", "14400,n,8,1", "19200,n,8,1", "38400,n,8,1",
                             "56000,n,8,1", "57600,n,8,1"}) {
        EXPECT_NO_THROW(serial.setSettings(text)) << text;
        EXPECT_EQ(serial.settings(), text);
    }
    EXPECT_THROW(serial.setSettings("nonsense"), std::invalid_argument);
    EXPECT_EQ(serial.settings(), "57600,n,8,1") << "a refused text changes nothing";
}

TEST_F(SerialLinkTest, TheInputBufferKeepsNoMoreThanItsSize) {
    connection_.reset();
    sondrel::SerialLink serial;
    serial.setCommPort(SimulatedPort);
    serial.setInBufferSize(8);
    serial.setPortOpen(true);
    meter().faults().add(korvane::sim::parseFaultRule("09:extra=20"));
    serial.output(sondrel::buildFrame(sondrel::Bytes{6, 0x09}));
    serial.waitForInput(100, std::chrono::steady_clock::now() + std::chrono::milliseconds(500));
    EXPECT_EQ(serial.inBufferCount(), 8u);
    EXPECT_EQ(serial.input().size(), 8u);
    EXPECT_EQ(serial.inBufferCount(), 0u);
}
