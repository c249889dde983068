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

bool writeFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace plandex
