#include "survey_report_texts.h"

#include "platform/system_language.h"

#include <array>
#include <cstddef>

namespace plandex {
namespace {

struct ReportEntry {
    ReportText id;
    const char* english;
    const char* chinese;
};

// One entry for every ReportText, in the enumeration's order.
constexpr std::array reportTable{
    ReportEntry{ReportText::Title, "Level survey report", "电平测量报告"},
    ReportEntry{ReportText::VerdictPass, "PASS: every check passed", "合格：全部检查通过"},
    ReportEntry{ReportText::VerdictFail, "FAIL: %1 of %2 checks failed",
                "不合格：%2 项检查中 %1 项未通过"},
    ReportEntry{ReportText::VerdictIncomplete, "INCOMPLETE: no check failed, %1 not measured",
                "未完成：无检查未通过，%1 项未测"},
    ReportEntry{ReportText::VerdictNoProfile, "Not checked against limits", "未按限值检查"},
    ReportEntry{ReportText::Site, "Site", "地点"},
    ReportEntry{ReportText::Time, "Time", "时间"},
    ReportEntry{ReportText::Operator, "Operator", "测量人"},
    ReportEntry{ReportText::Meter, "Meter", "仪表"},
    ReportEntry{ReportText::Profile, "Limits", "限值"},
    ReportEntry{ReportText::ExampleProfile, "(example numbers, not a cited rule)",
                "（示例数值，非引用标准）"},
    ReportEntry{ReportText::Unit, "Unit", "单位"},
    ReportEntry{ReportText::NetworkFigures, "Network-wide figures", "全网指标"},
    ReportEntry{ReportText::Check, "Check", "检查"},
    ReportEntry{ReportText::Measured, "Measured", "测量值"},
    ReportEntry{ReportText::Limit, "Limit", "限值"},
    ReportEntry{ReportText::Verdict, "Verdict", "结论"},
    ReportEntry{ReportText::Pass, "pass", "合格"},
    ReportEntry{ReportText::Fail, "FAIL", "不合格"},
    ReportEntry{ReportText::NotMeasured, "not measured", "未测"},
    ReportEntry{ReportText::Level, "Level", "电平"},
    ReportEntry{ReportText::CarrierToNoise, "C/N", "载噪比"},
    ReportEntry{ReportText::Mer, "MER", "MER"},
    ReportEntry{ReportText::Ber, "BER", "误码率"},
    ReportEntry{ReportText::AdjacentDifference, "Adjacent difference, %1", "相邻频道电平差（%1）"},
    ReportEntry{ReportText::Spread, "Spread across the plan, %1", "全频道电平差（%1）"},
    ReportEntry{ReportText::Tilt, "Tilt (dB per 100 MHz)", "斜率（dB / 100 MHz）"},
    ReportEntry{ReportText::Analogue, "analogue", "模拟"},
    ReportEntry{ReportText::Digital, "digital", "数字"},
    ReportEntry{ReportText::Channels, "Channels", "频道"},
    ReportEntry{ReportText::Channel, "CH", "序号"},
    ReportEntry{ReportText::Name, "Name", "频道"},
    ReportEntry{ReportText::Type, "Type", "类型"},
    ReportEntry{ReportText::Frequency, "MHz", "MHz"},
    ReportEntry{ReportText::Comparison, "Compared with survey %1 of %2",
                "与 %2 的第 %1 次测量比较"},
    ReportEntry{ReportText::ComparisonSummary,
                "%1 of %2 channels changed by more than %3 dB or were measured only once "
                "(marked * in the table)",
                "%2 个频道中 %1 个变化超过 %3 dB 或只测得一次（表中以 * 标出）"},
    ReportEntry{ReportText::TiltChange, "Tilt: %1 then, %2 now", "斜率：上次 %1，本次 %2"},
    ReportEntry{ReportText::Change, "Change dB", "变化 dB"},
    ReportEntry{ReportText::Stopped, "The survey was stopped before its end.",
                "测量在结束前已停止。"},
    ReportEntry{ReportText::LimitBand, "dashed: level limits", "虚线：电平限值"},
    ReportEntry{ReportText::FailedMark, "triangle: failed check", "三角：检查未通过"},
};

constexpr bool inEnumerationOrder() {
    for (std::size_t i = 0; i < reportTable.size(); ++i)
        if (static_cast<std::size_t>(reportTable[i].id) != i) return false;
    return true;
}
static_assert(inEnumerationOrder(), "reportText looks its entries up by position");

} // namespace

ReportLanguage systemReportLanguage() {
    // Every Chinese territory shares the primary language, the id's low ten bits.
    constexpr std::uint16_t PrimaryLanguage = 0x3ff;
    const auto id = sondrel::systemDefaultLanguageId();
    return (id & PrimaryLanguage) == (sondrel::LangIdChinesePrc & PrimaryLanguage)
               ? ReportLanguage::Chinese
               : ReportLanguage::English;
}

QString reportText(ReportText id, ReportLanguage language) {
    const ReportEntry& entry = reportTable.at(static_cast<std::size_t>(id));
    return QString::fromUtf8(language == ReportLanguage::Chinese ? entry.chinese : entry.english);
}

} // namespace plandex
