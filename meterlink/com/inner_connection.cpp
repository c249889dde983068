#include "inner_connection.h"

#include "KorvaneConnection.h"

namespace sondrel::com {

sondrel::_KorvaneConnection* createInnerConnection() {
    return new KorvaneConnection();
}

long liveInnerConnections() {
    return KorvaneConnection::liveObjects();
}

} // namespace sondrel::com
