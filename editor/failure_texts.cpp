#include "failure_texts.h"

#include "own_texts.h"

namespace plandex {

QString storeFailureText(const StoreError& error) {
    switch (error.reason()) {
    case StoreFailure::Busy:
        return ownText(OwnText::StoreBusy);
    case StoreFailure::ReadOnly:
        return ownText(OwnText::StoreReadOnly);
    case StoreFailure::NotOpened:
        return ownText(OwnText::StoreNotOpened);
    case StoreFailure::Damaged:
        return ownText(OwnText::StoreDamaged);
    case StoreFailure::DiskFull:
        return ownText(OwnText::StoreDiskFull);
    case StoreFailure::RowGone:
        return ownText(OwnText::StoreRowGone);
    case StoreFailure::Other:
        break;
    }
    return ownText(OwnText::StoreOther);
}

QString storeFailureMessage(const QString& what, const StoreError& error) {
    return what + u'\n' + storeFailureText(error);
}

QString meterFailureDetail(const sondrel::Failure& failure) {
    using sondrel::FailureKind;
    OwnText kind = OwnText::MeterOther;
    switch (failure.kind) {
    case FailureKind::None:
        return {};
    case FailureKind::NoDevice:
        kind = OwnText::MeterNoDevice;
        break;
    case FailureKind::Permission:
        kind = OwnText::MeterPermission;
        break;
    case FailureKind::InUse:
        kind = OwnText::MeterInUse;
        break;
    case FailureKind::NoAnswer:
        kind = OwnText::MeterNoAnswer;
        break;
    case FailureKind::WrongAnswer:
        kind = OwnText::MeterWrongAnswer;
        break;
    case FailureKind::CodePage:
        kind = OwnText::MeterCodePage;
        break;
    case FailureKind::Cancelled:
        kind = OwnText::MeterCancelled;
        break;
    case FailureKind::Other:
        break;
    }
    const QString text = QString::fromStdString(failure.text).trimmed();
    return text.isEmpty() ? ownText(kind) : ownText(kind) + u'\n' + text;
}

QString fileErrorText(QFileDevice::FileError error) {
    switch (error) {
    case QFileDevice::PermissionsError:
        return ownText(OwnText::FileNoPermission);
    case QFileDevice::ResourceError:
        return ownText(OwnText::FileDiskFull);
    case QFileDevice::OpenError:
        return ownText(OwnText::FileFolderMissing);
    default:
        return ownText(OwnText::FileWriteFailed);
    }
}

} // namespace plandex
