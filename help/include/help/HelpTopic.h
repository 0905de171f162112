// HelpTopic: the help of one form: the topic shown for it (by URL, context identifier, keyword or
// associative link) through the owning HelpTopics' help file.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "platform/win32types.h"
#include "runtime/Variant.h"
#include "runtime/exports.h"

namespace velmora {

class HelpTopics;

class VELMORA_API HelpTopic : public Dispatchable<HelpTopic> {
  public:
    static const ClassInfo& describe();

#define HELPTOPIC_FIELD(Type, Name, initial) \
  public:                                    \
    Type Name() const {                      \
        return m_##Name;                     \
    }                                        \
    void set##Name(Type value) {             \
        m_##Name = std::move(value);         \
    }                                        \
                                             \
  private:                                   \
    Type m_##Name = initial;

    HELPTOPIC_FIELD(std::u16string, Key, {})
    HELPTOPIC_FIELD(std::int32_t, Index, 0)
    HELPTOPIC_FIELD(std::int32_t, OldHwnd, 0)
    HELPTOPIC_FIELD(std::u16string, Text, {})
    HELPTOPIC_FIELD(std::u16string, Title, {})
    HELPTOPIC_FIELD(std::int32_t, TopicID, 0)
    HELPTOPIC_FIELD(std::u16string, KeyWord, {})
    HELPTOPIC_FIELD(std::u16string, ALink, {})
    HELPTOPIC_FIELD(std::u16string, TopicURL, {})
#undef HELPTOPIC_FIELD

  public:
    // The owner a client assigns is held; the HelpTopics that made the entry is not (its list holds the
    // entry, and a counted link back would keep both alive for good).
    ObjectRef Parent() const;
    void setParent(ObjectRef parent) {
        m_parent = std::move(parent);
    }
    void adoptOwner(HelpTopics* maker) noexcept {
        m_maker = maker;
    }
    void forgetOwner(const HelpTopics* maker) noexcept {
        if (m_maker == maker) m_maker = nullptr;
    }
    ObjectRef frm() const {
        return m_form;
    }
    void setFrm(ObjectRef form) {
        m_form = std::move(form);
    }
    bool WhatsThisEnabled() const noexcept {
        return m_whatsThis;
    }
    // Turning it on puts the form's window into context-help mode: the next click on one of its windows
    // asks for that window's help (WM_HELP).
    void setWhatsThisEnabled(bool& vdata);
    // The display members: nothing without a help file or a topic value; error 91 when ShowOnTop asks
    // for a calling window that cannot be used.
    void DisplayTopicFromURL(Variant strTopicURL, Variant CallingForm);
    void DisplayTopicFromID(Variant lngTopicID, Variant CallingForm);
    void DisplayKeyword(Variant strKeyWord, Variant CallingForm);
    void DisplayALink(Variant strALink, Variant CallingForm);
    void CloseAll();
    void Initialize(Variant& objfrm);

    // The form's window as Add found it (0: none), whose messages the help window procedure routes here.
    HWND window() const noexcept {
        return m_window;
    }
    void setWindow(HWND hWnd) noexcept {
        m_window = hWnd;
    }
    // What F1 shows for a form without an OnHelp of its own: the topic by identifier, URL, keyword or
    // link, whichever is set first; else the window's context identifier; else the help file's default
    // topic. Owned by the window that asked.
    void showHelp(HWND asking, DWORD contextId);

  private:
    HelpTopics* owner() const;
    // The owner window for the viewer: the calling window with ShowOnTop, else the form's window.
    std::int32_t ownerWindow(const Variant& callingForm) const;

    ObjectRef m_parent;
    HelpTopics* m_maker = nullptr;
    ObjectRef m_form;
    bool m_whatsThis = false;
    HWND m_window = 0;
};

}  // namespace velmora
