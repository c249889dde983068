// The system language on POSIX systems: the locale environment, as the C
// library reads it.
#include "system_language.h"

#include <cstdlib>

namespace sondrel {

std::uint16_t systemDefaultLanguageId() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            const std::string locale = value;
            if (locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0)
                return LangIdEnglishUs;
            return languageIdOfLocale(locale);
        }
    }
    return LangIdEnglishUs;
}

} // namespace sondrel
