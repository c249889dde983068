#include "locale_code_pages.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace sondrel {

unsigned ansiCodePageOfLocale(const std::string& locale) {
    std::string lower = locale;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return c == '-' ? '_' : std::tolower(c); });
    // Language and territory, without code set or modifier: "zh_tw.big5" -> "zh_tw".
    const std::string key = lower.substr(0, lower.find_first_of(".@"));
    const std::string language = key.substr(0, key.find('_'));
    const std::string modifier =
        lower.find('@') == std::string::npos ? "" : lower.substr(lower.find('@') + 1);

    if (language == "zh") return key == "zh_tw" || key == "zh_hk" || key == "zh_mo" ? 950 : 936;
    // Serbian and Uzbek are written in two scripts; the modifier names the other one.
    if (language == "sr") return modifier == "latin" ? 1250 : 1251;
    if (language == "uz") return modifier == "cyrillic" ? 1251 : 1254;

    static const std::map<std::string, unsigned> byLanguage = {
        {"cs", 1250}, {"pl", 1250},  {"hu", 1250}, {"sk", 1250}, {"sl", 1250}, {"hr", 1250},
        {"ro", 1250}, {"sq", 1250},  {"bs", 1250}, {"ru", 1251}, {"uk", 1251}, {"be", 1251},
        {"bg", 1251}, {"mk", 1251},  {"kk", 1251}, {"ky", 1251}, {"tt", 1251}, {"mn", 1251},
        {"ba", 1251}, {"tg", 1251},  {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"he", 1255},
        {"iw", 1255}, {"yi", 1255},  {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"ps", 1256},
        {"ug", 1256}, {"ckb", 1256}, {"lt", 1257}, {"lv", 1257}, {"et", 1257}, {"vi", 1258},
        {"th", 874},  {"ja", 932},   {"ko", 949},
    };
    if (auto it = byLanguage.find(language); it != byLanguage.end()) return it->second;
    return 1252;
}

} // namespace sondrel
