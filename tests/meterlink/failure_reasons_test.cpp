// Why a member failed: the result stays 0 as clients expect, and the record
// of the last failure names the cause the library met (no device, permission,
// port in use, device gone, a character without a code).
#include "last_failure.h"
#include "plan_test_plans.h"
#include "platform/port_registry.h"
#include "platform/serial_device.h"
#include "pseudo_terminal.h"

#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace korvane::testing;
using namespace sondrel;

namespace {

// A private ports folder as SONDREL_PORTS for the test's life.
class FailureReasonsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* old = std::getenv("SONDREL_PORTS")) previous_ = old;
        ::setenv("SONDREL_PORTS", ports_.str().c_str(), 1);
    }
    void TearDown() override {
        if (previous_)
            ::setenv("SONDREL_PORTS", previous_->c_str(), 1);
        else
            ::unsetenv("SONDREL_PORTS");
    }
    // OpenDeviceConnection on port n, from a fresh record.
    std::int16_t openOn(KorvaneConnection& connection, std::int16_t port) {
        connection.put_PortDevice(port);
        clearLastFailure();
        Variant result;
        connection.OpenDeviceConnection(&result);
        return result.asI2();
    }
    TempDir ports_;
    std::optional<std::string> previous_;
};

} // namespace

TEST_F(FailureReasonsTest, APortNumberWithoutADeviceSaysWhichNumberAndWhereNumbersComeFrom) {
    auto connection = makeConnection();
    EXPECT_EQ(openOn(*connection, 16), 0);
    const Failure failure = lastFailure();
    EXPECT_EQ(failure.kind, FailureKind::NoDevice);
    EXPECT_NE(failure.text.find("COM16"), std::string::npos) << failure.text;
    EXPECT_NE(failure.text.find(ports_.str()), std::string::npos) << failure.text;
}

TEST_F(FailureReasonsTest, AnEntryWhoseDeviceIsGoneIsNoDevice) {
    PortRegistry(ports_.str()).link(5, (ports_.path() / "ttyUSB-unplugged").string());
    auto connection = makeConnection();
    EXPECT_EQ(openOn(*connection, 5), 0);
    EXPECT_EQ(lastFailure().kind, FailureKind::NoDevice) << lastFailure().text;
}

TEST_F(FailureReasonsTest, APortHeldByAnotherProgramIsInUse) {
    PseudoTerminal pty;
    PortRegistry(ports_.str()).link(5, pty.path);
    auto other = makePlatformSerialDevice();
    other->open(pty.path, LineSettings{});
    auto connection = makeConnection();
    EXPECT_EQ(openOn(*connection, 5), 0);
    EXPECT_EQ(lastFailure().kind, FailureKind::InUse) << lastFailure().text;
    EXPECT_NE(lastFailure().text.find(pty.path), std::string::npos) << lastFailure().text;
}

TEST_F(FailureReasonsTest, ADeviceTheUserMayNotOpenIsPermissionAndNamesTheFix) {
    PseudoTerminal pty;
    PortRegistry(ports_.str()).link(5, pty.path);
    ASSERT_EQ(::chown(pty.path.c_str(), 0, 0) == 0 || ::geteuid() != 0, true);
    const auto check = [&]() -> int {
        auto connection = makeConnection();
        if (openOn(*connection, 5) != 0) return 1;
        const Failure failure = lastFailure();
        if (failure.kind != FailureKind::Permission) {
            std::fprintf(stderr, "kind %s: %s\n", failureKindName(failure.kind),
                         failure.text.c_str());
            return 2;
        }
        if (failure.text.find("dialout") == std::string::npos ||
            failure.text.find("log out") == std::string::npos) {
            std::fprintf(stderr, "text: %s\n", failure.text.c_str());
            return 3;
        }
        return 0;
    };
    if (::geteuid() != 0) {
        // The owner is held to the mode too.
        ASSERT_EQ(::chmod(pty.path.c_str(), 0), 0);
        EXPECT_EQ(check(), 0);
        return;
    }
    // Root opens anything: the library runs in a child as nobody, on a device
    // only root may open, as a user outside dialout meets it.
    ASSERT_EQ(::chmod(pty.path.c_str(), 0600), 0);
    std::filesystem::permissions(ports_.path(), std::filesystem::perms::owner_all |
                                                    std::filesystem::perms::group_read |
                                                    std::filesystem::perms::group_exec |
                                                    std::filesystem::perms::others_read |
                                                    std::filesystem::perms::others_exec);
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) GTEST_SKIP() << "no user nobody to run as";
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
            ::setuid(nobody->pw_uid) != 0)
            ::_exit(77);
        ::_exit(check());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become nobody";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: result not 0, 2: wrong kind, 3: no fix named";
}

TEST_F(FailureReasonsTest, ADeviceThatGoesAwayDuringTheConversationIsNoDevice) {
    PseudoTerminal pty;
    PortRegistry(ports_.str()).link(5, pty.path);
    auto connection = makeConnection();
    connection->put_PortDevice(5);
    // The other end goes away, as an unplugged adapter does.
    ::close(pty.master);
    pty.master = -1;
    clearLastFailure();
    Variant result;
    connection->CloseDeviceConnection(&result);
    EXPECT_EQ(result.asI2(), 0);
    EXPECT_EQ(lastFailure().kind, FailureKind::NoDevice) << lastFailure().text;
}

class CodePageFailureTest : public SimulatedMeterTest {};

TEST_F(CodePageFailureTest, ANameCharacterWithoutACodeSaysWhichCharacter) {
    const char* old = std::getenv("LANG");
    const std::string saved = old ? old : "";
    ::setenv("LANG", "en_US.UTF-8", 1);
    SafeArray<Channellist> plan = analogPlan(3);
    plan.at(2).ChannelName = "频1";
    ChannelHead head = planHead();
    Variant planVariant = Variant::channels(plan), result;
    clearLastFailure();
    link().CarryChannel(&planVariant, UserPlanb, &head, &result);
    if (old)
        ::setenv("LANG", saved.c_str(), 1);
    else
        ::unsetenv("LANG");
    EXPECT_EQ(result.asI2(), 0);
    EXPECT_EQ(lastFailure().kind, FailureKind::CodePage);
    EXPECT_NE(lastFailure().text.find("频"), std::string::npos) << lastFailure().text;
    EXPECT_NE(lastFailure().text.find("1252"), std::string::npos) << lastFailure().text;
}
