// HelpTopics: the program's help file and display options, the list of forms taking part in help (one
// list per process: a new HelpTopics starts it afresh), and the registration of help files under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\HTML Help. Creating one reads the file versions of the
// registered help viewer and page renderer, and says so in a message box when they are missing.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "help/HelpTopic.h"
#include "runtime/Collection.h"
#include "runtime/exports.h"
#include "ui/htmlhelp.h"

namespace velmora {

// The classes whose registered libraries HelpTopics checks.
inline constexpr char kHtmlHelpClsid[] = "{4662DAB0-D393-11D0-9A56-00C04FB68B66}";
inline constexpr char kBrowserClsid[] = "{0A89A860-D7B1-11CE-8350-444553540000}";

class VELMORA_API HelpTopics : public Dispatchable<HelpTopics> {
  public:
    static const ClassInfo& describe();

    HelpTopics();
    ~HelpTopics() override;

    std::u16string DefaultURL() const { return m_defaultUrl; }
    void setDefaultURL(std::u16string url) { m_defaultUrl = std::move(url); }
    bool IsRegistered(std::u16string& strFileName) const;
    std::u16string IEVersion() const { return m_ieVersion; }
    std::u16string HTMLHelpVersion() const { return m_helpVersion; }
    std::u16string HelpFile() const { return m_helpFile; }
    void setHelpFile(std::u16string path);
    bool ShowOnTop() const noexcept { return m_showOnTop; }
    void setShowOnTop(bool value) noexcept { m_showOnTop = value; }
    Ref<HelpTopic> Item(Variant vntIndexKey) const;
    std::int32_t Count() const;
    ObjectRef NewEnum() const;
    std::u16string HelpWindow() const { return m_helpWindow; }
    void DisplayContents(Variant CallingHwnd);
    void DisplayIndex(Variant CallingHwnd);
    void DisplaySearch(Variant CallingHwnd);
    Ref<HelpTopic> Add(ObjectRef& frm, std::u16string sKey);
    void Remove(Variant& vntIndexKey);
    void RegisterHelpFile(std::u16string& FileToRegister);
    void UnregisterHelpFile(std::u16string& FileToUnRegister);
    bool GetKeyInfo(std::u16string key_name, std::int16_t indent);

    // HtmlHelpA with the help file (and ">" window type) as target; nothing without a help file.
    HWND display(HWND owner, UINT command, DWORD_PTR data) const;
    // The owner window for the viewer: the calling window when ShowOnTop (error 91 when it is no window),
    // else fallback.
    HWND ownerFor(const Variant& calling, HWND fallback) const;

  private:
    void checkVersions();

    std::u16string m_defaultUrl;
    bool m_showOnTop = false;
    std::u16string m_helpFile;
    std::u16string m_helpWindow;
    std::u16string m_ieVersion;
    std::u16string m_helpVersion;
};

// Registers (or removes) the help viewer and its page renderer under the two classes HelpTopics checks:
// both are the GUI layer's library, which holds HtmlHelpA and the viewer. Part of Guidepost's registration.
bool registerHelpViewer(bool unregister);

}  // namespace velmora
