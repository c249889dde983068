// The system language on Windows: the system's own default language.
#include "system_language.h"

#include <windows.h>

namespace sondrel {

std::uint16_t systemDefaultLanguageId() {
    return GetSystemDefaultLangID();
}

} // namespace sondrel
