// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversions.h"

#include "failure.h"
#include "leadingnumber.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>

namespace {

// The same number whatever the text's characters past ASCII, which no
// number continues through.
LeadingNumber scan(QStringView text)
{
    const QByteArray latin1 = text.toLatin1();
    return leadingNumber(std::string_view(latin1.constData(), std::size_t(latin1.size())));
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
    return scan(text).value;
}

double strictNumber(QStringView text)
{
    const LeadingNumber number = scan(text);
    const QStringView rest = text.sliced(qsizetype(number.end));
    if (!number.found ||
        !std::ranges::all_of(rest, [](QChar c) { return c == u' ' || c == u'\t'; }))
        throw RuntimeFailure(
            QStringLiteral(
                "Errore di esecuzione: tipo non corrispondente (\"%1\" non è un numero).")
                .arg(text));
    return number.value;
}
