// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/util/datetime.h"

#include <cstring>

#include "framework/util/strings.h"
#include "tallyfold/platform/system.h"

namespace {
int CurrentLanguage = TDateTime::lngEnglish;
}  // namespace

int DateLanguage() { return CurrentLanguage; }
void SetDateLanguage(int language) { CurrentLanguage = language; }

namespace {
std::string Piece(const std::string& text, size_t from, size_t count) {
    return from < text.size() ? text.substr(from, count) : std::string();
}

std::string Digits(int value, int n) {
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) > n) return text.substr(text.size() - n);
    return ZeroPad(text, n);
}

int Language() { return CurrentLanguage == TDateTime::lngFrench ? 1 : 0; }

std::string MonthName(int month, bool longName) {
    if (month < 1 || month > 12) return "";
    return longName ? LongMonthNames[Language()][month - 1] : ShortMonthNames[Language()][month - 1];
}

std::string Run(const TDateTime& d, char letter, size_t length) {
    if (length > 4) return "";
    switch (letter) {
        case 'Y':
            if (length == 2) return Digits(d.Year, 2);
            if (length == 4) return Digits(d.Year, 4);
            return "";
        case 'M':
            if (length == 1) return std::to_string(d.Month);
            if (length == 2) return Digits(d.Month, 2);
            return MonthName(d.Month, length == 4);
        case 'D': {
            if (length == 1) return std::to_string(d.Day);
            if (length == 2) return Digits(d.Day, 2);
            int day = TDateTime::WeekDay(d);
            return length == 4 ? LongDayNames[Language()][day] : ShortDayNames[Language()][day];
        }
        case 'H':
        case 'N':
        case 'S': {
            int value = letter == 'H' ? d.Hour : letter == 'N' ? d.Minute : d.Second;
            if (length == 1) return std::to_string(value);
            if (length == 2) return Digits(value, 2);
            return "";
        }
    }
    return "";
}
}  // namespace

std::shared_ptr<TDateTime> TDateTime::Create() { return std::make_shared<TDateTime>(); }

void TDateTime::Set_DateTimeCurrent() {
    Set_DateCurrent();
    Set_TimeCurrent();
}

void TDateTime::Set_DateCurrent() { Set_DateText(platform::CurrentDate()); }

void TDateTime::Set_TimeCurrent() { Set_TimeText(platform::CurrentTime()); }

void TDateTime::Set_DateText(const std::string& date) {
    Day = ReadInt(Piece(date, 0, 2));
    std::string month = UpperCase(Piece(date, 3, 3));
    const char* found = month.size() == 3 ? std::strstr(MonthList, month.c_str()) : nullptr;
    // A month text that is not in the list would otherwise read as January.
    Month = found ? static_cast<int>(found - MonthList) / 3 + 1 : 0;
    Year = date.size() >= 4 ? ReadInt(date.substr(date.size() - 4)) : 0;
}

void TDateTime::Set_TimeText(const std::string& time) {
    Hour = ReadInt(Piece(time, 0, 2));
    Minute = ReadInt(Piece(time, 3, 2));
    Second = ReadInt(Piece(time, 6, std::string::npos));
}

int TDateTime::WeekDay(const TDateTime& d) {
    int m = d.Month, y = d.Year;
    if (d.Month < 3) {
        m = d.Month + 12;
        y = d.Year - 1;
    }
    int r = (d.Day + (13 * m - 27) / 5 + y + y / 4 - y / 100 + y / 400) % 7;
    return r < 0 ? r + 7 : r;
}

std::string TDateTime::Get_String(const TDateTime& d, const std::string& format) {
    std::string out;
    size_t i = 0;
    while (i < format.size()) {
        char letter = format[i];
        size_t j = i;
        while (j < format.size() && format[j] == letter) ++j;
        size_t length = j - i;
        if (std::strchr("YMDHNS", letter) && letter != '\0')
            out += Run(d, letter, length);
        else
            out += format.substr(i, length);
        i = j;
    }
    return out;
}
