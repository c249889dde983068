// Code pages: every byte sequence decodes to text that encodes back to the same
// bytes in every code page a system can have, the system's code page follows
// the locale, and a name read from the meter goes back to it unchanged.
#include "plan_test_plans.h"
#include "platform/codepage.h"
#include "platform/locale_code_pages.h"

#include <cstdlib>
#include <optional>
#include <random>

using namespace korvane::testing;
using namespace sondrel;

namespace {

const unsigned AnsiCodePages[] = {874,  932,  936,  949,  950,  1250, 1251,
                                  1252, 1253, 1254, 1255, 1256, 1257, 1258};

// Sets locale variables for the life of the object and restores them after.
class LocaleEnvironment {
  public:
    LocaleEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const char* name : {"LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LANG"}) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            ::unsetenv(name);
        }
        for (const auto& [name, value] : values)
            ::setenv(name, value, 1);
    }
    ~LocaleEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

std::string bytesOf(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

} // namespace

TEST(LosslessCodePage, EverySingleByteAndEveryPairRoundTripsInEveryCodePage) {
    for (unsigned number : AnsiCodePages) {
        const CodePage codePage(number);
        for (int b = 0; b < 256; ++b) {
            const std::string text = codePage.decodeByte(static_cast<unsigned char>(b));
            EXPECT_EQ(codePage.encode(text), bytesOf({b})) << number << " byte " << b;
        }
        for (int lead = 0x80; lead < 0x100; ++lead)
            for (int trail = 0; trail < 0x100; ++trail) {
                const std::string bytes = bytesOf({lead, trail});
                const auto back = codePage.encode(codePage.decode(bytes));
                ASSERT_EQ(back, bytes) << number << " pair " << lead << " " << trail;
            }
    }
}

TEST(LosslessCodePage, RandomTextsRoundTripInEveryCodePage) {
    std::mt19937 random(12);
    for (unsigned number : AnsiCodePages) {
        const CodePage codePage(number);
        for (int i = 0; i < 300; ++i) {
            std::string bytes(1 + random() % 40, '\0');
            for (auto& c : bytes)
                c = static_cast<char>(random() % 2 ? 0x80 + random() % 128 : random() % 256);
            ASSERT_EQ(codePage.encode(codePage.decode(bytes)), bytes) << number;
        }
    }
}

TEST(LosslessCodePage, TheFiveUndefinedWindows1252BytesBecomeTheirC1Controls) {
    const CodePage western("WINDOWS-1252");
    EXPECT_EQ(western.decode(bytesOf({0x81, 0x8D, 0x8F, 0x90, 0x9D})),
              "\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(western.encode("\u0081\u008D\u008F\u0090\u009D"),
              bytesOf({0x81, 0x8D, 0x8F, 0x90, 0x9D}));
    EXPECT_EQ(western.decode(bytesOf({'K', 0x80, 0xE9})), "K€é");
    EXPECT_EQ(western.encode("频道"), std::nullopt) << "what has no form stays refused";
}

TEST(LosslessCodePage, GbkKeepsItsCharactersAndMapsMeaninglessBytesReversibly) {
    const CodePage gbk("GBK");
    EXPECT_EQ(gbk.number(), 936u);
    EXPECT_EQ(gbk.decode("\xC6\xB5\xB5\xC0"), "频道");
    EXPECT_EQ(gbk.encode("频道"), std::string("\xC6\xB5\xB5\xC0"));
    for (const std::string& bytes : {bytesOf({0xC6}), bytesOf({0x81, 0x20}), bytesOf({0xFF, 0x80}),
                                     bytesOf({'a', 0xC6, 0xB5, 0xB5})}) {
        const std::string text = gbk.decode(bytes);
        EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << "nothing is replaced";
        EXPECT_EQ(gbk.encode(text), bytes);
    }
}

TEST(LocaleCodePage, EachLocaleGetsTheCodePageWindowsTiesToIt) {
    const std::pair<const char*, unsigned> expected[] = {
        {"cs_CZ.UTF-8", 1250}, {"pl_PL", 1250},       {"hu_HU", 1250},       {"ru_RU.UTF-8", 1251},
        {"uk_UA.UTF-8", 1251}, {"bg_BG", 1251},       {"el_GR.UTF-8", 1253}, {"tr_TR.UTF-8", 1254},
        {"he_IL.UTF-8", 1255}, {"ar_EG.UTF-8", 1256}, {"fa_IR", 1256},       {"lt_LT.UTF-8", 1257},
        {"lv_LV", 1257},       {"et_EE", 1257},       {"vi_VN.UTF-8", 1258}, {"th_TH.UTF-8", 874},
        {"ja_JP.UTF-8", 932},  {"zh_CN.UTF-8", 936},  {"zh_SG.GBK", 936},    {"ko_KR.UTF-8", 949},
        {"zh_TW.UTF-8", 950},  {"zh_HK.UTF-8", 950},  {"en_US.UTF-8", 1252}, {"de_DE@euro", 1252},
        {"fr_FR", 1252},       {"sr_RS@latin", 1250}, {"sr_RS", 1251},       {"C", 1252},
        {"POSIX", 1252},       {"C.UTF-8", 1252},     {"xx_YY", 1252}};
    for (const auto& [locale, codePage] : expected)
        EXPECT_EQ(ansiCodePageOfLocale(locale), codePage) << locale;
}

TEST(LocaleCodePage, TheSystemCodePageFollowsLcAllThenLcCtypeThenLang) {
    {
        LocaleEnvironment env{
            {"LC_ALL", "ru_RU.UTF-8"}, {"LC_CTYPE", "el_GR.UTF-8"}, {"LANG", "ja_JP.UTF-8"}};
        EXPECT_EQ(CodePage::system().number(), 1251u);
    }
    {
        LocaleEnvironment env{{"LC_CTYPE", "el_GR.UTF-8"}, {"LANG", "ja_JP.UTF-8"}};
        EXPECT_EQ(CodePage::system().number(), 1253u);
    }
    {
        LocaleEnvironment env{{"LC_MESSAGES", "zh_CN.UTF-8"}, {"LANG", "ja_JP.UTF-8"}};
        EXPECT_EQ(CodePage::system().number(), 932u) << "messages do not choose the code page";
    }
    {
        LocaleEnvironment env{};
        EXPECT_EQ(CodePage::system().number(), 1252u);
    }
}

namespace {

class MeterTextTest : public SimulatedMeterTest {
  protected:
    // Puts a one-channel analogue plan into slot C whose name has these bytes.
    void storeNameInSlotC(std::array<std::uint8_t, 3> name) {
        meter().withState([&](auto& s) {
            korvane::sim::AnalogPlan plan;
            AnalogEntry entry;
            entry.name = name;
            entry.freq = 5525;
            entry.typeCode = 1;
            plan.channels = {entry};
            s.plans.slots[UserPlanC].plan = plan;
        });
    }
    std::array<std::uint8_t, 3> nameInSlot(int slot) {
        return meter().withState([&](auto& s) {
            return std::get<korvane::sim::AnalogPlan>(s.plans.slots[slot].plan).channels.at(0).name;
        });
    }
    // Reads slot C and sends what came back to slot D unchanged.
    std::int16_t readAndSendBack() {
        SafeArray<Channellist> plan;
        ChannelHead head;
        Variant result;
        link().ReadChannel(UserPlanC, &plan, &head, &result);
        if (result.asI2() != 1) return -1;
        Variant planVariant = Variant::channels(plan);
        link().CarryChannel(&planVariant, UserPlanD, &head, &result);
        return result.asI2();
    }
};

} // namespace

TEST_F(MeterTextTest, ANameWithAnyBytesGoesBackToTheMeterUnchanged) {
    const std::pair<const char*, std::array<std::uint8_t, 3>> cases[] = {
        {"en_US.UTF-8", {0x81, 'A', 0x9D}},
        {"en_US.UTF-8", {0x8D, 0x8F, 0x90}},
        {"zh_CN.UTF-8", {0xC6, 0x81, 0xFF}},
        {"ru_RU.UTF-8", {0x98, 0xD2, 0xC2}},
    };
    for (const auto& [locale, name] : cases) {
        LocaleEnvironment env{{"LANG", locale}};
        storeNameInSlotC(name);
        EXPECT_EQ(readAndSendBack(), 1) << locale;
        EXPECT_EQ(nameInSlot(UserPlanD), name) << locale;
    }
}

TEST_F(MeterTextTest, ACyrillicNameTravelsInTheCyrillicCodePage) {
    LocaleEnvironment env{{"LANG", "ru_RU.UTF-8"}};
    SafeArray<Channellist> plan = analogPlan(1);
    plan.at(1).ChannelName = "ТВ1";
    ChannelHead head = planHead();
    Variant planVariant = Variant::channels(plan), result;
    link().CarryChannel(&planVariant, UserPlanb, &head, &result);
    EXPECT_EQ(result.asI2(), 1);
    EXPECT_EQ(nameInSlot(UserPlanb), (std::array<std::uint8_t, 3>{0xD2, 0xC2, '1'}));
}
