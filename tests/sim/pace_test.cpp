// The simulator's pacing: a paced meter takes a frame and sends its reply no
// faster than a serial line carries them (10 bits a byte at the line's rate);
// without pacing a reply arrives in one piece. Timings are checked loosely
// (a floor, never a ceiling), so a busy machine cannot fail the test.
#include "frame.h"
#include "meter_simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

constexpr unsigned LineRate = 9600;

struct TimedReply {
    sondrel::Bytes bytes;
    microseconds firstByteAfter{}; // from the end of sending the request
    microseconds spread{};         // from the first byte to the last
};

// Sends `request` to the simulator's line as a client at 9600 baud would and
// collects the reply, taking it as complete after 300 ms of silence.
TimedReply exchange(const std::string& device, const sondrel::Bytes& request) {
    TimedReply reply;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    EXPECT_GE(fd, 0) << device;
    if (fd < 0) return reply;
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B9600);
    ::tcsetattr(fd, TCSANOW, &settings);
    EXPECT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    const auto sent = Clock::now();
    Clock::time_point first, last;
    pollfd waiting{fd, POLLIN, 0};
    while (::poll(&waiting, 1, reply.bytes.empty() ? 3000 : 300) > 0) {
        std::uint8_t chunk[256];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0) break;
        last = Clock::now();
        if (reply.bytes.empty()) first = last;
        reply.bytes.insert(reply.bytes.end(), chunk, chunk + n);
    }
    ::close(fd);
    reply.firstByteAfter = std::chrono::duration_cast<microseconds>(first - sent);
    reply.spread = std::chrono::duration_cast<microseconds>(last - first);
    return reply;
}

microseconds lineTime(std::size_t bytes) {
    return microseconds(bytes * 10 * 1'000'000 / LineRate);
}

// The first packet of the plan in slot A: 74 bytes, 77 ms at 9600 baud.
const sondrel::Bytes request = sondrel::buildFrame(sondrel::Bytes{7, 0x66, 0});

TimedReply askFirstPlanPacket(bool pacing) {
    korvane::sim::SimulatorOptions options;
    options.pacing = pacing;
    korvane::sim::MeterSimulator meter(options);
    meter.start();
    TimedReply reply = exchange(meter.devicePath(), request);
    meter.stop();
    return reply;
}

TEST(Pacing, APacedReplyTakesTheLineTimeOfItsBytesAndAnUnpacedOneDoesNot) {
    const TimedReply paced = askFirstPlanPacket(true);
    ASSERT_GE(paced.bytes.size(), 70u) << "no reply to measure";
    // The meter reads the whole request off the line before it answers.
    EXPECT_GE(paced.firstByteAfter, lineTime(request.size()) * 8 / 10);
    // The bytes after the first take at least 90% of their line time.
    EXPECT_GE(paced.spread, lineTime(paced.bytes.size() - 1) * 9 / 10)
        << paced.bytes.size() << " bytes";

    const TimedReply unpaced = askFirstPlanPacket(false);
    EXPECT_EQ(unpaced.bytes, paced.bytes) << "pacing changes the timing only";
    EXPECT_LT(unpaced.spread, lineTime(unpaced.bytes.size() - 1) / 2)
        << "without pacing the reply arrives at once";
}

} // namespace
