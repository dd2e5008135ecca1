// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A calendar date and time of day, with the text formatting used for file names.
#include <memory>
#include <string>

// Name tables by [language][month 0..11] and [language][weekday 0..6, 0 = Sunday].
// The French names carry a space where an accented letter belongs.
inline constexpr const char* ShortMonthNames[2][12] = {
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"Janv", "F vr", "Mars", "Avr", "Mai", "Juin", "Juil", "Ao t", "Sept", "Oct", "Nov", "D c"},
};
inline constexpr const char* LongMonthNames[2][12] = {
    {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November",
     "December"},
    {"Janvier", "F vrier", "Mars", "Avril", "Mai", "Juin", "Juillet", "Ao t", "Septembre", "Octobre", "Novembre",
     "D cembre"},
};
inline constexpr const char* ShortDayNames[2][7] = {
    {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
    {"Dim", "Lun", "Mar", "Mer", "Jeu", "Ven", "Sam"},
};
inline constexpr const char* LongDayNames[2][7] = {
    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
    {"Dimanche", "Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi"},
};
// Selects the column of the name tables; English unless set otherwise.
int DateLanguage();
void SetDateLanguage(int language);

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
