// Why something failed, in the user's language: the plan database's refusals,
// the meter link's failure kinds and a plan file's write error. The messages
// name what failed first; these texts follow as the reason.
#pragma once

#include "plan_store.h"

#include "last_failure.h"

#include <QFileDevice>
#include <QString>

namespace plandex {

// The reason a store operation failed, never the database's own text.
QString storeFailureText(const StoreError& error);
// What failed, then why, as one message.
QString storeFailureMessage(const QString& what, const StoreError& error);

// The detail line under a failed job with the meter: the failure kind in the
// user's language, then the library's own text; empty when nothing failed.
QString meterFailureDetail(const sondrel::Failure& failure);

// Why a file could not be written.
QString fileErrorText(QFileDevice::FileError error);

} // namespace plandex
