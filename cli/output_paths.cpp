#include "output_paths.h"

#include "cli_errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sondrel::cli {

void checkOutputPath(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) throw UsageError("cannot write \"" + path + "\": " + std::strerror(errno));
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    // A device or a pipe would take the text and keep nothing to read back.
    if (!regular) throw UsageError("cannot write \"" + path + "\": not a regular file");
}

} // namespace sondrel::cli
