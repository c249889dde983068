#include "texts.h"

#include "platform/system_language.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace plandex {

std::int16_t LanguageOffset = EnglishOffset;

namespace {

struct Entry {
    int key;
    const char* text;
};

// All 144 entries, exactly as stored: leading, trailing and doubled blanks and
// full-width punctuation belong to the texts.
constexpr std::array<Entry, 144> stringTable{{
    {1, "单位"},
    {2, "Plandex"},
    {3, "串口号"},
    {4, "波特率"},
    {5, "确定"},
    {6, "返回"},
    {7, "上传 "},
    {8, "下传"},
    {9, "打开"},
    {10, "保存"},
    {11, "复制"},
    {12, "粘贴"},
    {13, "插入"},
    {14, "删除"},
    {15, "   频道表"},
    {16, "连接失败，请检查通信线路！"},
    {17, "  频道表为空！"},
    {18, "数据传输成功！"},
    {19, "数据传输失败！"},
    {20, "请装载频道表！"},
    {21, "该文件不是频道表！"},
    {22, "您确定要删除所选记录吗？"},
    {23, "您确定要加一条新记录吗？"},
    {24, "'数字频道号' 应该从0到250！"},
    {25, "'数字频道号' 已经占用了！"},
    {26, "'标准频道号' 长度应为 1 到 3 个字符！"},
    {27, "'频率' 应该从 46MHz  到1000MHz ！"},
    {28, "'伴音1' 应该从 0.01MHz 到 9.99MHz ！"},
    {29, "'带宽' 应该从 4.0MHz 到 9.9MHz ！"},
    {30,
     "'频率' - '伴音1（带宽）/2' 应不小于 46MHz 或 '频率' + '伴音1（带宽）/2' 应不大于 1000MHz ！"},
    {31, "'伴音2' 应该为 0 ！"},
    {32, "'伴音2' 应该从 0.01MHz 到 9.99MHz ！"},
    {33, "'伴音2'不应小等于 '伴音1' ！"},
    {34, "'频率'  +  ' 伴音1' + '伴音2' 应不大于 870MHz ！"},
    {35, "'码率' 应该从1.000 MS/s 到 7.000 MS/s！"},
    {36, "'频道类型' 应该为 'DUAL' ！"},
    {37, "'频道类型' 不该为 'DUAL' ,请先设置伴音2!"},
    {38, "'Tilt' 错误！'Enable' 应该为 'Yes' ！"},
    {39, "'频道类型' 错误 ！"},
    {40, "不需要设置'码率'!"},
    {41, "不需要设置'调制方式'!"},
    {42, "'调制方式' 错误 ！"},
    {43, "'码率'不该为0！"},
    {44, "需要设置'调制方式'!"},
    {45, "  序列号"},
    {46, "数字频道号"},
    {47, "标准频道号"},
    {48, "频道名称"},
    {49, "有效频道"},
    {50, "频道类型"},
    {51, "中心频率"},
    {52, "伴音"},
    {53, "   伴音2"},
    {54, "    码率"},
    {55, " 调制方式"},
    {56, "排序"},
    {57, "统一设置"},
    {58, "带宽"},
    {59, "'标准频道号'不能用汉字"},
    {60, "伴音1/带宽"},
    {61, "第1个喜好频道序号"},
    {62, "第2个喜好频道序号"},
    {63, "第3个喜好频道序号"},
    {64, "第4个喜好频道序号"},
    {65, "请确认仪器能够回传或者重启仪器"},
    {66, "设置"},
    {67, " 请输入正确的频道序号"},
    {68, "请先完成设置再下传"},
    {69, "第5个喜好频道序号"},
    {70, "第6个喜好频道序号"},
    {71, "关闭"},
    {72, "下载成功"},
    {501, "Unit"},
    {502, "Plandex"},
    {503, "COM"},
    {504, "Rate"},
    {505, "OK"},
    {506, "Cancel"},
    {507, "Upload"},
    {508, "Download"},
    {509, "Open"},
    {510, "Save"},
    {511, "Copy"},
    {512, "Paste"},
    {513, "Insert"},
    {514, "Delete"},
    {515, "  CH No"},
    {516, "Failed ! Please check the connection !"},
    {517, "  CH plan is null !"},
    {518, "Data transferred successfully !"},
    {519, "Data transferred unsuccessfully !"},
    {520, "Please load the CH plan !"},
    {521, "The file is not about CH plan !"},
    {522, "Delete selected channel(s) ?"},
    {523, "Do you wish to insert a channel ?"},
    {524, "'EIA CH' should be from 0 to 250 !"},
    {525, "This EIA Channel already in use !"},
    {526, " Must be from 1 to 3 characters !"},
    {527, "'FREQ' should be from 46 to 1000 MHz !"},
    {528, "'Audio1' should be from 0.01 to 9.99 MHz !"},
    {529, "'BW' should be from 4.0 to 9.9 MHz !"},
    {530, "'FREQ' + 'Audio1' should be less than 1000 MHz !"},
    {531, "'Audio2' should be 0 !"},
    {532, "'Audio2' should be from 0.01 to 9.99 MHz !"},
    {533, "'Audio2' should not be less than 'Audio1' !"},
    {534, "'FREQ' + 'Audio1' + 'Audio2' should be less than 870 MHz !"},
    {535, "'RATE' should be from 1.000 MS/s to 7.000 MS/s !"},
    {536, "You must set Audio2 offset to 0.00 !"},
    {537, "For Dual, you must enter an Audio2 offset !"},
    {538, "You must set Tilt to \"N\" for channel to be disabled !"},
    {539, "The 'Type' is error !"},
    {540, "Needn't set Rate!"},
    {541, "Needn't set Modulate!"},
    {542, "The 'Modulate' is error !"},
    {543, "'RS' should  not be 0 !"},
    {544, "Need set Rate!"},
    {545, "    ID"},
    {546, "EIA CH"},
    {547, "STD CH"},
    {548, "NAME"},
    {549, "Enable"},
    {550, "  Type"},
    {551, "  Freq"},
    {552, "Audio Offset"},
    {553, "Audio2"},
    {554, "     SR"},
    {555, "Modulate"},
    {556, "Order"},
    {557, "Set together"},
    {558, "BW"},
    {559, "'STD CH' should not  be Chinese"},
    {560, "Audio1/Span"},
    {561, "1st Favorite CH  ID"},
    {562, "2nd Favorite CH  ID"},
    {563, "3rd Favorite CH ID"},
    {564, "4th Favorite CH  ID"},
    {565, "Please make sure connet or reset to try again"},
    {566, "Favorites / Tilt"},
    {567, "Please input correct ID "},
    {568, "Please set first"},
    {569, "5th Favorite CH  ID"},
    {570, "6th Favorite CH  ID"},
    {571, "Close"},
    {572, "Data transferred successfully"},
}};

} // namespace

std::int16_t languageOffsetFor(std::uint16_t languageId) {
    return languageId == sondrel::LangIdChinesePrc ? ChineseOffset : EnglishOffset;
}

const char* stringTableEntry(int key) {
    const auto it = std::find_if(stringTable.begin(), stringTable.end(),
                                 [key](const Entry& e) { return e.key == key; });
    return it == stringTable.end() ? nullptr : it->text;
}

QString Text(int textId) {
    // The key is formed as a 16-bit signed sum, as the table's users expect.
    const auto key = static_cast<std::int16_t>(textId + LanguageOffset);
    const char* text = stringTableEntry(key);
    if (!text) throw std::out_of_range("no string-table entry " + std::to_string(key));
    return QString::fromUtf8(text);
}

} // namespace plandex
