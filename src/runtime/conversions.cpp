// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversions.h"

#include "failure.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

struct Scan
{
    std::string ascii;  // the number in C syntax, ready for strtod
    qsizetype end = 0;  // index just past the last character read
    bool found = false; // at least one digit in the mantissa
};

// Reads the number that starts at text[from]: [sign] digits [. digits] [e [sign] digits].
Scan scanNumber(QStringView text, qsizetype from)
{
    Scan scan;
    qsizetype i = from;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        scan.ascii += char(text[i++].unicode());
    auto digits = [&] {
        while (i < text.size() && isDigit(text[i])) {
            scan.ascii += char(text[i++].unicode());
            scan.found = true;
        }
    };
    digits();
    if (i < text.size() && text[i] == u'.') {
        scan.ascii += '.';
        ++i;
        digits();
    }
    if (!scan.found)
        return {};
    scan.end = i;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
            exponent += char(text[j++].unicode());
        const qsizetype firstDigit = j;
        while (j < text.size() && isDigit(text[j]))
            exponent += char(text[j++].unicode());
        if (j > firstDigit) {
            scan.ascii += exponent;
            scan.end = j;
        }
    }
    return scan;
}

// strtod in the C locale, whatever locale the application has set.
double toDouble(const std::string &ascii)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(ascii.c_str(), nullptr, cLocale);
}

qsizetype skipBlanks(QStringView text, qsizetype i)
{
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return i;
}

} // namespace

QString FormatNumber(double value, QStringView pattern)
{
    if (!std::isfinite(value))
        return QString::number(value); // "inf", "-inf", "nan": no digits to give
    const auto minDigits = pattern.count(u'0');
    // Rounded as a double, so that values past the range of any integer type
    // keep all their digits.
    const double whole = std::round(value);
    const QString digits = QString::number(std::fabs(whole), 'f', 0);
    return (whole < 0 ? QStringLiteral("-") : QString()) +
           digits.rightJustified(std::max<qsizetype>(minDigits, 1), u'0');
}

double lenientNumber(QStringView text)
{
    const Scan scan = scanNumber(text, skipBlanks(text, 0));
    return scan.found ? toDouble(scan.ascii) : 0.0;
}

double strictNumber(QStringView text)
{
    const Scan scan = scanNumber(text, skipBlanks(text, 0));
    if (!scan.found || skipBlanks(text, scan.end) != text.size())
        throw RuntimeFailure(
            QStringLiteral(
                "Errore di esecuzione: tipo non corrispondente (\"%1\" non è un numero).")
                .arg(text));
    return toDouble(scan.ascii);
}
