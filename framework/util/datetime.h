// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A calendar date and time of day, with the text formatting used for file names.
#include <memory>
#include <string>

// Name tables by [language][month 0..11] and [language][weekday 0..6, 0 = Sunday].
// The French names carry a space where an accented letter belongs.
extern const char* const ShortMonthNames[2][12];
extern const char* const LongMonthNames[2][12];
extern const char* const ShortDayNames[2][7];
extern const char* const LongDayNames[2][7];
// Selects the column of the name tables; English, and nothing changes it.
extern int DateLanguage;

class TDateTime {
public:
    static constexpr const char* MonthList = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
    static constexpr int lngEnglish = 0;
    static constexpr int lngFrench = 1;

    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0;

    virtual ~TDateTime() = default;
    static std::shared_ptr<TDateTime> Create();

    void Set_DateTimeCurrent();
    // From the platform's date text "%d %b %Y" and time text "%H:%M:%S".
    void Set_DateCurrent();
    void Set_TimeCurrent();
    void Set_DateText(const std::string& date);
    void Set_TimeText(const std::string& time);

    // Format runs of Y, M, D, H, N (minute) and S; other characters are copied.
    static std::string Get_String(const TDateTime& d, const std::string& format);
    // 0 = Sunday.
    static int WeekDay(const TDateTime& d);
};
