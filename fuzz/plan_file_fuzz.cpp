// Plan text files as Open reads them, in either code page. A file Open accepts
// is written again the way Save writes the plan it gave (rows renumbered in ID
// order, the favourites and the unit as read), and that file must read back
// as the same plan.
//
// Input: a selector byte (bit 0: GBK, else Windows-1252), then the file's bytes.
#include "fuzz_input.h"

#include "plan_file_encoding.h"
#include "plan_file_format.h"

#include <algorithm>

namespace {

using namespace plandex;
using korvane::fuzzing::check;

// What Open stores: the rows in ID order, equal IDs in file order, numbered 1..n.
std::vector<PlanRow> storedRows(std::vector<PlanRow> rows) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const PlanRow& a, const PlanRow& b) { return a.id < b.id; });
    int id = 0;
    for (PlanRow& row : rows)
        row.id = ++id;
    return rows;
}

// Favourites 1 to 6 and the unit, under labels of the kind the window shows.
std::vector<PlanFileFooterLine> footerOf(const QStringList& values) {
    std::vector<PlanFileFooterLine> footer;
    for (qsizetype i = 0; i < std::min<qsizetype>(values.size(), 7); ++i)
        footer.push_back({QStringLiteral("Footer %1*").arg(i + 1), values[i]});
    return footer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvane::fuzzing::FuzzInput input(data, size);
    static const sondrel::CodePage gbk("GBK");
    static const sondrel::CodePage westEuropean("WINDOWS-1252");
    const sondrel::CodePage& codePage = (input.byte() & 1) ? gbk : westEuropean;
    const auto bytes = input.rest();
    const auto text = decodePlanFileBytes(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<qsizetype>(bytes.size())),
                                          codePage);
    if (!text) return 0;
    const auto opened = parsePlanText(*text);
    if (!opened) return 0;
    // Bytes without meaning in the code page (a broken GBK sequence) are read
    // as U+FFFD, which no code page can write back: such a file cannot make
    // the round trip, and Save reports that it failed.
    if (text->contains(QChar::ReplacementCharacter)) return 0;

    const std::vector<PlanRow> rows = storedRows(opened->rows);
    const auto footer = footerOf(opened->footerValues);
    const auto saved = encodeAnsi(formatPlanText(opened->title, rows, footer), codePage);
    check(saved.has_value(), "a plan Open accepted cannot be written in its own code page");
    const auto reread = decodePlanFileBytes(*saved, codePage);
    check(reread.has_value(), "a saved plan reads as a binary file");
    const auto reopened = parsePlanText(*reread);
    check(reopened.has_value(), "a saved plan does not open");
    check(reopened->title == opened->title, "the title line changed on the way");
    check(reopened->rows == rows, "the channels changed on the way");
    for (std::size_t i = 0; i < footer.size(); ++i)
        check(reopened->footerValues.value(static_cast<qsizetype>(i)) == footer[i].value,
              "a header field changed on the way");
    return 0;
}
