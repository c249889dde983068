// The simulated meter's line as a client meets it: a stray partial header
// does not leave it deaf, and its COMn entry is its own.
#include "meter_simulator.h"
#include "simulated_meter.h"

#include "platform/port_registry.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace korvane::sim;
using korvane::testing::TempDir;
using sondrel::Bytes;
namespace fs = std::filesystem;

namespace {

// The client's end of the simulator's line, opened raw.
class RawClient {
  public:
    explicit RawClient(const std::string& device)
        : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        termios tio{};
        ::tcgetattr(fd_, &tio);
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B9600);
        ::tcsetattr(fd_, TCSANOW, &tio);
    }
    ~RawClient() { ::close(fd_); }
    bool opened() const { return fd_ >= 0; }
    void send(const Bytes& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What arrives within the time.
    Bytes receive(std::chrono::milliseconds within) {
        Bytes got;
        const auto deadline = std::chrono::steady_clock::now() + within;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            std::uint8_t chunk[256];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n > 0) got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

  private:
    int fd_;
};

TEST(SimulatorLine, AStrayPartialHeaderDoesNotLeaveTheMeterDeaf) {
    MeterSimulator meter;
    meter.start();
    RawClient client(meter.devicePath());
    ASSERT_TRUE(client.opened());
    const Bytes open = sondrel::buildFrame(Bytes{6, 0x2B});
    client.send({0x55, 0xAA, 0x01, 0xFF});
    // A client that got no answer sends again, later than any byte gap.
    std::this_thread::sleep_for(FrameReader::InterByteTimeout * 2);
    client.send(open);
    const Bytes reply = client.receive(std::chrono::milliseconds(500));
    EXPECT_EQ(reply, (Bytes{0x55, 0xAA, 0x01, 0x06, 0x2B, 0xCF}));
    EXPECT_EQ(meter.wireLog().framesToMeter().back(), open);
}

class PortEntry : public ::testing::Test {
  protected:
    SimulatorOptions options() const {
        SimulatorOptions o;
        o.comNumber = 7;
        o.portsFolder = folder_.str();
        return o;
    }
    fs::path entry() const { return folder_.path() / "COM7"; }
    TempDir folder_;
};

TEST_F(PortEntry, ASecondMeterOnTheNumberOfARunningOneIsRefused) {
    MeterSimulator first(options());
    first.start();
    MeterSimulator second(options());
    try {
        second.start();
        FAIL() << "the second meter took COM7";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("COM7 already names " + first.devicePath()),
                  std::string::npos)
            << e.what();
    }
    second.stop();
    EXPECT_EQ(fs::read_symlink(entry()), first.devicePath()) << "the first one's entry stands";
    first.stop();
    EXPECT_FALSE(fs::is_symlink(entry()));

    // An entry naming a device that is gone (a meter that was killed) is taken.
    fs::create_directory_symlink("/nonexistent/pts/99", entry());
    MeterSimulator third(options());
    third.start();
    EXPECT_EQ(fs::read_symlink(entry()), third.devicePath());
}

TEST_F(PortEntry, AMeterRemovesItsEntryOnlyWhileItStillNamesItsLine) {
    MeterSimulator meter(options());
    meter.start();
    sondrel::PortRegistry(folder_.str()).link(7, "/dev/null"); // linked anew by the user
    meter.stop();
    ASSERT_TRUE(fs::is_symlink(entry()));
    EXPECT_EQ(fs::read_symlink(entry()), "/dev/null");
}

} // namespace
