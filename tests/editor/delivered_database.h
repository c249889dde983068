// A private copy of the empty plan database the build delivers beside Plandex.
#pragma once

#include "plan_store.h"

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace plandex {
inline void PrintTo(const PlanRow& r, std::ostream* out) {
    *out << "{" << r.id << ", \"" << r.name.toStdString() << "\", \"" << r.type.toStdString()
         << "\", " << r.freq << ", " << r.audio1 << "}";
}
} // namespace plandex

namespace plandex::testing {

inline QString copyDeliveredDatabase(const QString& folder, const std::vector<PlanRow>& rows = {}) {
    const QString path = folder + "/" + DatabaseFileName;
    EXPECT_TRUE(QFile::copy(QStringLiteral(PLANDEX_DELIVERED_DATABASE), path))
        << "the build delivers " << PLANDEX_DELIVERED_DATABASE;
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    if (!rows.empty()) PlanStore(path).replaceAll(rows);
    return path;
}

// Rows with IDs 1..n and the given frequencies, named after their ID.
inline std::vector<PlanRow> rowsWithFrequencies(const std::vector<double>& frequencies) {
    std::vector<PlanRow> rows;
    int id = 1;
    for (double f : frequencies) {
        rows.push_back({id, QString::number(id), "TV", f, 6.5});
        ++id;
    }
    return rows;
}

} // namespace plandex::testing
