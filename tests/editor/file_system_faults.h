// Faults of the file system under one folder, for tests of how the editor
// writes its files. The test program defines write(), fsync(), rename() and
// their kin itself; a program's own symbols come before the C library's, so Qt's
// calls land here first. Each call on a path under the watched folder is a
// step: a test can make writes fail as a full disk does, kill the process just
// before a given step (the state a power cut leaves), or make every step slow so
// that a kill at a random moment lands inside the writing. Nothing of the
// product changes. The state sits in memory shared with forked children, so a
// parent sees how far a killed child got.
//
// Include in exactly one file of a test program.
#pragma once

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace plandex::testing {

struct FileSystemFaults {
    char folder[1024] = {};       // steps on paths under this folder are watched; empty: none
    int failWritesWith = 0;       // errno every watched write fails with; 0: writes succeed
    int killBeforeStep = 0;       // the process kills itself before this step (from 1); 0: never
    int slowStepMicroseconds = 0; // each watched step waits so long before it runs
    std::atomic<int> stepsStarted{0};
    std::atomic<int> stepsDone{0};
    std::atomic<long long> firstStepAt{0}; // steady clock, nanoseconds
    std::atomic<long long> lastStepDoneAt{0};
    char lastStep[32] = {}; // name of the last watched call, for messages

    std::chrono::nanoseconds writingTook() const {
        return std::chrono::nanoseconds(lastStepDoneAt - firstStepAt);
    }

    void watch(const std::string& path) {
        std::snprintf(folder, sizeof folder, "%s/", path.c_str());
        failWritesWith = killBeforeStep = slowStepMicroseconds = 0;
        stepsStarted = stepsDone = 0;
        firstStepAt = lastStepDoneAt = 0;
        lastStep[0] = 0;
    }
    void stopWatching() { folder[0] = 0; }
};

// One instance, in memory a forked child shares with its parent.
inline FileSystemFaults& fileSystemFaults() {
    static FileSystemFaults* shared = [] {
        void* memory = ::mmap(nullptr, sizeof(FileSystemFaults), PROT_READ | PROT_WRITE,
                              MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        return new (memory) FileSystemFaults;
    }();
    return *shared;
}

namespace file_system_faults_detail {

inline bool watched(const char* path) {
    const FileSystemFaults& faults = fileSystemFaults();
    return path && faults.folder[0] &&
           std::strncmp(path, faults.folder, std::strlen(faults.folder)) == 0;
}

inline bool watchedDescriptor(int fd) {
    if (!fileSystemFaults().folder[0]) return false;
    char link[64], path[1100];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length <= 0) return false;
    path[length] = 0;
    return watched(path);
}

inline long long nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs a watched step: counts it, waits, kills the process when asked, then
// calls the C library's own function.
template <typename Call> auto step(const char* name, Call call) {
    FileSystemFaults& faults = fileSystemFaults();
    const int number = ++faults.stepsStarted;
    if (number == 1) faults.firstStepAt = nowNanoseconds();
    std::snprintf(faults.lastStep, sizeof faults.lastStep, "%s", name);
    if (faults.slowStepMicroseconds)
        std::this_thread::sleep_for(std::chrono::microseconds(faults.slowStepMicroseconds));
    if (faults.killBeforeStep == number) ::kill(::getpid(), SIGKILL);
    const auto result = call();
    ++faults.stepsDone;
    faults.lastStepDoneAt = nowNanoseconds();
    return result;
}

template <typename Function> Function real(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace file_system_faults_detail
} // namespace plandex::testing

extern "C" {

ssize_t write(int fd, const void* data, size_t size) {
    namespace detail = plandex::testing::file_system_faults_detail;
    static const auto realWrite = detail::real<ssize_t (*)(int, const void*, size_t)>("write");
    if (!detail::watchedDescriptor(fd)) return realWrite(fd, data, size);
    return detail::step("write", [&]() -> ssize_t {
        if (const int error = plandex::testing::fileSystemFaults().failWritesWith) {
            errno = error;
            return -1;
        }
        return realWrite(fd, data, size);
    });
}

int fsync(int fd) {
    namespace detail = plandex::testing::file_system_faults_detail;
    static const auto realFsync = detail::real<int (*)(int)>("fsync");
    if (!detail::watchedDescriptor(fd)) return realFsync(fd);
    return detail::step("fsync", [&] { return realFsync(fd); });
}

int fdatasync(int fd) {
    namespace detail = plandex::testing::file_system_faults_detail;
    static const auto realFdatasync = detail::real<int (*)(int)>("fdatasync");
    if (!detail::watchedDescriptor(fd)) return realFdatasync(fd);
    return detail::step("fdatasync", [&] { return realFdatasync(fd); });
}

int rename(const char* from, const char* to) {
    namespace detail = plandex::testing::file_system_faults_detail;
    static const auto realRename = detail::real<int (*)(const char*, const char*)>("rename");
    if (!detail::watched(to)) return realRename(from, to);
    return detail::step("rename", [&] { return realRename(from, to); });
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    namespace detail = plandex::testing::file_system_faults_detail;
    static const auto realRenameat =
        detail::real<int (*)(int, const char*, int, const char*)>("renameat");
    if (!detail::watched(to)) return realRenameat(fromDir, from, toDir, to);
    return detail::step("renameat", [&] { return realRenameat(fromDir, from, toDir, to); });
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    namespace detail = plandex::testing::file_system_faults_detail;
    static const auto realRenameat2 =
        detail::real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    if (!detail::watched(to)) return realRenameat2(fromDir, from, toDir, to, flags);
    return detail::step("renameat2",
                        [&] { return realRenameat2(fromDir, from, toDir, to, flags); });
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    namespace detail = plandex::testing::file_system_faults_detail;
    static const auto realLinkat =
        detail::real<int (*)(int, const char*, int, const char*, int)>("linkat");
    if (!detail::watched(to)) return realLinkat(fromDir, from, toDir, to, flags);
    return detail::step("linkat", [&] { return realLinkat(fromDir, from, toDir, to, flags); });
}

} // extern "C"
