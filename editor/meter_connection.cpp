#include "meter_connection.h"

#include <QCoreApplication>

namespace plandex {
namespace {

struct Held {
    // The object goes before the library that implements it.
    std::shared_ptr<sondrel::client::SondrelLibrary> library;
    sondrel::client::ConnectionPtr connection;
};

Held& held() {
    static Held h;
    return h;
}

// Between the packets of a transfer the progress timer ticks and the window repaints.
void processPendingEvents(void*) {
    QCoreApplication::processEvents();
}

} // namespace

sondrel::_KorvaneConnection* MeterConnection() {
    return held().connection.get();
}

std::optional<QString> createMeterConnection() {
    if (MeterConnection()) return std::nullopt;
    try {
        auto library = sondrel::client::SondrelLibrary::load();
        auto connection = library->createConnection();
        setMeterConnection(std::move(library), std::move(connection));
        return std::nullopt;
    } catch (const std::exception& e) {
        return QString::fromStdString(e.what());
    }
}

void setMeterConnection(std::shared_ptr<sondrel::client::SondrelLibrary> library,
                        sondrel::client::ConnectionPtr connection) {
    Held& h = held();
    h.connection = {};
    h.library = std::move(library);
    h.connection = std::move(connection);
    if (h.library) h.library->setYieldHook(&processPendingEvents, nullptr);
}

} // namespace plandex
