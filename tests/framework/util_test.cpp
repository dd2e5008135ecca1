// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "framework/util/datetime.h"
#include "framework/util/strings.h"
#include "framework/util/sysinfo.h"

namespace {
TDateTime Date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    TDateTime d;
    d.Year = year;
    d.Month = month;
    d.Day = day;
    d.Hour = hour;
    d.Minute = minute;
    d.Second = second;
    return d;
}
}  // namespace

TEST(Strings, PathAndSeparatorHelpers) {
    EXPECT_EQ(EnsureTrailingSlash("data/text"), "data/text/");
    EXPECT_EQ(EnsureTrailingSlash("C:\\Data\\"), "C:\\Data\\");
    EXPECT_EQ(EnsureTrailingSlash(""), "/");

    EXPECT_EQ(AfterFirst("name=a=b", "="), "a=b");
    EXPECT_EQ(BeforeFirst("name=a=b", "="), "name");
    EXPECT_EQ(AfterFirst("name", "="), "");
    EXPECT_EQ(AfterFirst("name=", "="), "");

    EXPECT_EQ(ZeroPad("7", 2), "07");
    EXPECT_EQ(ZeroPad("123", 2), "123");
    EXPECT_EQ(ZeroPad("", 3), "000");

    EXPECT_EQ(UpperCase("Full screen=a é"), "FULL SCREEN=A é");
}

TEST(Strings, NumberHelpers) {
    int low = -5, high = 101, middle = 42;
    ClampPercent(low);
    ClampPercent(high);
    ClampPercent(middle);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 100);
    EXPECT_EQ(middle, 42);

    EXPECT_EQ(RoundToInt(2.5), 3);
    EXPECT_EQ(RoundToInt(-2.5), -2);
    EXPECT_EQ(RoundToInt(1e12), INT_MAX);
    EXPECT_EQ(RoundToInt(-1e12), INT_MIN);
}

TEST(Strings, IntegerReadingRule) {
    EXPECT_EQ(ReadInt("42"), 42);
    EXPECT_EQ(ReadInt("  \t17"), 17);
    EXPECT_EQ(ReadInt("-7"), -7);
    EXPECT_EQ(ReadInt("$ff"), 255);
    EXPECT_EQ(ReadInt("-$10"), -16);
    EXPECT_EQ(ReadInt("%101"), 5);
    EXPECT_EQ(ReadInt("%102"), 2);
    EXPECT_EQ(ReadInt("12abc"), 12);
    EXPECT_EQ(ReadInt("abc"), 0);
    EXPECT_EQ(ReadInt(""), 0);
    EXPECT_EQ(ReadInt("$"), 0);
    EXPECT_EQ(ReadInt("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ReadInt("-99999999999999999999"), INT_MIN);
}

TEST(Strings, FirstLetterUpperCase) {
    // The system's Unicode tables and the built-in table agree on every
    // letter the table covers, so a system without a UTF-8 locale behaves alike.
    if (UnicodeCaseTablesAvailable()) {
        int lettersWithCapitals = 0;
        for (auto [from, to] : {std::pair{0, 0x180}, std::pair{0x370, 0x3D0}, std::pair{0x400, 0x460}})
            for (int c = from; c < to; ++c) {
                EXPECT_EQ(UpperCaseLetterByTable(c), UpperCaseLetter(c)) << "U+" << std::hex << c;
                lettersWithCapitals += UpperCaseLetter(c) != c;
            }
        EXPECT_GT(lettersWithCapitals, 200);
    }
    EXPECT_EQ(UpperCaseFirstLetter("\xC3\xA9mile"), "\xC3\x89mile");
    EXPECT_EQ(UpperCaseFirstLetter("\xC3\xBF"), "\xC5\xB8");  // y with diaeresis grows a byte
    EXPECT_EQ(UpperCaseFirstLetter("\xCF\x89mega"), "\xCE\xA9mega");
    EXPECT_EQ(UpperCaseFirstLetter("anna"), "Anna");
    for (const char* unchanged : {"", "Anna", "1st", "\xC3\x9F", "\xE4\xB8\xAD", "\x80x", "\xC3"})
        EXPECT_EQ(UpperCaseFirstLetter(unchanged), unchanged);
    EXPECT_EQ(FirstCodePoint("\xF0\x9F\x98\x80!"), 0x1F600);
    EXPECT_EQ(FirstCodePoint("\xF0\x9F\x98"), -1);
    EXPECT_EQ(EncodeUtf8(0x20AC), "\xE2\x82\xAC");
    EXPECT_EQ(EncodeUtf8(0xD800), "");
}

TEST(DateTime, WeekDayAndFormatting) {
    EXPECT_EQ(TDateTime::WeekDay(Date(2009, 3, 5)), 4);
    EXPECT_EQ(TDateTime::WeekDay(Date(2023, 12, 31)), 0);
    EXPECT_EQ(TDateTime::WeekDay(Date(2000, 1, 1)), 6);
    EXPECT_EQ(TDateTime::WeekDay(Date(2024, 2, 29)), 4);
    // Nonsense dates still name a day instead of indexing outside the tables.
    int odd = TDateTime::WeekDay(Date(-3, 0, -40));
    EXPECT_GE(odd, 0);
    EXPECT_LE(odd, 6);

    TDateTime d = Date(2009, 3, 5, 7, 4, 9);
    EXPECT_EQ(TDateTime::Get_String(d, "D/M/YY"), "5/3/09");
    EXPECT_EQ(TDateTime::Get_String(d, "DDDD"), "Thursday");
    EXPECT_EQ(TDateTime::Get_String(d, "DDD, DD MMM YYYY"), "Thu, 05 Mar 2009");
    EXPECT_EQ(TDateTime::Get_String(d, "H:N:S HH:NN:SS"), "7:4:9 07:04:09");
    EXPECT_EQ(TDateTime::Get_String(d, "YYYY-MM-DD HHNNSS screenshot.png"), "2009-03-05 070409 screenshot.png");
    // Runs without a meaning give nothing; lower-case letters are not tokens.
    EXPECT_EQ(TDateTime::Get_String(d, "Y|YYY|YYYYY|DDDDD|HHH|mm"), "|||||mm");
    // Numbers longer than their run keep their last digits.
    EXPECT_EQ(TDateTime::Get_String(Date(12345, 12, 31), "YY YYYY MM"), "45 2345 12");
    // A month outside 1..12 has no name.
    EXPECT_EQ(TDateTime::Get_String(Date(2009, 13, 5), "MMM"), "");

    SetDateLanguage(TDateTime::lngFrench);
    EXPECT_EQ(TDateTime::Get_String(Date(2009, 2, 5), "MMM/MMMM/DDD/DDDD"), "F vr/F vrier/Jeu/Jeudi");
    EXPECT_EQ(TDateTime::Get_String(Date(2009, 8, 1), "MMMM"), "Ao t");
    SetDateLanguage(TDateTime::lngEnglish);
}

TEST(DateTime, ReadsThePlatformTexts) {
    TDateTime d;
    d.Set_DateText("05 Mar 2009");
    d.Set_TimeText("07:04:09");
    EXPECT_EQ(d.Day, 5);
    EXPECT_EQ(d.Month, 3);
    EXPECT_EQ(d.Year, 2009);
    EXPECT_EQ(d.Hour, 7);
    EXPECT_EQ(d.Minute, 4);
    EXPECT_EQ(d.Second, 9);
    d.Set_DateText("31 dec 2023");
    EXPECT_EQ(d.Month, 12);
    EXPECT_EQ(d.Day, 31);

    auto now = TDateTime::Create();
    EXPECT_EQ(now->Year, 0);
    now->Set_DateTimeCurrent();
    EXPECT_GE(now->Year, 2024);
    EXPECT_GE(now->Month, 1);
    EXPECT_LE(now->Month, 12);
}

TEST(SystemInfo, NameAndMemory) {
    std::string os = OSName();
    EXPECT_FALSE(os.empty());
    for (const char* windows : {"Windows 95", "Windows 98", "Windows ME", "Windows Vista", "Windows 7"})
        EXPECT_NE(os, windows);

    TMemoryStatus memory = MemoryStatus();
    EXPECT_GT(memory.dwTotalPhys, 0);
    EXPECT_LE(memory.dwAvailPhys, memory.dwTotalPhys);
    EXPECT_GE(memory.dwMemoryLoad, 0);
    EXPECT_LE(memory.dwMemoryLoad, 100);
}
