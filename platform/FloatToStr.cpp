#include "platform/FloatToStr.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string>

namespace {

constexpr int Precision = 15;

} // namespace

QString FloatToStr(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    // The digits rounded to the precision, and the power of ten of the first one.
    // to_chars ignores the C locale, so the text always reads "d.dddde+xx".
    char text[40];
    const char* const end = std::to_chars(std::begin(text), std::end(text), std::fabs(value),
                                          std::chars_format::scientific, Precision - 1)
                                .ptr;
    const char* const e = std::find(static_cast<const char*>(text), end, 'e');
    std::string digits(static_cast<const char*>(text), e);
    digits.erase(1, 1);
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
    digits.erase(digits.find_last_not_of('0') + 1);

    const QString separator = QLocale().decimalPoint();
    QString result = value < 0 ? QStringLiteral("-") : QString();
    if (exponent >= Precision || exponent < -4) {
        result += QLatin1Char(digits[0]);
        if (digits.size() > 1)
            result += separator + QString::fromLatin1(digits.substr(1));
        result += QStringLiteral("E") + QString::number(exponent);
        return result;
    }
    if (exponent < 0)
        return result + QStringLiteral("0") + separator + QString(-exponent - 1, QLatin1Char('0')) +
               QString::fromLatin1(digits);
    const auto whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole)
        return result + QString::fromLatin1(digits) +
               QString(static_cast<qsizetype>(whole - digits.size()), QLatin1Char('0'));
    return result + QString::fromLatin1(digits.substr(0, whole)) + separator +
           QString::fromLatin1(digits.substr(whole));
}
