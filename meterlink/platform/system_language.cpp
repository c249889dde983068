#include "system_language.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace sondrel {

std::uint16_t languageIdOfLocale(const std::string& locale) {
    // Language and territory, without code set or modifier: "zh_CN.GBK@x" -> "zh_cn".
    std::string key = locale.substr(0, locale.find_first_of(".@"));
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return c == '-' ? '_' : std::tolower(c); });
    static const std::map<std::string, std::uint16_t> byLocale = {
        {"zh_cn", 2052}, {"zh_sg", 4100}, {"zh_tw", 1028}, {"zh_hk", 3076}, {"zh_mo", 5124},
        {"en_us", 1033}, {"en_gb", 2057}, {"en_au", 3081}, {"en_ca", 4105}, {"en_nz", 5129},
        {"en_ie", 6153}, {"de_de", 1031}, {"de_at", 3079}, {"de_ch", 2055}, {"fr_fr", 1036},
        {"fr_ca", 3084}, {"fr_be", 2060}, {"es_es", 3082}, {"es_mx", 2058}, {"it_it", 1040},
        {"pt_br", 1046}, {"pt_pt", 2070}, {"nl_nl", 1043}, {"ru_ru", 1049}, {"ja_jp", 1041},
        {"ko_kr", 1042}, {"pl_pl", 1045}, {"sv_se", 1053}, {"tr_tr", 1055}, {"cs_cz", 1029},
    };
    if (auto it = byLocale.find(key); it != byLocale.end()) return it->second;
    // A bare language takes its primary territory.
    static const std::map<std::string, std::uint16_t> byLanguage = {
        {"zh", 2052}, {"en", 1033}, {"de", 1031}, {"fr", 1036}, {"es", 3082}, {"it", 1040},
        {"pt", 2070}, {"nl", 1043}, {"ru", 1049}, {"ja", 1041}, {"ko", 1042},
    };
    const std::string language = key.substr(0, key.find('_'));
    if (auto it = byLanguage.find(language); it != byLanguage.end()) {
        // zh_XX for an unknown territory is still Chinese, but not the PRC.
        if (language == "zh" && key != language) return LangIdChineseTaiwan;
        return it->second;
    }
    return LangIdEnglishUs;
}

} // namespace sondrel
