#include "MailHeaders.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdio>

#include "base64.h"

namespace velmora::mail {
namespace {

bool isPrintableAscii(unsigned char c) {
    return c >= 0x20 && c < 0x7f;
}

std::string blankLineBreaks(std::string_view text) {
    std::string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return out;
}

// Encoded words of at most 75 characters each: 45 bytes of text give 60 of base64, never splitting a
// UTF-8 sequence.
std::string encodedWords(const std::string& utf8) {
    constexpr std::size_t kBytesPerWord = 45;
    std::string out;
    for (std::size_t at = 0; at < utf8.size();) {
        std::size_t end = std::min(at + kBytesPerWord, utf8.size());
        while (end < utf8.size() && end > at + 1 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            --end;
        if (!out.empty()) out += ' ';
        out += "=?UTF-8?B?" + base64(std::string_view(utf8).substr(at, end - at)) + "?=";
        at = end;
    }
    return out;
}

bool isLabel(std::string_view label) {
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
    return std::all_of(label.begin(), label.end(), [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    });
}

bool isAddressLiteral(std::string_view text) {
    if (text.size() < 3 || text.front() != '[' || text.back() != ']') return false;
    const std::string inside(text.substr(1, text.size() - 2));
    unsigned char address[16];
    constexpr std::string_view kV6 = "IPv6:";
    if (inside.rfind(kV6, 0) == 0) return inet_pton(AF_INET6, inside.c_str() + kV6.size(), address) == 1;
    return inet_pton(AF_INET, inside.c_str(), address) == 1;
}

}  // namespace

std::string quotedText(std::string_view utf8) {
    std::string out;
    for (char c : blankLineBreaks(utf8)) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

std::string displayName(std::string_view utf8) {
    const std::string name = blankLineBreaks(utf8);
    if (std::all_of(name.begin(), name.end(), [](unsigned char c) { return isPrintableAscii(c); }))
        return '"' + quotedText(name) + '"';
    return encodedWords(name);
}

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

bool isGreetingDomain(std::string_view text) {
    if (isAddressLiteral(text)) return true;
    if (text.empty() || text.size() > 253) return false;
    // A fully qualified name may end in a dot.
    if (text.back() == '.') text.remove_suffix(1);
    for (std::size_t start = 0;;) {
        const std::size_t dot = text.find('.', start);
        if (!isLabel(text.substr(start, dot == std::string_view::npos ? dot : dot - start))) return false;
        if (dot == std::string_view::npos) return true;
        start = dot + 1;
    }
}

std::string dateHeader(std::time_t when) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm local{};
    localtime_r(&when, &local);
    const long offset = local.tm_gmtoff / 60;
    const long minutes = offset < 0 ? -offset : offset;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDays[local.tm_wday],
                  local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900, local.tm_hour, local.tm_min,
                  local.tm_sec, offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

std::u16string fileTitle(const std::u16string& path) {
    const auto separator = path.find_last_of(u"\\/");
    return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

}  // namespace velmora::mail
