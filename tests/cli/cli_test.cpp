// sondrel as users and scripts run it: a separate process that loads the
// library, against korvane-sim on a pseudo-terminal.
#include "child_process.h"
#include "expected_members.h"
#include "simulated_meter.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr int SimPort = 9;

class SondrelProgram : public ::testing::Test {
  protected:
    // Every run sees only this test's ports folder and registration record.
    Environment environment() const {
        return {{"SONDREL_PORTS", (home_.path() / "ports").string()},
                {"XDG_DATA_HOME", (home_.path() / "data").string()}};
    }

    Finished sondrel(std::vector<std::string> args, const std::string& program = SONDREL_PROGRAM,
                     const std::string& folder = {}) {
        args.insert(args.begin(), program);
        return runProgram(args, environment(), folder);
    }

    // Starts the simulated meter as COM9; faults as korvane-sim --fault takes them.
    void startMeter(const std::vector<std::string>& faults = {}) {
        std::vector<std::string> argv{KORVANE_SIM_PROGRAM, "--com", std::to_string(SimPort),
                                      "--wire-log", wireLog().string()};
        for (const auto& f : faults)
            argv.insert(argv.end(), {"--fault", f});
        meter_ = std::make_unique<RunningProgram>(argv, environment());
        ASSERT_EQ(meter_->readLine().rfind("device ", 0), 0u);
        ASSERT_EQ(meter_->readLine().rfind("port COM9 ", 0), 0u);
    }

    fs::path wireLog() const { return home_.path() / "wire.log"; }

    TempDir home_;
    std::unique_ptr<RunningProgram> meter_;
};

void expectUsageError(const Finished& run) {
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_EQ(run.err.rfind("sondrel: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

TEST_F(SondrelProgram, OpensTheConnectionToTheMeter) {
    startMeter();
    const Finished run = sondrel({"--port", "9", "call", "OpenDeviceConnection"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"member\": \"OpenDeviceConnection\", \"result\": 1, \"args\": []}\n");
    EXPECT_TRUE(run.err.empty());
    EXPECT_NE(fileText(wireLog()).find("> 55 AA 01 06 2B CF\n"), std::string::npos);
}

TEST_F(SondrelProgram, PutsAndReadsThePortNumber) {
    startMeter();
    EXPECT_EQ(sondrel({"--port", "COM9", "call", "PortDevice"}).out,
              "{\"member\": \"PortDevice\", \"result\": 9, \"args\": []}\n");
    EXPECT_EQ(sondrel({"--port", "9", "call", "portdevice", "3"}).out,
              "{\"member\": \"PortDevice\", \"result\": null, \"args\": [3]}\n");
    // Without --port the object keeps its initial port number.
    EXPECT_EQ(sondrel({"call", "PortDevice"}).out,
              "{\"member\": \"PortDevice\", \"result\": 0, \"args\": []}\n");
}

TEST_F(SondrelProgram, AFailedResultCompletesButAMemberErrorExitsWith3) {
    startMeter({"09:noreply"});
    Finished run = sondrel({"--port", "9", "call", "CloseDeviceConnection"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "{\"member\": \"CloseDeviceConnection\", \"result\": 0, \"args\": []}\n");

    run = sondrel({"--port", "9", "call", "GetCN", "\"abc\""});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "{\"member\": \"GetCN\", \"error\": \"Type mismatch\"}\n");
}

TEST_F(SondrelProgram, ArgumentsComeBackInTheirJsonForms) {
    Finished run = sondrel({"call", "SetupDateTime", "\"2009-08-25T13:45:30\"", "\"13:45:30\""});
    ASSERT_EQ(run.status, 0) << run.err;
    json line = json::parse(run.out);
    EXPECT_EQ(line["args"], json::parse(R"(["2009-08-25T13:45:30", "1899-12-30T13:45:30"])"));

    run = sondrel({"call", "CarryChannelHead", "{\"Span\": 20}"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(
        run.out.find(
            R"("args": [{"Fav1": 0, "Fav2": 0, "Fav3": 0, "Fav4": 0, "Fav5": 0, "Fav6": 0, "Span": 20, "Un": 0}])"),
        std::string::npos)
        << run.out;

    run = sondrel({"call", "ReadDigi", "-3"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(json::parse(run.out)["args"], json::parse("[-3, 0.0, 0.0, 0.0, 0.0, null, null]"));
}

TEST_F(SondrelProgram, DatesNoDateCanHoldFailTheCallAndComeBackAsNumbers) {
    for (const char* date : {"9223372036854774784", "\"1e300\"", "\"nan\"", "-1e18"}) {
        const Finished run = sondrel({"call", "SetupDateTime", date, "0"});
        ASSERT_EQ(run.status, 0) << date << ": " << run.err;
        const json line = json::parse(run.out);
        EXPECT_EQ(line["result"], 0) << date;
        EXPECT_FALSE(line["args"][0].is_string()) << date << ": " << run.out;
        EXPECT_EQ(line["args"][1], "1899-12-30T00:00:00") << date;
    }
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(SondrelProgram, BatchAnswersEveryLineAsCallWouldAndGoesOnAfterABadOne) {
    startMeter();
    const std::string input = "{\"member\": \"OpenDeviceConnection\", \"args\": []}\n"
                              "{\"member\": \"readslmvolume\"}\n"
                              "not json\n"
                              "\n"
                              "{\"member\": \"NoSuchMember\", \"args\": []}\n"
                              "{\"member\": \"GetCN\", \"args\": [\"abc\"]}\n"
                              "{\"member\": \"SetupSLMVolume\", \"args\": 5}\n"
                              "{\"member\": \"PortDevice\"}\n";
    const Finished run =
        runProgram({SONDREL_PROGRAM, "--port", "9", "batch"}, environment(), {}, input);
    EXPECT_EQ(run.status, 3) << "the worst line was a member error";
    const auto lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 7u) << run.out;
    EXPECT_EQ(lines[0], "{\"member\": \"OpenDeviceConnection\", \"result\": 1, \"args\": []}");
    EXPECT_EQ(json::parse(lines[1])["result"], 1);
    EXPECT_EQ(json::parse(lines[1])["member"], "ReadSLMVolume");
    EXPECT_TRUE(json::parse(lines[2]).contains("error")) << lines[2];
    EXPECT_EQ(json::parse(lines[3])["member"], "NoSuchMember");
    EXPECT_TRUE(json::parse(lines[3]).contains("error"));
    EXPECT_EQ(lines[4], "{\"member\": \"GetCN\", \"error\": \"Type mismatch\"}");
    EXPECT_TRUE(json::parse(lines[5]).contains("error")) << lines[5];
    EXPECT_EQ(lines[6], "{\"member\": \"PortDevice\", \"result\": 9, \"args\": []}");

    const Finished unusable = runProgram({SONDREL_PROGRAM, "batch"}, environment(), {},
                                         "{\"member\": \"Reset\", \"args\": [1]}\n");
    EXPECT_EQ(unusable.status, 2);
    EXPECT_EQ(linesOf(unusable.out).size(), 1u);
    const Finished fine = runProgram({SONDREL_PROGRAM, "batch"}, environment(), {},
                                     "{\"member\": \"PortDevice\", \"args\": []}\n");
    EXPECT_EQ(fine.status, 0);
    EXPECT_EQ(fine.out, "{\"member\": \"PortDevice\", \"result\": 0, \"args\": []}\n");
}

TEST_F(SondrelProgram, BatchAnswersEachLineBeforeReadingTheNextAndSurvivesAReplug) {
    startMeter();
    RunningProgram batch({SONDREL_PROGRAM, "--port", "9", "batch"}, environment());
    const std::string close = "{\"member\": \"CloseDeviceConnection\", \"args\": []}\n";
    const std::string closed =
        "{\"member\": \"CloseDeviceConnection\", \"result\": 1, \"args\": []}";
    batch.writeInput(close);
    EXPECT_EQ(batch.readLine(), closed) << "answered while standard input is still open";
    // The meter goes away and comes back under the same number.
    meter_.reset();
    startMeter();
    batch.writeInput(close);
    EXPECT_EQ(batch.readLine(), closed) << "the port number is opened afresh";
    batch.closeInput();
    EXPECT_EQ(batch.wait(), 0);
}

TEST_F(SondrelProgram, TheSimulatorRemovesItsPortEntryOnEveryWayOut) {
    const fs::path entry = home_.path() / "ports" / "COM9";
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        startMeter();
        ASSERT_TRUE(fs::is_symlink(entry));
        meter_->signal(signal);
        EXPECT_EQ(meter_->wait(), 0) << signal;
        EXPECT_FALSE(fs::is_symlink(entry)) << "after signal " << signal;
        meter_.reset();
    }
    // A state file it cannot use: refused before any entry is made.
    std::ofstream(home_.path() / "bad.json") << R"({"screen": {"width": 4}})";
    const Finished refused = runProgram(
        {KORVANE_SIM_PROGRAM, "--com", "9", "--state", (home_.path() / "bad.json").string()},
        environment());
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("screen.width"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::is_symlink(entry));
}

TEST_F(SondrelProgram, UsageErrorsExitWith2AndOneLine) {
    const std::vector<std::vector<std::string>> cases{
        {},
        {"call"},
        {"call", "NoSuchMember"},
        {"call", "GetCN", "{bad"},
        {"call", "Reset", "1"},
        {"call", "SetupSLMVolume", "300"},
        {"call", "SetupSLMVolume", "\"loud\""},
        {"call", "CarryChannelHead", "{\"Fav9\": 1}"},
        {"--port", "17", "call", "Reset"},
        {"ports", "link", "0", "/dev/null"},
        {"ports", "unlink", "COM5"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        expectUsageError(sondrel(args));
    }
}

TEST_F(SondrelProgram, ListsAll47MembersWithTheirDispatchIdentifiers) {
    const Finished run = sondrel({"members"});
    ASSERT_EQ(run.status, 0);
    std::istringstream lines(run.out);
    std::string line;
    std::size_t count = 0;
    while (std::getline(lines, line)) {
        ASSERT_LT(count, ExpectedMembers.size()) << line;
        const auto& expected = ExpectedMembers[count++];
        int slot = 0;
        unsigned dispId = 0;
        char kind[8] = {}, name[64] = {};
        ASSERT_EQ(std::sscanf(line.c_str(), "%d 0x%x %7s %63[A-Za-z_]", &slot, &dispId, kind, name),
                  4)
            << line;
        EXPECT_EQ(slot, expected.slot);
        EXPECT_EQ(dispId, expected.dispId) << line;
        EXPECT_EQ(name, expected.name);
    }
    EXPECT_EQ(count, 47u);
    EXPECT_NE(run.out.find("0x68030001  put     PortDevice(value short in)\n"), std::string::npos);
    EXPECT_NE(run.out.find("zhishu short in/out opt, dishu short in/out opt) -> VARIANT"),
              std::string::npos);
}

TEST_F(SondrelProgram, FindsTheLibraryThroughItsRegistrationOrExitsWith1) {
    // A copy of the program with no library beside it (nor in the working folder).
    const fs::path alone = home_.path() / "alone";
    fs::create_directories(alone);
    fs::copy_file(SONDREL_PROGRAM, alone / "sondrel");
    fs::permissions(alone / "sondrel", fs::perms::owner_exec, fs::perm_options::add);
    const std::vector<std::string> call{"call", "PortDevice"};

    Finished run = sondrel(call, (alone / "sondrel").string(), alone.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("beside the program"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);

    ASSERT_EQ(sondrel({"register"}).status, 0);
    const fs::path record = home_.path() / "data/sondrel/library-path";
    EXPECT_EQ(fs::path(fileText(record).substr(0, fileText(record).find('\n'))).parent_path(),
              fs::path(SONDREL_PROGRAM).parent_path());
    run = sondrel(call, (alone / "sondrel").string(), alone.string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"member\": \"PortDevice\", \"result\": 0, \"args\": []}\n");

    ASSERT_EQ(sondrel({"unregister"}).status, 0);
    EXPECT_FALSE(fs::exists(record));
    EXPECT_EQ(sondrel(call, (alone / "sondrel").string(), alone.string()).status, 1);
}

TEST_F(SondrelProgram, EditsThePortsFolder) {
    EXPECT_EQ(sondrel({"ports", "link", "COM5", "/dev/null"}).out, "COM5 /dev/null\n");
    EXPECT_NE(sondrel({"ports"}).out.find("COM5 /dev/null folder\n"), std::string::npos);
    EXPECT_EQ(sondrel({"ports", "unlink", "5"}).status, 0);
    EXPECT_EQ(sondrel({"ports"}).out.find("COM5 "), std::string::npos);
}

TEST_F(SondrelProgram, AnswersHelpAndVersion) {
    const Finished help = sondrel({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"call", "members", "ports", "register"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    const Finished version = sondrel({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "sondrel " SONDREL_VERSION "\n");
}

} // namespace
} // namespace korvane::testing
