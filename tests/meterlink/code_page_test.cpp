// Code pages: every byte sequence decodes to text that encodes back to the same
// bytes in every code page a system can have, the system's code page follows
// the locale, and a name read from the meter goes back to it unchanged.
#include "common/plan_codec_entries.h"
#include "common/plan_codec_numbers.h"
#include "last_failure.h"
#include "plan_test_plans.h"
#include "platform/codepage.h"
#include "platform/locale_code_pages.h"

#include <cstdlib>
#include <filesystem>
#include <iconv.h>
#include <optional>
#include <random>
#include <sched.h>
#include <set>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(PublishedTables, EachCodePageGivesItsCharactersTheirPublishedBytesBothWays) {
    struct Case {
        unsigned codePage;
        const char* character;
        std::string bytes;
    };
    // From the code pages' published tables (the Unicode Consortium's mappings
    // of the Windows code pages).
    const Case cases[] = {
        {874, "ก", "\xA1"},      {874, "฿", "\xDF"},      {874, "€", "\x80"},
        {874, "๙", "\xF9"},      {932, "あ", "\x82\xA0"}, {932, "日", "\x93\xFA"},
        {932, "ｱ", "\xB1"},      {932, "本", "\x96\x7B"}, {936, "中", "\xD6\xD0"},
        {936, "频", "\xC6\xB5"}, {936, "国", "\xB9\xFA"}, {949, "한", "\xC7\xD1"},
        {949, "국", "\xB1\xB9"}, {949, "가", "\xB0\xA1"}, {950, "中", "\xA4\xA4"},
        {950, "文", "\xA4\xE5"}, {950, "灣", "\xC6\x57"}, {1250, "ő", "\xF5"},
        {1250, "Ł", "\xA3"},     {1250, "ř", "\xF8"},     {1250, "Š", "\x8A"},
        {1251, "Ж", "\xC6"},     {1251, "я", "\xFF"},     {1251, "Ё", "\xA8"},
        {1251, "Ў", "\xA1"},     {1252, "€", "\x80"},     {1252, "é", "\xE9"},
        {1252, "Ÿ", "\x9F"},     {1252, "ß", "\xDF"},     {1253, "Ω", "\xD9"},
        {1253, "α", "\xE1"},     {1253, "Ά", "\xA2"},     {1253, "ώ", "\xFE"},
        {1254, "ğ", "\xF0"},     {1254, "İ", "\xDD"},     {1254, "ş", "\xFE"},
        {1255, "א", "\xE0"},     {1255, "ת", "\xFA"},     {1255, "₪", "\xA4"},
        {1256, "ب", "\xC8"},     {1256, "ع", "\xDA"},     {1256, "پ", "\x81"},
        {1257, "ą", "\xE0"},     {1257, "ž", "\xFE"},     {1257, "Ė", "\xCB"},
        {1258, "₫", "\xFE"},     {1258, "ơ", "\xF5"},     {1258, "Đ", "\xD0"},
    };
    std::set<unsigned> covered;
    for (const Case& c : cases) {
        const CodePage codePage(c.codePage);
        EXPECT_EQ(codePage.encode(c.character), c.bytes) << c.codePage << " " << c.character;
        EXPECT_EQ(codePage.decode(c.bytes), c.character) << c.codePage << " " << c.character;
        // In a text too, between plain letters.
        EXPECT_EQ(codePage.decode("A" + c.bytes + "1"), std::string("A") + c.character + "1");
        covered.insert(c.codePage);
    }
    EXPECT_EQ(covered, std::set<unsigned>(std::begin(AnsiCodePages), std::end(AnsiCodePages)));
}

TEST(PublishedTables, BuiltInWindows1252AgreesWithTheSystemConversionOnEveryByte) {
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
    if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "the system has no WINDOWS-1252";
    const CodePage western(1252);
    for (int b = 1; b < 256; ++b) {
        char in = static_cast<char>(b);
        char out[8] = {};
        char* inPtr = &in;
        char* outPtr = out;
        size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) continue;
        const std::string text(out, static_cast<size_t>(outPtr - out));
        EXPECT_EQ(western.decodeByte(static_cast<unsigned char>(b)), text) << "byte " << b;
        EXPECT_EQ(western.encode(text), std::string(1, in)) << "byte " << b;
    }
    iconv_close(cd);
}

namespace {

// Where glibc keeps its conversion modules.
std::optional<std::string> conversionModulesFolder() {
    for (const char* folder :
         {"/usr/lib/x86_64-linux-gnu/gconv", "/usr/lib/aarch64-linux-gnu/gconv", "/usr/lib64/gconv",
          "/usr/lib/gconv"})
        if (std::filesystem::exists(std::string(folder) + "/gconv-modules")) return folder;
    return std::nullopt;
}

constexpr const char* InsideEmptyModulesEnv = "SONDREL_TEST_WITHOUT_CONVERSION_MODULES";
constexpr int CannotHideModules = 77;

// Runs this very test again in a child that sees an empty folder where the
// conversion modules are (a private mount namespace). Returns the child's
// exit status.
int rerunWithoutConversionModules(const std::string& folder) {
    const std::string filter =
        std::string("--gtest_filter=") +
        ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "." +
        ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
            mount("none", folder.c_str(), "tmpfs", 0, nullptr) != 0)
            _exit(CannotHideModules);
        ::setenv(InsideEmptyModulesEnv, "1", 1);
        ::unsetenv("GCONV_PATH");
        execl("/proc/self/exe", "code_page_test", filter.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

TEST(WithoutConversionModules, Windows1252AndAsciiStillWorkAndOtherCodePagesSayTheyAreMissing) {
    if (!std::getenv(InsideEmptyModulesEnv)) {
        const auto folder = conversionModulesFolder();
        if (!folder) GTEST_SKIP() << "no glibc conversion modules folder here";
        const int status = rerunWithoutConversionModules(*folder);
        if (status == CannotHideModules) GTEST_SKIP() << "cannot make a private mount namespace";
        EXPECT_EQ(status, 0) << "the checks without conversion modules failed (output above)";
        return;
    }
    ASSERT_EQ(iconv_open("UTF-8", "WINDOWS-1251"), reinterpret_cast<iconv_t>(-1))
        << "the modules are still there";

    const CodePage western(1252);
    EXPECT_EQ(western.decode("caf\xE9 \x80\x81"), "café €\u0081");
    EXPECT_EQ(western.encode("café €\u0081"), std::string("caf\xE9 \x80\x81"));
    EXPECT_EQ(western.encode("频"), std::nullopt);

    // Plain ASCII names travel in any code page.
    for (unsigned number : AnsiCodePages) {
        const CodePage codePage(number);
        EXPECT_EQ(codePage.decode("CH 12"), "CH 12") << number;
        EXPECT_EQ(codePage.encode("CH 12"), std::string("CH 12")) << number;
        AnalogEntry entry;
        entry.name = {'S', '1', '2'};
        EXPECT_EQ(analogChannelOf(entry, codePage).ChannelName, "S12") << number;
    }

    // Anything else in a code page that needs the modules fails and says so.
    clearLastFailure();
    AnalogEntry korean;
    korean.name = {0xC7, 0xD1, 'A'};
    EXPECT_ANY_THROW(analogChannelOf(korean, CodePage(949)));
    const Failure failure = lastFailure();
    EXPECT_EQ(failure.kind, FailureKind::CodePage);
    EXPECT_NE(failure.text.find("code page 949 is not available"), std::string::npos)
        << failure.text;
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
