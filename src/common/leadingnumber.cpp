// SPDX-License-Identifier: GPL-3.0-or-later
#include "leadingnumber.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// strtod in the C locale, whatever locale the application has set.
double toDouble(const std::string &ascii)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(ascii.c_str(), nullptr, cLocale);
}

} // namespace

LeadingNumber leadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    LeadingNumber number{0, i, false};
    std::string ascii; // the number in C syntax, ready for strtod
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ascii += text[i++];
    const auto digits = [&] {
        for (; i < text.size() && isDigit(text[i]); ++i) {
            ascii += text[i];
            number.found = true;
        }
    };
    digits();
    if (i < text.size() && text[i] == '.') {
        ascii += text[i++];
        digits();
    }
    if (!number.found)
        return number;
    number.end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t firstDigit = j;
        while (j < text.size() && isDigit(text[j]))
            ++j;
        if (j > firstDigit) {
            ascii += 'e';
            ascii.append(text.substr(i + 1, j - i - 1));
            number.end = j;
        }
    }
    number.value = toDouble(ascii);
    return number;
}
