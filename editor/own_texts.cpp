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
    OwnEntry{OwnText::SurveyCommand, "电平测量", "Survey"},
    OwnEntry{OwnText::SurveyTitle, "频道电平测量", "Level survey"},
    OwnEntry{OwnText::SurveyProgress, "已测量 %1 / %2 个频道", "%1 of %2 channels measured"},
    OwnEntry{OwnText::SurveyColumnChannel, "序号", "CH"},
    OwnEntry{OwnText::SurveyColumnName, "频道", "Name"},
    OwnEntry{OwnText::SurveyColumnType, "类型", "Type"},
    OwnEntry{OwnText::SurveyColumnFrequency, "频率 (MHz)", "Frequency (MHz)"},
    OwnEntry{OwnText::SurveyColumnLevel, "电平 (%1)", "Level (%1)"},
    OwnEntry{OwnText::SurveyColumnCn, "载噪比 (dB)", "C/N (dB)"},
    OwnEntry{OwnText::SurveyFailed, "失败", "failed"},
    OwnEntry{OwnText::SurveyTilt, "斜率：%1 dB / 100 MHz", "Tilt: %1 dB per 100 MHz"},
    OwnEntry{OwnText::SurveyNoTilt, "斜率：测得的频道不足", "Tilt: too few channels measured"},
    OwnEntry{OwnText::SurveyFavourites, "最高与最低喜好频道之差：%1 dB",
             "Highest minus lowest favourite: %1 dB"},
    OwnEntry{OwnText::SurveyNoFavourites, "最高与最低喜好频道之差：无",
             "Highest minus lowest favourite: not measured"},
    OwnEntry{OwnText::SurveyStopped, "测量已取消，只显示已测的频道。",
             "The survey was cancelled; only the channels measured are shown."},
    OwnEntry{OwnText::SurveySaveCsv, "另存为 CSV", "Save as CSV"},
    OwnEntry{OwnText::SurveySavePng, "另存为 PNG", "Save as PNG"},
    OwnEntry{OwnText::SurveySaveFailed, "无法写入 %1", "Could not write %1"},
    OwnEntry{OwnText::CancelTransfer, "停止传输", "Cancel"},
    OwnEntry{OwnText::TransferStopped, "传输已停止。", "The transfer was stopped."},
    OwnEntry{OwnText::DownloadStopped, "传输已停止。仪表中的频道表可能不完整。",
             "The transfer was stopped. The channel plan in the meter may be incomplete."},
    OwnEntry{OwnText::StopTransferToClose, "正在与仪表传输数据。停止传输并关闭窗口吗？",
             "A transfer with the meter is running. Stop it and close the window?"},
    OwnEntry{OwnText::NoTypeCode,
             "第 %1 行（%2）：类型 %3 与伴音 %4 没有仪表可用的类型代码。未发送任何数据。",
             "Row %1 (%2): Type %3 with Audio Offset %4 has no type code the meter knows. "
             "Nothing was sent."},
    OwnEntry{OwnText::TooManyChannels, "频道表最多 250 个频道，此表有 %1 个。",
             "A channel plan holds at most 250 channels; this one has %1."},
    OwnEntry{OwnText::UnwritableField, "%1 含有文件代码页无法写入的字符。文件未保存。",
             "%1 holds a character the file's code page cannot write. The file was not saved."},
    OwnEntry{OwnText::RefusedNameCharacter,
             "STD CH 不能含有 *、制表符、双引号或 ID，频道表文件无法保存它们。",
             "STD CH cannot hold *, TAB, double quotes or the letters ID: plan files cannot "
             "carry them."},
    OwnEntry{OwnText::FileNotWritten, "无法写入文件 %1：%2",
             "The file %1 could not be written: %2"},
    // The survey window's limits, history and report.
    OwnEntry{OwnText::SurveyLimits, "限值：", "Limits:"},
    OwnEntry{OwnText::SurveyNoLimits, "（不检查）", "(no check)"},
    OwnEntry{OwnText::SurveySite, "地点：", "Site:"},
    OwnEntry{OwnText::SurveyKeep, "保存记录", "Keep"},
    OwnEntry{OwnText::SurveyCompare, "比较...", "Compare with..."},
    OwnEntry{OwnText::SurveySaveReport, "保存报告 (PDF)", "Save report (PDF)"},
    OwnEntry{OwnText::SurveyPrint, "打印", "Print"},
    OwnEntry{OwnText::SurveyHistory, "历史记录", "History"},
    OwnEntry{OwnText::SurveyColumnVerdict, "结论", "Verdict"},
    OwnEntry{OwnText::SurveyKept, "已保存为第 %1 次测量。", "Kept as survey %1."},
    OwnEntry{OwnText::SurveyNeedSite, "请先输入地点。", "Enter the site first."},
    OwnEntry{OwnText::SurveyNothingKept, "此地点没有已保存的测量。",
             "No survey of this site has been kept."},
    OwnEntry{OwnText::SurveyCompared, "与第 %3 次测量相比，%1 个频道变化超过 %2 dB。",
             "%1 channels changed by more than %2 dB since survey %3."},
    OwnEntry{OwnText::SurveyHistoryTitle, "测量历史记录", "Survey history"},
    OwnEntry{OwnText::SurveyHistoryId, "编号", "Survey"},
    OwnEntry{OwnText::SurveyHistoryFailed, "无法使用测量历史记录：%1",
             "The survey history could not be used: %1"},
};

constexpr bool inEnumerationOrder() {
    for (std::size_t i = 0; i < ownTable.size(); ++i)
        if (static_cast<std::size_t>(ownTable[i].id) != i) return false;
    return true;
}
static_assert(inEnumerationOrder(), "ownText looks its entries up by position");

} // namespace

QString ownText(OwnText id) {
    const OwnEntry& entry = ownTable.at(static_cast<std::size_t>(id));
    return QString::fromUtf8(LanguageOffset == ChineseOffset ? entry.chinese : entry.english);
}

} // namespace plandex
