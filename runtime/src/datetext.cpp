// Reading dates from text (CDate, IsDate): the en-US forms and ISO dates, with an optional time.
#include <array>
#include <vector>

#include "runtime/ascii.h"
#include "runtime/datetime.h"

namespace velmora {

namespace {

struct Token {
    enum Kind { Number, Word, Colon, DateSep } kind;
    int value = 0;   // Number: its value (capped); Word: a month 1..12, or 13 AM / 14 PM
    int length = 0;  // Number: its digit count
};

constexpr int kAm = 13, kPm = 14;

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// A month name (full or abbreviated to at least three letters) or AM/PM; 0 for other words.
int wordValue(std::u16string_view word) {
    static constexpr std::array<std::u16string_view, 12> months = {
        u"january", u"february", u"march",     u"april",   u"may",      u"june",
        u"july",    u"august",   u"september", u"october", u"november", u"december"};
    std::u16string w;
    for (char16_t c : word) w += lowerAscii(c);
    if (w == u"am" || w == u"a") return kAm;
    if (w == u"pm" || w == u"p") return kPm;
    if (w.size() < 3) return 0;
    for (std::size_t i = 0; i < months.size(); ++i)
        if (months[i].substr(0, w.size()) == w) return static_cast<int>(i) + 1;
    return 0;
}

bool tokenize(std::u16string_view text, std::vector<Token>& tokens) {
    for (std::size_t i = 0; i < text.size();) {
        char16_t c = text[i];
        if (isDigit(c)) {
            Token t{Token::Number};
            for (; i < text.size() && isDigit(text[i]); ++i, ++t.length)
                if (t.value < 100000) t.value = t.value * 10 + (text[i] - u'0');
            tokens.push_back(t);
        } else if (isLetter(c)) {
            std::size_t start = i;
            while (i < text.size() && isLetter(text[i])) ++i;
            std::u16string_view word = text.substr(start, i - start);
            // ISO "2024-03-05T10:00:00": the T only separates the date from the time.
            if ((word == u"T" || word == u"t") && !tokens.empty() && tokens.back().kind == Token::Number)
                continue;
            int value = wordValue(word);
            if (!value) return false;
            tokens.push_back({Token::Word, value});
        } else if (c == u':') {
            tokens.push_back({Token::Colon});
            ++i;
        } else if (c == u'/' || c == u'-' || c == u'.') {
            tokens.push_back({Token::DateSep});
            ++i;
        } else if (c == u' ' || c == u'\t' || c == u',') {
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

int expandYear(const Token& t) {
    if (t.length <= 2) return t.value < 30 ? 2000 + t.value : 1900 + t.value;
    return t.value;
}

struct Parsed {
    std::vector<Token> dateNumbers;
    int month = 0;  // from a month name
    std::vector<int> time;
    int meridiem = 0;
};

bool collect(const std::vector<Token>& tokens, Parsed& p) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Number && i + 1 < tokens.size() && tokens[i + 1].kind == Token::Colon) {
            if (!p.time.empty()) return false;
            p.time.push_back(t.value);
            while (i + 2 < tokens.size() && tokens[i + 1].kind == Token::Colon &&
                   tokens[i + 2].kind == Token::Number && p.time.size() < 3) {
                p.time.push_back(tokens[i + 2].value);
                i += 2;
            }
            if (i + 1 < tokens.size() && tokens[i + 1].kind == Token::Colon) return false;
        } else if (t.kind == Token::Number) {
            if (p.dateNumbers.size() == 3) return false;
            p.dateNumbers.push_back(t);
        } else if (t.kind == Token::Word && t.value >= kAm) {
            if (p.time.empty() || p.meridiem) return false;
            p.meridiem = t.value;
        } else if (t.kind == Token::Word) {
            if (p.month) return false;
            p.month = t.value;
        } else if (t.kind == Token::Colon) {
            return false;
        }
    }
    return true;
}

bool resolveDate(const Parsed& p, DateParts& parts) {
    const auto& n = p.dateNumbers;
    if (p.month) {
        if (n.empty() || n.size() > 2) return false;
        parts.month = p.month;
        parts.day = n[0].value;
        parts.year = n.size() == 2 ? expandYear(n[1]) : Year(Today());
    } else if (n.size() == 3) {
        if (n[0].length > 2) {
            parts.year = n[0].value;  // yyyy-mm-dd
            parts.month = n[1].value;
            parts.day = n[2].value;
        } else {
            parts.month = n[0].value;
            parts.day = n[1].value;
            parts.year = expandYear(n[2]);
        }
    } else if (n.size() == 2) {
        parts.month = n[0].value;
        parts.day = n[1].value;
        parts.year = Year(Today());
    } else if (!n.empty()) {
        return false;
    }
    if (!n.empty() && !p.month && parts.month > 12 && parts.day <= 12) std::swap(parts.month, parts.day);
    return true;
}

bool resolveTime(const Parsed& p, DateParts& parts) {
    if (p.time.empty()) return true;
    parts.hour = p.time[0];
    parts.minute = p.time.size() > 1 ? p.time[1] : 0;
    parts.second = p.time.size() > 2 ? p.time[2] : 0;
    if (p.meridiem) {
        if (parts.hour < 1 || parts.hour > 12) return false;
        parts.hour = parts.hour % 12 + (p.meridiem == kPm ? 12 : 0);
    }
    return parts.hour <= 23 && parts.minute <= 59 && parts.second <= 59;
}

}  // namespace

bool tryParseDate(std::u16string_view text, Date& date) {
    std::vector<Token> tokens;
    Parsed p;
    if (!tokenize(text, tokens) || !collect(tokens, p)) return false;
    if (p.dateNumbers.empty() && !p.month && p.time.empty()) return false;
    DateParts parts;
    if (!resolveDate(p, parts) || !resolveTime(p, parts)) return false;
    if (parts.year < 100 || parts.year > 9999 || parts.month < 1 || parts.month > 12 || parts.day < 1 ||
        parts.day > Day(DateSerial(parts.year, parts.month + 1, 0)))
        return false;
    date = makeDate(parts);
    return true;
}

bool IsDate(const Variant& value) {
    if (value.isArray()) return false;
    if (value.type() == VarType::Date) return true;
    Date ignored;
    return value.isString() && tryParseDate(value.stringRef(), ignored);
}

}  // namespace velmora
