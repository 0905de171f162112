#include "help/HelpTopic.h"

#include "component/calls.h"
#include "help/HelpTopics.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "ui/windowproc.h"
#include "ui/windows.h"

namespace velmora {

namespace {

// An optional argument that was given (not omitted).
bool given(const Variant& argument) {
    return !argument.isMissing();
}

}  // namespace

const ClassInfo& HelpTopic::describe() {
    static const ClassInfo info =
        ClassBuilder<HelpTopic>(u"HelpTopic")
            .property(u"Key", &HelpTopic::Key, &HelpTopic::setKey)
            .property(u"Index", &HelpTopic::Index, &HelpTopic::setIndex)
            .property(u"OldHwnd", &HelpTopic::OldHwnd, &HelpTopic::setOldHwnd)
            .property(u"Text", &HelpTopic::Text, &HelpTopic::setText)
            .property(u"Title", &HelpTopic::Title, &HelpTopic::setTitle)
            .property(u"TopicID", &HelpTopic::TopicID, &HelpTopic::setTopicID)
            .property(u"KeyWord", &HelpTopic::KeyWord, &HelpTopic::setKeyWord)
            .property(u"ALink", &HelpTopic::ALink, &HelpTopic::setALink)
            .property(u"TopicURL", &HelpTopic::TopicURL, &HelpTopic::setTopicURL)
            .property(u"Parent", &HelpTopic::Parent, &HelpTopic::setParent)
            .property(u"frm", &HelpTopic::frm, &HelpTopic::setFrm)
            .property(u"WhatsThisEnabled", &HelpTopic::WhatsThisEnabled, &HelpTopic::setWhatsThisEnabled)
            .method(u"DisplayTopicFromURL", &HelpTopic::DisplayTopicFromURL,
                    {opt(u"strTopicURL"), opt(u"CallingForm")})
            .method(u"DisplayTopicFromID", &HelpTopic::DisplayTopicFromID,
                    {opt(u"lngTopicID"), opt(u"CallingForm")})
            .method(u"DisplayKeyword", &HelpTopic::DisplayKeyword, {opt(u"strKeyWord"), opt(u"CallingForm")})
            .method(u"DisplayALink", &HelpTopic::DisplayALink, {opt(u"strALink"), opt(u"CallingForm")})
            .method(u"CloseAll", &HelpTopic::CloseAll)
            .method(u"Initialize", &HelpTopic::Initialize, {u"objfrm"})
            .build();
    return info;
}

ObjectRef HelpTopic::Parent() const {
    return m_parent ? m_parent : ObjectRef(m_maker);
}

HelpTopics* HelpTopic::owner() const {
    return m_parent ? dynamic_cast<HelpTopics*>(m_parent.get()) : m_maker;
}

std::int32_t HelpTopic::ownerWindow(const Variant& callingForm) const {
    HWND formWindow = 0;
    if (m_form) {
        try {
            formWindow = static_cast<HWND>(getProperty(m_form, u"hWnd").toLong());
        } catch (const RuntimeError&) {
        }
    }
    return static_cast<std::int32_t>(owner()->ownerFor(callingForm, formWindow));
}

void HelpTopic::DisplayTopicFromURL(Variant strTopicURL, Variant CallingForm) {
    if (given(strTopicURL) && !strTopicURL.toString().empty()) m_TopicURL = strTopicURL.toString();
    HelpTopics* topics = owner();
    if (!topics || topics->HelpFile().empty() || m_TopicURL.empty()) return;
    const std::string url = toUtf8(m_TopicURL);
    topics->display(static_cast<HWND>(ownerWindow(CallingForm)), HH_DISPLAY_TOPIC,
                    reinterpret_cast<DWORD_PTR>(url.c_str()));
}

void HelpTopic::DisplayTopicFromID(Variant lngTopicID, Variant CallingForm) {
    if (given(lngTopicID) && lngTopicID.toLong() != 0) m_TopicID = lngTopicID.toLong();
    HelpTopics* topics = owner();
    if (!topics || topics->HelpFile().empty() || m_TopicID == 0) return;
    topics->display(static_cast<HWND>(ownerWindow(CallingForm)), HH_HELP_CONTEXT,
                    static_cast<DWORD_PTR>(static_cast<std::uint32_t>(m_TopicID)));
}

namespace {

void lookUp(HelpTopics& topics, HWND window, UINT command, const std::u16string& words,
            const std::u16string& text, const std::u16string& title) {
    const std::string keywords = toUtf8(words);
    const std::string message = toUtf8(text);
    const std::string caption = toUtf8(title);
    const std::string windowType = toUtf8(topics.HelpWindow());
    topics.display(window, HH_DISPLAY_TOPIC, 0);
    HH_AKLINK link{sizeof(HH_AKLINK),
                   FALSE,
                   keywords.c_str(),
                   nullptr,
                   message.c_str(),
                   caption.c_str(),
                   windowType.empty() ? nullptr : windowType.c_str(),
                   FALSE};
    topics.display(window, command, reinterpret_cast<DWORD_PTR>(&link));
}

}  // namespace

void HelpTopic::DisplayKeyword(Variant strKeyWord, Variant CallingForm) {
    if (given(strKeyWord) && !strKeyWord.toString().empty()) m_KeyWord = strKeyWord.toString();
    HelpTopics* topics = owner();
    if (!topics || topics->HelpFile().empty() || m_KeyWord.empty()) return;
    lookUp(*topics, static_cast<HWND>(ownerWindow(CallingForm)), HH_KEYWORD_LOOKUP, m_KeyWord, m_Text,
           m_Title);
}

void HelpTopic::DisplayALink(Variant strALink, Variant CallingForm) {
    if (given(strALink) && !strALink.toString().empty()) m_ALink = strALink.toString();
    HelpTopics* topics = owner();
    if (!topics || topics->HelpFile().empty() || m_ALink.empty()) return;
    lookUp(*topics, static_cast<HWND>(ownerWindow(CallingForm)), HH_ALINK_LOOKUP, m_ALink, m_Text, m_Title);
}

void HelpTopic::CloseAll() {
    if (HelpTopics* topics = owner(); topics && !topics->HelpFile().empty())
        topics->display(0, HH_CLOSE_ALL, 0);
}

void HelpTopic::setWhatsThisEnabled(bool& vdata) {
    if (vdata && !m_whatsThis && IsWindow(m_window))
        DefWindowProcA(m_window, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
    m_whatsThis = vdata;
}

void HelpTopic::showHelp(HWND asking, DWORD contextId) {
    HelpTopics* topics = owner();
    if (!topics || topics->HelpFile().empty()) return;
    const Variant calling(static_cast<std::int32_t>(asking));
    const Variant none = Variant::missing();
    if (m_TopicID != 0) return DisplayTopicFromID(none, calling);
    if (!m_TopicURL.empty()) return DisplayTopicFromURL(none, calling);
    if (!m_KeyWord.empty()) return DisplayKeyword(none, calling);
    if (!m_ALink.empty()) return DisplayALink(none, calling);
    const HWND owner = static_cast<HWND>(ownerWindow(calling));
    if (contextId != 0 && topics->display(owner, HH_HELP_CONTEXT, contextId)) return;
    topics->display(owner, HH_DISPLAY_TOPIC, 0);
}

void HelpTopic::Initialize(Variant& objfrm) {
    if (objfrm.isObject()) m_form = objfrm.toObject();
}

}  // namespace velmora
