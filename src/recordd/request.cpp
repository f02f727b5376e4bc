// SPDX-License-Identifier: GPL-3.0-or-later
#include "request.h"

#include <algorithm>
#include <array>

namespace {

// The next code point of a strict UTF-8 text (no overlong forms, no
// surrogates, nothing past U+10FFFF), or nothing.
std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t &i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const int length = lead < 0x80                   ? 1
                       : lead >= 0xC2 && lead < 0xE0 ? 2
                       : lead >= 0xE0 && lead < 0xF0 ? 3
                       : lead >= 0xF0 && lead < 0xF5 ? 4
                                                     : 0;
    if (length == 0 || i + length > text.size())
        return std::nullopt;
    char32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return std::nullopt;
        point = point << 6 | (byte(i + k) & 0x3F);
    }
    constexpr std::array<char32_t, 5> least = {0, 0, 0x80, 0x800, 0x10000};
    if (point < least[length] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000))
        return std::nullopt;
    i += length;
    return point;
}

bool isControl(char32_t point)
{
    return point < 0x20 || (point >= 0x7F && point < 0xA0) || point == 0x2028 || point == 0x2029;
}

} // namespace

std::optional<int> scoreDigits(std::string_view digits)
{
    if (digits.empty() || digits.size() > 5 || (digits.size() > 1 && digits[0] == '0') ||
        !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int score = 0;
    for (const char c : digits)
        score = score * 10 + (c - '0');
    return score <= 32767 ? std::optional(score) : std::nullopt;
}

bool isName(std::string_view name)
{
    if (name.size() > maxNameBytes)
        return false;
    for (std::size_t i = 0; i < name.size();) {
        const std::optional<char32_t> point = nextCodePoint(name, i);
        if (!point || isControl(*point))
            return false;
    }
    return true;
}

std::string_view cutAtCharacter(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    // Back over the continuation bytes of the character that the cut splits.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::optional<Request> parseRequest(std::string_view message)
{
    if (message == "load")
        return Request{};
    constexpr std::string_view verb = "save ";
    if (!message.starts_with(verb))
        return std::nullopt;
    message.remove_prefix(verb.size());
    const std::size_t blank = message.find(' ');
    if (blank == std::string_view::npos)
        return std::nullopt;
    const std::optional<int> score = scoreDigits(message.substr(0, blank));
    const std::string_view name = message.substr(blank + 1);
    if (!score || !isName(name))
        return std::nullopt;
    return Request{true, *score, std::string(name)};
}
