// The port as the library sets it up: raw 8N1, the receiver on, modem lines
// ignored, no flow control of either kind and no hang-up on close, whatever
// another program left on the device; and the device given back as it was found.
#include "platform/serial_device.h"
#include "pseudo_terminal.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using korvane::testing::PseudoTerminal;

TEST(SerialSetUp, FlowControlAndHangUpAreOffWhileOpenAndTheFoundSettingsComeBackOnClose) {
    PseudoTerminal pty;
    // What another program may leave behind: both kinds of flow control,
    // hang-up on close, a cooked line at another rate and 7E2.
    termios found = pty.settings();
    found.c_cflag |= CRTSCTS | HUPCL | PARENB | CSTOPB;
    found.c_cflag &= ~(CLOCAL | CSIZE);
    found.c_cflag |= CS7;
    found.c_iflag |= IXON | IXOFF | IXANY | ICRNL;
    found.c_lflag |= ICANON | ECHO | ISIG;
    cfsetspeed(&found, B19200);
    ASSERT_EQ(tcsetattr(pty.slave, TCSANOW, &found), 0);
    found = pty.settings();

    auto device = sondrel::makePlatformSerialDevice();
    device->open(pty.path, sondrel::LineSettings{});
    const termios open = pty.settings();
    EXPECT_EQ(open.c_cflag & CRTSCTS, 0u) << "RTS/CTS flow control";
    EXPECT_EQ(open.c_iflag & (IXON | IXOFF | IXANY), 0u) << "XON/XOFF flow control";
    EXPECT_EQ(open.c_cflag & HUPCL, 0u) << "hang-up on close";
    EXPECT_EQ(open.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(open.c_cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8)) << "8N1";
    EXPECT_EQ(open.c_iflag & ICRNL, 0u);
    EXPECT_EQ(open.c_lflag & (ICANON | ECHO | ISIG), 0u);

    // XON and XOFF bytes pass as data now.
    const std::uint8_t flowBytes[] = {0x11, 0x13, 0x55};
    ASSERT_EQ(::write(pty.master, flowBytes, sizeof flowBytes), 3);
    std::uint8_t got[8] = {};
    ASSERT_TRUE(device->waitReadable(std::chrono::milliseconds(500)));
    usleep(20000);
    EXPECT_EQ(device->readAvailable(got), 3u);
    EXPECT_EQ(got[0], 0x11);
    EXPECT_EQ(got[1], 0x13);

    device->close();
    const termios after = pty.settings();
    EXPECT_EQ(after.c_cflag, found.c_cflag);
    EXPECT_EQ(after.c_iflag, found.c_iflag);
    EXPECT_EQ(after.c_lflag, found.c_lflag);
    EXPECT_EQ(after.c_oflag, found.c_oflag);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&found));
}

TEST(SerialSetUp, ASecondOpenOfTheSamePortIsRefusedEvenForRoot) {
    PseudoTerminal pty;
    auto first = sondrel::makePlatformSerialDevice();
    first->open(pty.path, sondrel::LineSettings{});
    auto second = sondrel::makePlatformSerialDevice();
    EXPECT_THROW(second->open(pty.path, sondrel::LineSettings{}), sondrel::SerialError);
    first->close();
    EXPECT_NO_THROW(second->open(pty.path, sondrel::LineSettings{}));
}
