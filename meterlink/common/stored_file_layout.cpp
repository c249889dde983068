#include "common/stored_file_layout.h"

#include <array>

namespace sondrel::stored_files {

std::span<const FileInfoFlag> fileInfoFlags() {
    // Bit 0x01 carries nothing.
    static constexpr std::array flags{
        FileInfoFlag{0x80, "Level", &FileHead::FileInfoLevel},
        FileInfoFlag{0x40, "Spect", &FileHead::FileInfoSpect},
        FileInfoFlag{0x20, "Scan", &FileHead::FileInfoScan},
        FileInfoFlag{0x10, "LimitsTest", &FileHead::FileInfoLimitsTest},
        FileInfoFlag{0x08, "Tilt", &FileHead::FileInfoTilt},
        FileInfoFlag{0x04, "24Hour", &FileHead::FileInfo24Hour},
        FileInfoFlag{0x02, "QAM", &FileHead::FileInfoQAM},
    };
    return flags;
}

} // namespace sondrel::stored_files
