#include "CellText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace trellum {

double cellNumber(const QString& text)
{
    // Accept leading blanks, a sign, digits with one decimal point and an exponent, and stop at
    // the first character that cannot continue the number.
    const QByteArray bytes = text.toUtf8();
    const char* p = bytes.constData();
    while (*p == ' ' || *p == '\t')
        ++p;
    std::string number;
    if (*p == '+' || *p == '-')
        number += *p++;
    bool digits = false;
    while (*p >= '0' && *p <= '9') {
        number += *p++;
        digits = true;
    }
    if (*p == '.') {
        number += *p++;
        while (*p >= '0' && *p <= '9') {
            number += *p++;
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    if (*p == 'e' || *p == 'E') {
        std::string exponent(1, 'e');
        const char* q = p + 1;
        if (*q == '+' || *q == '-')
            exponent += *q++;
        bool expDigits = false;
        while (*q >= '0' && *q <= '9') {
            exponent += *q++;
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

namespace {

// Rounds the decimal digits of |value| (15 significant) half away from zero to `decimals` places.
std::string roundedDecimal(double value, int decimals)
{
    if (!std::isfinite(value))
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    // buf = d.dddddddddddddde±XX : 15 significant digits and a decimal exponent
    std::string mantissa;
    mantissa += buf[0];
    mantissa.append(buf + 2, 14);
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    // digits of the integer part are mantissa[0 .. exponent]; place the decimal point
    std::string intPart, fracPart;
    if (exponent >= 0) {
        if (exponent + 1 >= int(mantissa.size())) {
            intPart = mantissa + std::string(std::size_t(exponent + 1 - int(mantissa.size())), '0');
        } else {
            intPart = mantissa.substr(0, std::size_t(exponent + 1));
            fracPart = mantissa.substr(std::size_t(exponent + 1));
        }
    } else {
        intPart = "0";
        fracPart.assign(std::size_t(-exponent - 1), '0');
        fracPart.append(mantissa);
    }
    // round half away from zero at `decimals`
    bool carry = int(fracPart.size()) > decimals && fracPart[std::size_t(decimals)] >= '5';
    fracPart.resize(std::size_t(decimals), '0');
    std::string digits = intPart + fracPart;
    for (int i = int(digits.size()) - 1; carry && i >= 0; --i) {
        if (digits[std::size_t(i)] == '9') {
            digits[std::size_t(i)] = '0';
        } else {
            ++digits[std::size_t(i)];
            carry = false;
        }
    }
    if (carry)
        digits = std::string(1, '1').append(digits);
    std::string out = digits.substr(0, digits.size() - std::size_t(decimals));
    std::size_t first = out.find_first_not_of('0');
    out = first == std::string::npos ? "0" : out.substr(first);
    if (decimals > 0) {
        out.push_back('.');
        out.append(digits, digits.size() - std::size_t(decimals), std::string::npos);
    }
    const bool zero = out.find_first_not_of("0.") == std::string::npos;
    if (value < 0 && !zero)
        out.insert(out.begin(), '-');
    return out;
}

} // namespace

QString formatNumber(double value, const QString& pattern)
{
    const qsizetype point = pattern.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : int(pattern.size() - point - 1);
    return QString::fromStdString(roundedDecimal(value, decimals));
}

QString plainNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    std::string s = roundedDecimal(value, 15);
    // trim the trailing zeros of the 15 decimals to the value's own 15 significant digits
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    if (!std::strchr(buf, 'e'))
        return QString::fromLatin1(buf);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    return QString::fromStdString(s);
}

QString sqlDate(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

QString isoDate(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace trellum
