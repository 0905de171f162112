#include "mail/cLotusNotes.h"

#include "component/ClassBuilder.h"
#include "component/CreateObject.h"
#include "component/calls.h"
#include "mail/MailRecords.h"
#include "mail/Postwire.h"
#include "runtime/Error.h"

namespace velmora {
namespace {

constexpr std::int32_t kEmbedAttachment = 1454;  // EMBED_ATTACHMENT
constexpr std::int32_t kFontHelvetica = 4;
constexpr std::int32_t kColorRed = 2;

}  // namespace

const ClassInfo& cLotusNotes::describe() {
    using C = cLotusNotes;
    static const ClassInfo info =
        ClassBuilder<C>(u"cLotusNotes")
            .propertyGet(u"AttachmentCount", &C::AttachmentCount)
            .method(u"AttachmentAdd", &C::AttachmentAdd, {u"strFileName"})
            .method(u"AttachmentRemove", &C::AttachmentRemove, {u"intINdex"})
            .method(u"SendEmail", &C::SendEmail, {u"strSendTo", u"strSubject", u"strMessage"})
            .event(u"Status", {arg(u"strStatus", VarType::String)})
            .event(u"LotusError", {arg(u"Routine", VarType::String), arg(u"Description", VarType::String),
                                   arg(u"Number", VarType::Long)})
            .build();
    return info;
}

cLotusNotes::cLotusNotes() : m_session(CreateObject(postwire::kNotesSessionClass)) {
    m_database = call(m_session, u"GetDatabase", std::u16string(), std::u16string()).toObject();
    call(m_database, u"OpenMail");
}

cLotusNotes::~cLotusNotes() = default;

void cLotusNotes::statusEvent(const std::u16string& text) {
    Variant t(text);
    m_events.fire(u"Status", t);
}

void cLotusNotes::AttachmentAdd(const std::u16string& strFileName) {
    nextMailCount(m_attachments.size());
    m_attachments.push_back(strFileName);
}

void cLotusNotes::AttachmentRemove(std::int16_t intINdex) {
    if (intINdex < 1 || static_cast<std::size_t>(intINdex) > m_attachments.size())
        raise(err::SubscriptOutOfRange);
    m_attachments.erase(m_attachments.begin() + (intINdex - 1));
}

bool cLotusNotes::SendEmail(const std::u16string& strSendTo, const std::u16string& strSubject,
                            const std::u16string& strMessage) {
    try {
        ObjectRef style = call(m_session, u"CreateRichTextStyle").toObject();
        ObjectRef document = call(m_database, u"CreateDocument").toObject();
        ObjectRef body = call(document, u"CreateRichTextItem", std::u16string(u"Body")).toObject();
        for (const std::u16string& path : m_attachments) {
            if (path.empty()) continue;
            call(body, u"EMBEDOBJECT", kEmbedAttachment, std::u16string(), path, std::u16string(u"Sample"));
        }
        statusEvent(u"Attachments have been added");
        letProperty(style, u"NotesFont", kFontHelvetica);
        letProperty(style, u"Bold", true);
        letProperty(style, u"NotesColor", kColorRed);
        call(body, u"AppendStyle", style);
        call(body, u"AppendText", strMessage);
        statusEvent(u"Message has been formatted");
        call(document, u"ReplaceItemValue", std::u16string(u"SendTo"), strSendTo);
        call(document, u"ReplaceItemValue", std::u16string(u"Subject"), strSubject);
        call(document, u"Send", false);
        statusEvent(u"Email has been sent to " + strSendTo);
        return true;
    } catch (const RuntimeError& error) {
        Variant r(u"SendEmail");
        Variant d(error.description());
        Variant n(error.number());
        m_events.fire(u"LotusError", r, d, n);
        return false;
    }
}

}  // namespace velmora
