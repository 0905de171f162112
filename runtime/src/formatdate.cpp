// Date patterns of Format: English names, "/" and ":" as the separators.
#include <array>
#include <cstdio>
#include <vector>

#include "formatting.h"
#include "runtime/datetime.h"
#include "runtime/stringfunctions.h"

namespace velmora::detail {

namespace {

constexpr std::array<const char16_t*, 12> kMonths = {u"January",   u"February", u"March",    u"April",
                                                     u"May",       u"June",     u"July",     u"August",
                                                     u"September", u"October",  u"November", u"December"};
constexpr std::array<const char16_t*, 7> kDays = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                  u"Thursday", u"Friday", u"Saturday"};

struct Token {
    char16_t letter = 0;  // lower-case placeholder letter; 0 for a literal, 'a' for AM/PM
    int count = 0;        // how many times the letter repeats
    std::u16string text;  // a literal's text, or the AM/PM pattern as written
    bool minute = false;  // an m that means minutes
};

bool startsWithIgnoreCase(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && StrComp(s.substr(0, prefix.size()), prefix, vbTextCompare) == 0;
}

// The AM/PM markers a pattern may use at position i, longest first; empty when none.
std::u16string_view meridiemAt(std::u16string_view p, std::size_t i) {
    for (std::u16string_view marker : {u"AM/PM", u"AMPM", u"A/P"})
        if (startsWithIgnoreCase(p.substr(i), marker)) return p.substr(i, marker.size());
    return {};
}

bool isPlaceholder(char16_t c) {
    switch (lowerChar(c)) {
        case u'd':
        case u'w':
        case u'm':
        case u'q':
        case u'y':
        case u'h':
        case u'n':
        case u's':
        case u't':
        case u'c':
            return true;
        default:
            return false;
    }
}

void addLiteral(std::vector<Token>& tokens, std::u16string_view text) {
    if (tokens.empty() || tokens.back().letter) tokens.push_back({});
    tokens.back().text.append(text);
}

std::vector<Token> tokenize(std::u16string_view p) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < p.size();) {
        char16_t c = p[i];
        if (std::u16string_view marker = meridiemAt(p, i); !marker.empty()) {
            tokens.push_back({u'a', 1, std::u16string(marker), false});
            i += marker.size();
        } else if (c == u'\\' && i + 1 < p.size()) {
            addLiteral(tokens, p.substr(i + 1, 1));
            i += 2;
        } else if (c == u'"') {
            std::size_t end = p.find(u'"', i + 1);
            if (end == std::u16string_view::npos) end = p.size();
            addLiteral(tokens, p.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (isPlaceholder(c)) {
            char16_t letter = lowerChar(c);
            std::size_t j = i;
            while (j < p.size() && lowerChar(p[j]) == letter) ++j;
            tokens.push_back({letter, static_cast<int>(j - i), {}, false});
            i = j;
        } else {
            addLiteral(tokens, p.substr(i, 1));
            ++i;
        }
    }
    // m / mm right after an hour or right before a second (literals between them aside) are minutes.
    const Token* previous = nullptr;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        Token& t = tokens[k];
        if (!t.letter) continue;
        if (t.letter == u'm' && t.count <= 2) {
            const Token* next = nullptr;
            for (std::size_t j = k + 1; j < tokens.size() && !next; ++j)
                if (tokens[j].letter) next = &tokens[j];
            t.minute = (previous && previous->letter == u'h') || (next && next->letter == u's');
        }
        previous = &t;
    }
    return tokens;
}

std::u16string number(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

bool hasMeridiem(const std::vector<Token>& tokens) {
    for (const Token& t : tokens)
        if (t.letter == u'a') return true;
    return false;
}

std::u16string meridiemText(const Token& t, int hour) {
    bool pm = hour >= 12;
    std::u16string_view marker = t.text;
    if (marker.size() == 4) return pm ? u"PM" : u"AM";  // AMPM: the locale's strings, English here
    if (marker.size() == 3) return std::u16string(1, pm ? marker[2] : marker[0]);  // A/P
    return std::u16string(pm ? marker.substr(3, 2) : marker.substr(0, 2));         // AM/PM
}

int dayOfYear(Date date, const DateParts& p) {
    return DateDiff(u"d", DateSerial(p.year, 1, 1), date) + 1;
}

// Week 1 is the week (Sunday to Saturday) that holds 1 January.
int weekOfYear(Date date, const DateParts& p) {
    int jan1 = Weekday(DateSerial(p.year, 1, 1));
    return (dayOfYear(date, p) - 1 + jan1 - 1) / 7 + 1;
}

}  // namespace

std::u16string formatDatePattern(Date date, std::u16string_view pattern) {
    std::vector<Token> tokens = tokenize(pattern);
    const DateParts p = splitDate(date);
    const bool twelveHour = hasMeridiem(tokens);
    const int weekday = Weekday(date);
    std::u16string out;
    for (const Token& t : tokens) {
        switch (t.letter) {
            case 0:
                out += t.text;
                break;
            case u'a':
                out += meridiemText(t, p.hour);
                break;
            case u'c':
                out += generalDate(date);
                break;
            case u'd':
                if (t.count <= 2)
                    out += number(p.day, t.count);
                else if (t.count == 3)
                    out += std::u16string(kDays[weekday - 1]).substr(0, 3);
                else if (t.count == 4)
                    out += kDays[weekday - 1];
                else if (t.count == 5)
                    out += formatDatePattern(date, u"m/d/yyyy");
                else
                    out += formatDatePattern(date, u"dddd, mmmm d, yyyy");
                break;
            case u'w':
                out += number(t.count == 1 ? weekday : weekOfYear(date, p), 1);
                break;
            case u'm':
                if (t.minute)
                    out += number(p.minute, t.count);
                else if (t.count <= 2)
                    out += number(p.month, t.count);
                else if (t.count == 3)
                    out += std::u16string(kMonths[p.month - 1]).substr(0, 3);
                else
                    out += kMonths[p.month - 1];
                break;
            case u'q':
                out += number((p.month - 1) / 3 + 1, 1);
                break;
            case u'y':
                if (t.count == 1)
                    out += number(dayOfYear(date, p), 1);
                else if (t.count == 2)
                    out += number(p.year % 100, 2);
                else
                    out += number(p.year, 4);
                break;
            case u'h': {
                int hour = twelveHour ? (p.hour % 12 == 0 ? 12 : p.hour % 12) : p.hour;
                out += number(hour, std::min(t.count, 2));
                break;
            }
            case u'n':
                out += number(p.minute, std::min(t.count, 2));
                break;
            case u's':
                out += number(p.second, std::min(t.count, 2));
                break;
            case u't':
                out += formatDatePattern(date, u"h:nn:ss AM/PM");
                break;
        }
    }
    return out;
}

bool isDatePattern(std::u16string_view p) {
    bool date = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        char16_t c = p[i];
        if (c == u'\\') {
            ++i;
        } else if (c == u'"') {
            std::size_t end = p.find(u'"', i + 1);
            i = end == std::u16string_view::npos ? p.size() : end;
        } else if (c == u'0' || c == u'#') {
            return false;
        } else if (isPlaceholder(c) || !meridiemAt(p, i).empty()) {
            date = true;
        }
    }
    return date;
}

}  // namespace velmora::detail
