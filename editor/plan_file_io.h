// Reading and writing whole plan files on disk.
#pragma once

#include "plan_file_format.h"
#include "platform/codepage.h" // sondrel::CodePage

#include <QByteArray>
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
// On failure, `reason` (when given) receives the system's words for it.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

} // namespace plandex
