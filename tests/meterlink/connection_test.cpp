// The connection members against the simulated meter: port selection, open,
// close, reset, and what happens when nothing answers or no port exists.
#include "simulated_meter.h"

#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace korvane::testing;
using sondrel::Variant;

namespace {

std::int16_t resultOf(const Variant& v) {
    return v.asI2();
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// True when another program could take the port for itself right now.
bool portFreeForOthers(const std::string& device) {
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

} // namespace

class ConnectionTest : public SimulatedMeterTest {};

TEST_F(ConnectionTest, OpenSendsTheConnectFrameAndReportsDone) {
    Variant result;
    ASSERT_EQ(link().OpenDeviceConnection(&result), sondrel::S_Ok);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_EQ(framesToMeterHex(), std::vector<std::string>{"55 AA 01 06 2B CF"});
}

TEST_F(ConnectionTest, CloseAndResetSendTheirFramesAndCloseLeavesThePortOpen) {
    Variant result;
    link().CloseDeviceConnection(&result);
    EXPECT_EQ(resultOf(result), 1);
    link().Reset(&result);
    EXPECT_EQ(resultOf(result), 1);
    // No new PortDevice put: the port is still open after the close command.
    link().OpenDeviceConnection(&result);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_EQ(
        framesToMeterHex(),
        (std::vector<std::string>{"55 AA 01 06 09 F1", "55 AA 01 06 0A F0", "55 AA 01 06 2B CF"}));
    EXPECT_EQ(meter().withState([](auto& s) { return s.link.resets; }), 1u);
}

TEST_F(ConnectionTest, WithASilentMeterOpenAndResetSucceedButCloseFails) {
    meter().faults().add(korvane::sim::parseFaultRule("any:noreply"));
    Variant result;
    auto start = std::chrono::steady_clock::now();
    link().OpenDeviceConnection(&result);
    EXPECT_EQ(resultOf(result), 1);
    const double waited = secondsSince(start);
    EXPECT_GE(waited, 1.0);
    EXPECT_LE(waited, 2.5);

    link().Reset(&result);
    EXPECT_EQ(resultOf(result), 1);

    start = std::chrono::steady_clock::now();
    link().CloseDeviceConnection(&result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_GE(secondsSince(start), 1.4); // 400 ms pause plus at least a second of waiting
}

TEST_F(ConnectionTest, PortDeviceClampsOutOfRangeNumbersToOne) {
    auto fresh = makeConnection();
    std::int16_t port = -1;
    fresh->get_PortDevice(&port);
    EXPECT_EQ(port, 0) << "before the first put";
    for (std::int16_t bad : {0, 17, -3}) {
        fresh->put_PortDevice(bad);
        fresh->get_PortDevice(&port);
        EXPECT_EQ(port, 1) << "put " << bad;
    }
    fresh->put_PortDevice(16);
    fresh->get_PortDevice(&port);
    EXPECT_EQ(port, 16);
}

TEST_F(ConnectionTest, AbsentPortIsSilentOnPutAndFailsTheExchange) {
    // No entry and (on a test machine) no system device for port 15.
    link().put_PortDevice(15);
    std::int16_t port = 0;
    link().get_PortDevice(&port);
    EXPECT_EQ(port, 15);
    Variant result;
    const auto start = std::chrono::steady_clock::now();
    link().OpenDeviceConnection(&result);
    EXPECT_EQ(resultOf(result), 0);
    link().CloseDeviceConnection(&result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_LT(secondsSince(start), 1.0) << "no waiting on a port that cannot be opened";
    EXPECT_TRUE(framesToMeterHex().empty());
}

TEST_F(ConnectionTest, ThePortIsHeldExclusivelyAndClosedWhenTheObjectGoes) {
    EXPECT_FALSE(portFreeForOthers(meter().devicePath()));
    connection_.reset();
    EXPECT_TRUE(portFreeForOthers(meter().devicePath()));
}

TEST_F(ConnectionTest, ObjectsOfOneThreadShareThePortAndTheLastPutWins) {
    auto second = makeConnection();
    second->put_PortDevice(15); // closes the shared port, then fails to open 15
    Variant result;
    link().CloseDeviceConnection(&result);
    EXPECT_EQ(resultOf(result), 0) << "the first object now drives port 15 as well";
    second->put_PortDevice(SimulatedPort);
    link().CloseDeviceConnection(&result);
    EXPECT_EQ(resultOf(result), 1);
}

TEST_F(ConnectionTest, PortStateIsStoredOnlyAndSendsNothing) {
    sondrel::VariantBool state = 1;
    link().get_PortState(&state);
    EXPECT_EQ(state, sondrel::VariantFalse);
    link().put_PortState(sondrel::VariantTrue);
    link().get_PortState(&state);
    EXPECT_EQ(state, sondrel::VariantTrue);
    EXPECT_TRUE(framesToMeterHex().empty());
}
