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
    OwnEntry{OwnText::SurveyMeterSilent, "仪表没有应答。前 %1 个频道都无法测量，测量已停止。",
             "The meter does not answer. The first %1 channels could not be measured; the "
             "survey stopped."},
    OwnEntry{OwnText::SurveyPlanNotRead, "无法读取仪表当前的频道表，未进行测量。",
             "The meter's active channel plan could not be read; nothing was measured."},
    OwnEntry{OwnText::SurveyPlanEmpty, "仪表当前的频道表 %1 中没有频道，未进行测量。",
             "The meter's active channel plan %1 has no channels; nothing was measured."},
    OwnEntry{OwnText::SurveyMeasuredPlan, "测量的是仪表当前的频道表 %1（%2 个频道）",
             "Measured: the meter's active channel plan %1 (%2 channels)"},
    OwnEntry{OwnText::SurveyUnitUnknown, "仪表未确认电平单位：这些电平的单位未知。",
             "The meter did not confirm its level unit: the unit of these levels is not known."},
    OwnEntry{OwnText::SurveyDigiFavourites, "最高与最低数字喜好频道之差：%1 dB",
             "Highest minus lowest digital favourite: %1 dB"},
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
    OwnEntry{OwnText::StoreBusy, "另一个程序正在使用频道数据库。请关闭它后重试。",
             "Another program is using the plan database. Close it and try again."},
    OwnEntry{OwnText::StoreReadOnly, "频道数据库是只读的，或者您没有写入它的权限。",
             "The plan database is read-only, or you may not write to it."},
    OwnEntry{OwnText::StoreNotOpened, "无法打开频道数据库（文件不存在或无法访问）。",
             "The plan database cannot be opened (the file is missing or out of reach)."},
    OwnEntry{OwnText::StoreDamaged, "频道数据库已损坏，或者不是频道数据库。",
             "The plan database is damaged or is not a plan database."},
    OwnEntry{OwnText::StoreDiskFull, "磁盘已满，无法写入频道数据库。",
             "The disk is full: the plan database cannot be written."},
    OwnEntry{OwnText::StoreRowGone, "该频道在读取后已被更改或删除。",
             "The channel was changed or removed since it was read."},
    OwnEntry{OwnText::StoreOther, "频道数据库报告了一个错误。",
             "The plan database reported an error."},
    OwnEntry{OwnText::PlanNotRead, "无法从频道数据库读取频道表。",
             "The channel plan could not be read from the plan database."},
    OwnEntry{OwnText::CommandNotDone, "“%1”未能执行，频道表没有改变。",
             "%1 was not carried out; the channel plan is unchanged."},
    OwnEntry{OwnText::EditNotWritten,
             "对第 %1 号频道的修改无法写入频道数据库，修改仍保留在表格中。",
             "The change to channel %1 could not be written to the plan database; it stays "
             "in the grid."},
    OwnEntry{OwnText::CommandRefusedUnwritten, "“%1”未执行：表格中有尚未写入的修改。",
             "%1 was not carried out: a change in the grid is not written yet."},
    OwnEntry{OwnText::ReceivedPlanTooLarge,
             "仪表中的频道表有 %1 个频道，本程序最多容纳 250 个。频道表没有改变。",
             "The meter's plan has %1 channels; the editor holds at most 250. The table is "
             "unchanged."},
    OwnEntry{OwnText::FileNoPermission, "您没有在该位置写入的权限", "you may not write there"},
    OwnEntry{OwnText::FileDiskFull, "磁盘已满", "the disk is full"},
    OwnEntry{OwnText::FileFolderMissing, "文件夹不存在或无法写入",
             "the folder does not exist or cannot be written"},
    OwnEntry{OwnText::FileWriteFailed, "磁盘拒绝写入", "the disk refused the write"},
    OwnEntry{OwnText::MeterNoDevice, "该串口上没有设备。", "There is no device at this port."},
    OwnEntry{OwnText::MeterPermission,
             "您没有打开串口的权限。请把您的用户加入 dialout 组，然后注销并重新登录。",
             "You may not open the serial port. Add your user to the group dialout, then log "
             "out and in again."},
    OwnEntry{OwnText::MeterInUse, "另一个程序正在使用该串口。",
             "Another program is using the serial port."},
    OwnEntry{OwnText::MeterNoAnswer, "仪表没有应答。请检查电缆和仪表的电源。",
             "The meter did not answer. Check the cable and that the meter is on."},
    OwnEntry{OwnText::MeterWrongAnswer, "仪表的应答无法识别。",
             "The meter's answer was not understood."},
    OwnEntry{OwnText::MeterCodePage, "有文字无法用仪表的字符集表示。",
             "A text has a character the meter's character set cannot hold."},
    OwnEntry{OwnText::MeterCancelled, "传输已停止。", "The transfer was stopped."},
    OwnEntry{OwnText::MeterOther, "与仪表的连接出错。", "The link to the meter failed."},
    OwnEntry{OwnText::DatabaseInUse,
             "另一个 Plandex 正在使用频道数据库 %1。同一时间只能有一个编辑器使用它。",
             "Another Plandex is already working on the plan database %1. Only one editor at "
             "a time can use it."},
    OwnEntry{OwnText::DatabaseNotLocked, "无法锁定频道数据库 %1：%2",
             "The plan database %1 cannot be locked: %2"},
    OwnEntry{OwnText::StopSurveyToClose, "正在测量仪表的电平。停止测量并关闭窗口吗？",
             "A level survey of the meter is running. Stop it and close the window?"},
    OwnEntry{OwnText::PlanFilesFilter, "频道表文件 (*.txt)", "Channel plans (*.txt)"},
    OwnEntry{OwnText::AllFilesFilter, "所有文件 (*)", "All files (*)"},
    OwnEntry{OwnText::Diagnostics, "通信库：%1\n应答检查：%2", "Link library: %1\nReply check: %2"},
    OwnEntry{OwnText::NoLibrary, "未加载", "not loaded"},
    OwnEntry{OwnText::SessionEnds, "会话结束：与仪表的传输已停止，没有保存任何不完整的数据。",
             "The session ends: the job with the meter was stopped; nothing partial was kept."},
    // The Meter window: its command, title, state line and Stop.
    OwnEntry{OwnText::MeterCommand, "仪表", "Meter"},
    OwnEntry{OwnText::MeterTitle, "仪表", "Meter"},
    OwnEntry{OwnText::MeterStop, "停止", "Stop"},
    OwnEntry{OwnText::MeterStatePort, "端口 COM%1", "Port COM%1"},
    OwnEntry{OwnText::MeterAnswers, "仪表有应答", "the meter answers"},
    OwnEntry{OwnText::MeterAnswersModel, "仪表 %1 有应答", "the meter %1 answers"},
    // The Live page.
    OwnEntry{OwnText::MeterLivePage, "实时测量", "Live"},

    // The Instrument page.
    OwnEntry{OwnText::MeterInstrumentPage, "仪表设置", "Instrument"},
    OwnEntry{OwnText::MeterInstrumentRead, "从仪表读取", "Read from the meter"},
    OwnEntry{OwnText::MeterModel, "型号：", "Model:"},
    OwnEntry{OwnText::MeterVolume, "音量：", "Volume:"},
    OwnEntry{OwnText::MeterLevelUnit, "电平单位：", "Level unit:"},
    OwnEntry{OwnText::MeterTemperatureUnit, "温度单位：", "Temperature unit:"},
    OwnEntry{OwnText::MeterBacklight, "背光：", "Backlight:"},
    OwnEntry{OwnText::MeterSwitchOff, "自动关机：", "Automatic switch-off:"},
    OwnEntry{OwnText::MeterStep, "调谐步进：", "Tuning step:"},
    OwnEntry{OwnText::MeterLimits, "限值：", "Limits:"},
    OwnEntry{OwnText::MeterClock, "时钟：", "Clock:"},
    OwnEntry{OwnText::MeterLineSpeed, "通信速率：", "Line speed:"},
    OwnEntry{OwnText::MeterSet, "设置", "Set"},
    OwnEntry{OwnText::MeterNotReported, "仪表不报告此项", "the meter does not report it"},
    OwnEntry{OwnText::MeterReported, "仪表报告：%1", "the meter reports %1"},
    OwnEntry{OwnText::MeterNotRead, "未读到：%1", "not read: %1"},
    OwnEntry{OwnText::MeterConfirmed, "已设为 %1，仪表已确认", "%1 set, confirmed by the meter"},
    OwnEntry{OwnText::MeterDiffers, "已发送 %1，但仪表报告 %2", "%1 sent; the meter reports %2"},
    OwnEntry{OwnText::MeterUnconfirmed, "已发送 %1，仪表接收了命令但不回报设置值",
             "%1 sent; the meter took it but does not report the setting back"},
    OwnEntry{OwnText::MeterNotSet, "%1 未设置：%2", "%1 not set: %2"},
    OwnEntry{OwnText::MeterReadFailed, "读取仪表设置失败。",
             "Reading the meter's settings failed."},
    OwnEntry{OwnText::MeterSetFailed, "更改仪表设置失败。", "Changing the meter's setting failed."},
    OwnEntry{OwnText::MeterClockSet, "将仪表时钟设为本机时间",
             "Set the meter's clock to this computer's time"},
    OwnEntry{OwnText::MeterClockToSend, "将发送：%1", "to be sent: %1"},
    OwnEntry{OwnText::MeterClockSent, "已发送：%1", "sent: %1"},
    OwnEntry{OwnText::MeterLineSpeedChange, "更改...", "Change..."},
    OwnEntry{OwnText::MeterLineSpeedWarning,
             "更改后仪表将以 %1 波特通信，直到关机为止。本编辑器以后的每项操作都会跟随此速率"
             "（每项操作开始时多用一两秒）；sondrel 需加 --baud %1 才能连接仪表。"
             "仪表关机再开机后恢复 9600 波特。确定更改通信速率吗？",
             "The meter will then listen at %1 baud until it is switched off. The editor follows "
             "it in every later job (each job starts a second or two later); sondrel reaches it "
             "with --baud %1. Switched off and on, the meter is back at 9600 baud. Change the "
             "line speed?"},
    OwnEntry{OwnText::MeterLineSpeedNow,
             "仪表以 %1 波特通信，本编辑器跟随此速率；sondrel 请用 --baud %1。",
             "The meter listens at %1 baud and the editor follows it; sondrel needs --baud %1."},

    // The Stored files page.
    OwnEntry{OwnText::MeterFilesPage, "存储文件", "Stored files"},

    // The Screen page.
    OwnEntry{OwnText::MeterScreenPage, "屏幕", "Screen"},
    OwnEntry{OwnText::MeterScreenForm, "传送方式：", "Form:"},
    OwnEntry{OwnText::MeterScreenSmall, "小屏（64 字节块）", "small (64-byte blocks)"},
    OwnEntry{OwnText::MeterScreenBig, "大屏（160 字节块）", "big (160-byte blocks)"},
    OwnEntry{OwnText::MeterScreenSize, "屏幕尺寸：", "Display size:"},
    OwnEntry{OwnText::MeterScreenCapture, "截取屏幕", "Capture"},
    OwnEntry{OwnText::MeterScreenZoom, "放大：", "Zoom:"},
    OwnEntry{OwnText::MeterScreenSave, "保存为 PNG...", "Save PNG..."},
    OwnEntry{OwnText::MeterScreenCopy, "复制", "Copy"},
    OwnEntry{OwnText::MeterScreenRefresh, "自动刷新，间隔", "Refresh every"},
    OwnEntry{OwnText::MeterScreenSeconds, " 秒", " s"},
    OwnEntry{OwnText::MeterScreenCaptured, "%1×%2 像素，截取于 %3", "%1×%2 pixels, captured at %3"},
    OwnEntry{OwnText::MeterScreenBadSize, "屏幕尺寸应为 宽x高，宽度为 8 的倍数，例如 128x64。",
             "The display size is WIDTHxHEIGHT with a width that is a multiple of 8, such as "
             "128x64."},
    OwnEntry{OwnText::MeterScreenTooBig, "%1 的图像超出了仪表发来的 %2 字节。",
             "A %1 picture does not fit the %2 bytes the meter sent."},
    OwnEntry{OwnText::MeterScreenFailed, "截取仪表屏幕失败。",
             "Capturing the meter's screen failed."},
    OwnEntry{OwnText::MeterScreenNotSaved, "图像未保存到 %1：%2",
             "The picture was not saved to %1: %2"},
    OwnEntry{OwnText::MeterScreenPngFilter, "PNG 图像 (*.png)", "PNG pictures (*.png)"},

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
