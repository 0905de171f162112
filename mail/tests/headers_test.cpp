// What the SMTP client makes of the caller's text before it goes on the wire: display names, line ends,
// the greeting's domain, the date's zone, attachment names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "MailHeaders.h"

namespace velmora::mail {
namespace {

std::string fourteenTimes(const std::string& piece) {
    std::string text;
    for (int i = 0; i < 14; ++i) text += piece;
    return text;
}

TEST(MailHeadersTest, DisplayNamesCannotLeaveTheirQuotes) {
    const std::pair<std::string, std::string> cases[] = {
        {"Sealdesk - email bugs", "\"Sealdesk - email bugs\""},
        {"", "\"\""},
        {"Boss\" <ceo@corp.test>", "\"Boss\\\" <ceo@corp.test>\""},
        {"back\\slash\"", "\"back\\\\slash\\\"\""},
        {"two\r\nlines", "\"two  lines\""},
        {"caf\xc3\xa9", "=?UTF-8?B?Y2Fmw6k=?="},
        // Long names are cut into encoded words of 45 bytes, never inside a character.
        {std::string(44, 'a') + "\xc3\xa9" + "b",
         "=?UTF-8?B?" + fourteenTimes("YWFh") + "YWE=?= =?UTF-8?B?w6li?="},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(displayName(name), expected) << name;
}

TEST(MailHeadersTest, EveryLineEndBecomesCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\r\nb", "a\r\nb"},         {"a\nb", "a\r\nb"},   {"a\rb", "a\r\nb"}, {"a\n.\r\n", "a\r\n.\r\n"},
        {"\r\r\n\n", "\r\n\r\n\r\n"}, {"end\r", "end\r\n"}, {"", ""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(withCrLf(text), expected);
}

TEST(MailHeadersTest, TheGreetingTakesOnlyDomainsAndAddressLiterals) {
    const std::string label63(63, 'a');
    const std::pair<std::string, bool> cases[] = {
        {"example.test", true},
        {"mail-1.example.test.", true},
        {"localhost", true},
        {label63 + ".test", true},
        {label63 + "a.test", false},
        {label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b'), true},  // 253
        {label63 + "." + label63 + "." + label63 + "." + std::string(62, 'b'), false},
        {"[192.0.2.1]", true},
        {"[IPv6:2001:db8::1]", true},
        {"[2001:db8::1]", false},
        {"[192.0.2.256]", false},
        {"", false},
        {"-lead.test", false},
        {"trail-.test", false},
        {"a..b", false},
        {".", false},
        {"under_score.test", false},
        {"example.org>  RCPT TO:<victim@example.test>", false},
        {"exa mple.test", false},
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(isGreetingDomain(text), valid) << text;
}

TEST(MailHeadersTest, TheDateCarriesItsNumericZone) {
    const char* saved = std::getenv("TZ");
    const std::string old = saved ? saved : "";
    const std::pair<const char*, const char*> cases[] = {
        {"UTC0", "Thu, 01 Jan 1970 00:00:00 +0000"},
        {"EST5", "Wed, 31 Dec 1969 19:00:00 -0500"},
        {"IST-5:30", "Thu, 01 Jan 1970 05:30:00 +0530"},
    };
    for (const auto& [zone, expected] : cases) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(dateHeader(0), expected) << zone;
    }
    if (saved)
        setenv("TZ", old.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(MailHeadersTest, AnAttachmentIsNamedAfterTheLastSeparatorOfEitherKind) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"/tmp/velmora/log3.zq_", u"log3.zq_"},
        {u"Z:\\tmp\\Ardent.zq_", u"Ardent.zq_"},
        {u"C:\\logs/mixed\\name.txt", u"name.txt"},
        {u"dir/sub\\", u""},
        {u"plain.txt", u"plain.txt"},
    };
    for (const auto& [path, name] : cases) EXPECT_EQ(fileTitle(path), name);
}

}  // namespace
}  // namespace velmora::mail
