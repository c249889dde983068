// Running the programs under test as separate processes, the way a user or a
// script does: arguments, extra environment, working folder, captured output.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace korvane::testing {

// The whole content of a file the programs wrote; empty when it is missing.
std::string fileText(const std::filesystem::path& path);

using Environment = std::map<std::string, std::string>;

struct Finished {
    int status = -1; // exit status; -1 when the program was killed
    std::string out;
    std::string err;
};

// Runs argv[0] to its end (at most 60 s) with `input` on its standard input
// and returns what it printed.
Finished runProgram(const std::vector<std::string>& argv, const Environment& env = {},
                    const std::string& workingFolder = {}, const std::string& input = {});

// A program left running (a simulated meter, a batch being fed line by line);
// stopped with SIGTERM when the object goes.
class RunningProgram {
  public:
    RunningProgram(const std::vector<std::string>& argv, const Environment& env = {});
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // The next line the program prints; empty when none comes in time.
    std::string readLine(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Writes to the program's standard input; closeInput ends it.
    void writeInput(const std::string& text);
    void closeInput();
    // Stops reading the program's output, as a reader that has gone away.
    void closeOutput();
    // Sends the program a signal.
    void signal(int number);
    // Waits for the program to end and returns its exit status.
    int wait();

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    std::string pending_;
};

} // namespace korvane::testing
