#include "DayText.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace trellum {

namespace {

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// A cursor over the text with the small readers the forms need.
struct Reader {
    const unsigned char* p;
    const unsigned char* end;

    bool atEnd() const { return p == end; }
    bool take(char c)
    {
        if (p == end || *p != static_cast<unsigned char>(c))
            return false;
        ++p;
        return true;
    }
    // Between `least` and `most` digits; false (nothing taken) when fewer.
    bool digits(int least, int most, int& value)
    {
        const unsigned char* start = p;
        value = 0;
        while (p != end && p - start < most && isDigit(*p))
            value = value * 10 + (*p++ - '0');
        if (p - start >= least)
            return true;
        p = start;
        return false;
    }
};

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysIn(int year, int month)
{
    static const int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && leapYear(year) ? 29 : days[month - 1];
}

std::optional<DayText> day(int year, int month, int dayOfMonth)
{
    if (year < 0 || year > 9999 || month < 1 || month > 12 || dayOfMonth < 1 || dayOfMonth > daysIn(year, month))
        return std::nullopt;
    DayText out {};
    const int parts[] = { year / 1000, year / 100 % 10, year / 10 % 10, year % 10, month / 10, month % 10,
                          dayOfMonth / 10, dayOfMonth % 10 };
    for (int i = 0; i < 8; ++i)
        out[std::size_t(i)] = char('0' + parts[i]);
    return out;
}

// HH:MM[:SS[.fff]] then an optional zone: Z, or ±HH:MM (±HHMM too).
bool timeOfDay(Reader& r)
{
    int h = 0, m = 0, s = 0;
    if (!r.digits(2, 2, h) || h > 23 || !r.take(':') || !r.digits(2, 2, m) || m > 59)
        return false;
    if (r.take(':')) {
        if (!r.digits(2, 2, s) || s > 59)
            return false;
        if (r.take('.')) {
            int ignored = 0;
            if (!r.digits(1, 1, ignored))
                return false;
            while (r.digits(1, 1, ignored)) {
            }
        }
    }
    while (!r.atEnd() && isBlank(*r.p))
        ++r.p;
    if (r.take('Z') || r.take('z'))
        return r.atEnd();
    if (r.take('+') || r.take('-')) {
        int zh = 0, zm = 0;
        if (!r.digits(2, 2, zh) || zh > 14)
            return false;
        r.take(':');
        if (!r.digits(2, 2, zm) || zm > 59)
            return false;
    }
    return r.atEnd();
}

// A number as SQLite reads one for a julian day: [sign] digits [. digits] [e [sign] digits].
std::optional<double> number(const unsigned char* s, const unsigned char* end)
{
    Reader r { s, end };
    r.take('+') || r.take('-');
    int ignored = 0;
    bool any = false;
    while (r.digits(1, 1, ignored))
        any = true;
    if (r.take('.'))
        while (r.digits(1, 1, ignored))
            any = true;
    if (!any)
        return std::nullopt;
    if (r.take('e') || r.take('E')) {
        r.take('+') || r.take('-');
        if (!r.digits(1, 1, ignored))
            return std::nullopt;
        while (r.digits(1, 1, ignored)) {
        }
    }
    if (!r.atEnd())
        return std::nullopt;
    return std::strtod(std::string(reinterpret_cast<const char*>(s), std::size_t(end - s)).c_str(), nullptr);
}

} // namespace

std::optional<DayText> dayOfJulian(double julian)
{
    // the range SQLite's date functions take: 0000-01-01 to 9999-12-31
    if (!std::isfinite(julian) || julian < 1721059.5 || julian >= 5373484.5)
        return std::nullopt;
    const long long ms = static_cast<long long>(julian * 86400000.0 + 0.5);
    const long long z = (ms + 43200000) / 86400000;
    long long a = static_cast<long long>((double(z) - 1867216.25) / 36524.25);
    a = z + 1 + a - a / 4;
    const long long b = a + 1524;
    const long long c = static_cast<long long>((double(b) - 122.1) / 365.25);
    const long long d = (36525 * (c & 32767)) / 100;
    const long long e = static_cast<long long>(double(b - d) / 30.6001);
    const long long x1 = static_cast<long long>(30.6001 * double(e));
    const int dayOfMonth = int(b - d - x1);
    const int month = int(e < 14 ? e - 1 : e - 13);
    const int year = int(month > 2 ? c - 4716 : c - 4715);
    return day(year, month, dayOfMonth);
}

namespace {

// The form nearly every stored date-time has, "YYYY-MM-DD HH:MM:SS" exactly, read without the
// general reader: the digits are checked and copied as they stand. False when the text is not in
// that form (the general reader then decides); `day` is then left alone, and is nullopt for a
// day or a time out of range.
bool canonicalDay(const unsigned char* s, int bytes, std::optional<DayText>& day)
{
    static constexpr char kShape[] = "0000-00-00 00:00:00";
    if (bytes != 19)
        return false;
    for (int i = 0; i < 19; ++i)
        if (kShape[i] == '0' ? !isDigit(s[i]) : s[i] != static_cast<unsigned char>(kShape[i]))
            return false;
    auto two = [&](int at) { return (s[at] - '0') * 10 + (s[at + 1] - '0'); };
    const int year = two(0) * 100 + two(2), month = two(5), dayOfMonth = two(8);
    day.reset();
    if (two(11) <= 23 && two(14) <= 59 && two(17) <= 59 && month >= 1 && month <= 12 && dayOfMonth >= 1
        && dayOfMonth <= daysIn(year, month))
        day = DayText { char(s[0]), char(s[1]), char(s[2]), char(s[3]), char(s[5]), char(s[6]), char(s[8]), char(s[9]) };
    return true;
}

} // namespace

std::optional<DayText> dayOfText(const unsigned char* text, int bytes)
{
    if (std::optional<DayText> quick; canonicalDay(text, bytes, quick))
        return quick;
    const unsigned char* s = text;
    const unsigned char* end = text + (bytes > 0 ? bytes : 0);
    while (s != end && isBlank(*s))
        ++s;
    while (end != s && isBlank(end[-1]))
        --end;
    if (s == end)
        return day(1900, 1, 1);

    // YYYY-MM-DD or YYYY/MM/DD, with an optional time
    {
        Reader r { s, end };
        int y = 0, m = 0, d = 0;
        if (r.digits(4, 4, y) && (r.take('-') || r.take('/'))) {
            const unsigned char sep = r.p[-1];
            if (!r.digits(1, 2, m) || !r.take(char(sep)) || !r.digits(1, 2, d))
                return std::nullopt;
            if (!r.atEnd()) {
                if (!isBlank(*r.p) && *r.p != 'T')
                    return std::nullopt;
                while (!r.atEnd() && (isBlank(*r.p) || *r.p == 'T'))
                    ++r.p;
                if (!timeOfDay(r))
                    return std::nullopt;
            }
            return day(y, m, d);
        }
    }
    // a time alone
    {
        Reader r { s, end };
        if (timeOfDay(r))
            return day(1900, 1, 1);
    }
    // YYYYMMDD
    if (end - s == 8) {
        Reader r { s, end };
        int y = 0, m = 0, d = 0;
        if (r.digits(4, 4, y) && r.digits(2, 2, m) && r.digits(2, 2, d))
            return day(y, m, d);
    }
    // a julian day number
    if (const std::optional<double> julian = number(s, end))
        return dayOfJulian(*julian);
    return std::nullopt;
}

} // namespace trellum
