// Reading and writing whole plan files on disk.
#pragma once

#include "plan_file_format.h"
#include "platform/codepage.h" // sondrel::CodePage

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

namespace plandex {

// A plan of at most 250 channels takes a few kilobytes; anything far larger is
// not a plan file and is refused before it is read into memory.
inline constexpr qint64 maxPlanFileBytes = 1 << 20;

// The whole file, checked: nullopt when it cannot be read, is too large, is not
// text or does not hold a plan.
std::optional<PlanFileContent> readPlanFile(const QString& path, const sondrel::CodePage& codePage);

// Writes bytes to a temporary file beside path and moves it into place only
// once it is complete, so a failed write leaves any earlier file untouched.
// error, when given, receives why a write failed.
bool writeFileAtomically(const QString& path, const QByteArray& bytes,
                         QFileDevice::FileError* error = nullptr);

} // namespace plandex
