#include "KorvaneConnection.h"

namespace sondrel {

// Not built yet: every member fails with result 0.

HResult KorvaneConnection::ReadSLMScreen(SafeArray<std::uint8_t>* SLMScreen, std::int16_t* result) {
    (void)SLMScreen;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::ReadSLMScreenBig(SafeArray<std::uint8_t>* SLMScreen,
                                            std::int16_t* result) {
    (void)SLMScreen;
    *result = 0;
    return S_Ok;
}

} // namespace sondrel
