#include "mail/cDefaultEmail.h"

#include "component/ClassBuilder.h"
#include "platform/shell.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {
namespace {

constexpr char16_t kSource[] = u"cDefaultEmail";
// Components' own failures use small numbers: the link could not be opened, attachments were dropped.
constexpr std::int32_t kNoMailProgram = 1;
constexpr std::int32_t kAttachmentsDropped = 2;

// Percent-encodes everything but the unreserved characters and those in keep.
std::string percentEncoded(const std::string& text, std::string_view keep = {}) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '.' || c == '_' || c == '~' ||
                           keep.find(static_cast<char>(c)) != keep.npos;
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace

const ClassInfo& cDefaultEmail::describe() {
    using C = cDefaultEmail;
    static const ClassInfo info =
        ClassBuilder<C>(u"cDefaultEmail")
            .method(u"SendEmail", &C::SendEmail, {u"MailAddress", u"MailSubject", u"MailBody", u"MailAttach"})
            .event(u"EmailError", {arg(u"Routine", VarType::String), arg(u"Number", VarType::Long),
                                   arg(u"Description", VarType::String), arg(u"Source", VarType::String)})
            .build();
    return info;
}

void cDefaultEmail::emailError(const std::u16string& routine, std::int32_t number,
                               const std::u16string& description, const std::u16string& source) {
    Variant r(routine);
    Variant n(number);
    Variant d(description);
    Variant s(source);
    m_events.fire(u"EmailError", r, n, d, s);
}

std::string cDefaultEmail::mailLink(const std::u16string& addresses, const std::u16string& subject,
                                    const std::u16string& body) {
    // "@" and the "," between addresses may stand as they are in the address part of the link.
    return "mailto:" + percentEncoded(toUtf8(addresses), "@,") +
           "?subject=" + percentEncoded(toUtf8(subject)) + "&body=" + percentEncoded(toUtf8(body));
}

Variant cDefaultEmail::SendEmail(const std::u16string& MailAddress, const std::u16string& MailSubject,
                                 const std::u16string& MailBody, const std::u16string& MailAttach) {
    try {
        const std::string link = mailLink(MailAddress, MailSubject, MailBody);
        const auto result = reinterpret_cast<std::intptr_t>(
            ShellExecuteA(0, nullptr, link.c_str(), nullptr, nullptr, SW_HIDE));
        if (result <= 32)
            emailError(
                u"SendMail", kNoMailProgram,
                u"No mail program takes the mail link (error " + fromUtf8(std::to_string(result)) + u")",
                kSource);
        if (!MailAttach.empty())
            emailError(
                u"SendMail", kAttachmentsDropped,
                u"A mail link cannot carry attachments; attach them in the mail program: " + MailAttach,
                kSource);
    } catch (const RuntimeError& error) {
        emailError(u"SendMail", error.number(), error.description(),
                   error.source().empty() ? std::u16string(kSource) : error.source());
    }
    return {};
}

}  // namespace velmora
