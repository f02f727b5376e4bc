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

void appendUtf8(std::string &text, char32_t point)
{
    if (point < 0x80) {
        text += char(point);
        return;
    }
    const int length = point < 0x800 ? 2 : point < 0x10000 ? 3 : 4;
    constexpr std::array<char32_t, 5> lead = {0, 0, 0xC0, 0xE0, 0xF0};
    text += char(lead[length] | (point >> (6 * (length - 1))));
    for (int k = length - 2; k >= 0; --k)
        text += char(0x80 | ((point >> (6 * k)) & 0x3F));
}

// cp1252's characters for 0x80..0x9F; the five bytes it leaves undefined keep
// their own code points, as Windows maps them.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

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

std::string fromAnsi(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size() && nextCodePoint(bytes, i)) {
    }
    if (i == bytes.size())
        return std::string(bytes);
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        appendUtf8(text, byte >= 0x80 && byte < 0xA0 ? cp1252High[byte - 0x80] : byte);
    }
    return text;
}

std::string encodeRequest(const Request &request)
{
    return request.save ? "save " + std::to_string(request.score) + ' ' + request.name : "load";
}

std::string encodeReply(const Reply &reply)
{
    switch (reply.kind) {
    case Reply::Loaded:
        return 'L' + std::to_string(reply.score.size()) + ' ' + reply.score + reply.name;
    case Reply::Failed:
        return 'E' + std::to_string(reply.error);
    default:
        return std::string(1, reply.kind);
    }
}

std::optional<Reply> parseReply(std::string_view message)
{
    if (message.empty())
        return std::nullopt;
    const auto kind = Reply::Kind(message.front());
    message.remove_prefix(1);
    const auto number = [](std::string_view digits) -> std::optional<std::size_t> {
        if (digits.empty() || digits.size() > 5 ||
            !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        std::size_t value = 0;
        for (const char c : digits)
            value = value * 10 + std::size_t(c - '0');
        return value;
    };
    switch (kind) {
    case Reply::Loaded: {
        const std::size_t blank = message.find(' ');
        const std::optional<std::size_t> length = number(message.substr(0, blank));
        if (blank == std::string_view::npos || !length || *length > message.size() - blank - 1)
            return std::nullopt;
        message.remove_prefix(blank + 1);
        return Reply{kind, std::string(message.substr(0, *length)),
                     std::string(message.substr(*length)), 0};
    }
    case Reply::Failed: {
        const std::optional<std::size_t> error = number(message);
        return error ? std::optional(Reply{kind, {}, {}, int(*error)}) : std::nullopt;
    }
    case Reply::Written:
    case Reply::Kept:
    case Reply::Busy:
    case Reply::Denied:
    case Reply::Refused:
        return message.empty() ? std::optional(Reply{kind, {}, {}, 0}) : std::nullopt;
    }
    return std::nullopt;
}
