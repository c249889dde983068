// Port numbers through the ports folder, and line settings on a real pty.
#include "platform/port_registry.h"
#include "serial_link.h"
#include "simulated_meter.h"

#include <filesystem>

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

TEST(PortRegistry, SystemDevicesTakeOnlyNumbersThatNoEntryUses) {
    TempDir folder;
    PortRegistry registry(folder.str());
    for (int n = 1; n <= 16; ++n)
        registry.link(n, "/dev/null");
    const auto ports = registry.list();
    ASSERT_EQ(ports.size(), 16u);
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
