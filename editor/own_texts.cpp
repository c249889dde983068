#include "own_texts.h"

#include "texts.h"

#include <array>
#include <cstddef>

namespace plandex {
namespace {

struct OwnEntry {
    OwnText id;
    const char* chinese;
    const char* english;
};

// One entry for every OwnText, in the enumeration's order.
constexpr std::array ownTable{
    OwnEntry{OwnText::LibraryUnavailable, "无法加载仪器通信库 Sondrel，上传和下传不可用。\n%1",
             "The meter link library Sondrel could not be loaded; Upload and Download are not "
             "available.\n%1"},
};

} // namespace

QString ownText(OwnText id) {
    const OwnEntry& entry = ownTable.at(static_cast<std::size_t>(id));
    return QString::fromUtf8(LanguageOffset == ChineseOffset ? entry.chinese : entry.english);
}

} // namespace plandex
