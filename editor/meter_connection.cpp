#include "meter_connection.h"

namespace plandex {
namespace {

struct Meter {
    std::shared_ptr<sondrel::client::SondrelLibrary> library;
    std::int16_t port = 1;
    std::optional<QString> loadFailure;
};

Meter& meter() {
    static Meter m;
    return m;
}

} // namespace

std::shared_ptr<sondrel::client::SondrelLibrary> meterLibrary() {
    return meter().library;
}

std::optional<QString> loadMeterLibrary() {
    if (meterLibrary()) return std::nullopt;
    try {
        setMeterLibrary(sondrel::client::SondrelLibrary::load());
        return std::nullopt;
    } catch (const std::exception& e) {
        markMeterLibraryMissing(QString::fromStdString(e.what()));
        return meterLibraryFailure();
    }
}

void markMeterLibraryMissing(const QString& reason) {
    meter().library.reset();
    meter().loadFailure = reason;
}

std::optional<QString> meterLibraryFailure() {
    return meter().loadFailure;
}

void setMeterLibrary(std::shared_ptr<sondrel::client::SondrelLibrary> library) {
    if (library) meter().loadFailure.reset();
    meter().library = std::move(library);
}

std::int16_t meterPort() {
    return meter().port;
}

void setMeterPort(std::int16_t port) {
    meter().port = port;
}

void chooseMeterPort(std::int16_t port) {
    setMeterPort(port);
    const auto library = meterLibrary();
    if (!library) return;
    try {
        const sondrel::client::ConnectionPtr connection = library->createConnection();
        connection->put_PortDevice(port);
        std::int16_t taken = port;
        connection->get_PortDevice(&taken);
        setMeterPort(taken);
    } catch (const sondrel::client::LoadError&) {
        // No object to ask: the number stays as chosen.
    }
}

} // namespace plandex
