#include "plan_file_io.h"

#include "plan_file_encoding.h"

#include <QFile>
#include <QSaveFile>

namespace plandex {

std::optional<PlanFileContent> readPlanFile(const QString& path,
                                            const sondrel::CodePage& codePage) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxPlanFileBytes) return std::nullopt;
    const QByteArray bytes = file.read(maxPlanFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > maxPlanFileBytes)
        return std::nullopt;
    const auto text = decodePlanFileBytes(bytes, codePage);
    if (!text) return std::nullopt;
    return parsePlanText(*text);
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes,
                         QFileDevice::FileError* error) {
    QSaveFile file(path);
    // The bytes wait in the file's buffer until flush(): a full disk shows
    // there, and commit() would move the short file into place regardless.
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
    // Taken before cancelWriting(), which replaces the cause with its own.
    const QFileDevice::FileError cause = file.error();
    if (!written) file.cancelWriting();
    const bool done = written && file.commit();
    if (error) *error = done ? QFileDevice::NoError : written ? file.error() : cause;
    return done;
}

} // namespace plandex
