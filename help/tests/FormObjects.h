// Forms and controls as the help library sees them: objects over real (offscreen) widgets answering hWnd,
// Name, Container and the twips rectangle. A label has no window: reading its hWnd raises 438, as
// asking a windowless control for one does.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "runtime/Error.h"
#include "ui/WindowHandles.h"
#include "ui/htmlhelp.h"
#include "ui/windows.h"

namespace velmora::test {

class FormObject : public Dispatchable<FormObject> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info =
            ClassBuilder<FormObject>(u"FormObject")
                .propertyGet(u"hWnd", &FormObject::hWnd)
                .propertyGet(u"Name", &FormObject::Name)
                .propertyGet(u"Container", &FormObject::Container)
                .propertyGet(u"Left", &FormObject::Left)
                .propertyGet(u"Top", &FormObject::Top)
                .propertyGet(u"Width", &FormObject::Width)
                .propertyGet(u"Height", &FormObject::Height)
                .method(u"OnHelp", &FormObject::OnHelp, {u"info"})
                .method(u"OnContextMenu", &FormObject::OnContextMenu, {u"hwnd"})
                .method(u"OnNavComplete", &FormObject::OnNavComplete, {u"pNotify"})
                .method(u"OnWindowCreate", &FormObject::OnWindowCreate, {u"pNotify"})
                .build();
        return info;
    }

    // widget: the window, or nullptr for a windowless control drawn at geometry inside container.
    FormObject(std::u16string name, QWidget* widget, ObjectRef container = {}, QRect geometry = {})
        : m_name(std::move(name)),
          m_widget(widget),
          m_container(std::move(container)),
          m_geometry(geometry) {}

    std::int32_t hWnd() const {
        if (!m_windowed) throw RuntimeError(err::NoSuchMember, u"Label");
        return static_cast<std::int32_t>(handleOf(m_widget.data()));
    }
    std::u16string Name() const { return m_name; }
    ObjectRef Container() const { return m_container; }
    double Left() const { return rect().x() * twipsPerPixelX(); }
    double Top() const { return rect().y() * twipsPerPixelY(); }
    double Width() const { return rect().width() * twipsPerPixelX(); }
    double Height() const { return rect().height() * twipsPerPixelY(); }
    void OnHelp(Variant info) { helpCalls.push_back(std::move(info)); }
    void OnContextMenu(std::int32_t hwnd) { contextMenus.push_back(hwnd); }
    // The viewer's notifications arrive as their address; the record lives for the call.
    void OnNavComplete(double address) { navigated.push_back(urlAt(address)); }
    void OnWindowCreate(double address) { created.push_back(urlAt(address)); }

    void makeWindowless() { m_windowed = false; }

    std::vector<Variant> helpCalls;
    std::vector<std::int32_t> contextMenus;
    std::vector<std::string> navigated;
    std::vector<std::string> created;

  private:
    static std::string urlAt(double address) {
        const auto* note = reinterpret_cast<const HHN_NOTIFY*>(static_cast<std::uintptr_t>(address));
        return note->pszUrl ? note->pszUrl : "";
    }
    QRect rect() const { return m_windowed && m_widget ? m_widget->geometry() : m_geometry; }

    std::u16string m_name;
    QPointer<QWidget> m_widget;
    ObjectRef m_container;
    QRect m_geometry;
    bool m_windowed = true;
};

// A form as the programs hand one over: its window and name, no help handlers of its own.
class PlainForm : public Dispatchable<PlainForm> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info = ClassBuilder<PlainForm>(u"PlainForm")
                                          .propertyGet(u"hWnd", &PlainForm::hWnd)
                                          .propertyGet(u"Name", &PlainForm::Name)
                                          .build();
        return info;
    }
    explicit PlainForm(QWidget* widget) : m_widget(widget) {}
    std::int32_t hWnd() const { return static_cast<std::int32_t>(handleOf(m_widget.data())); }
    std::u16string Name() const { return u"frmMain"; }

  private:
    QPointer<QWidget> m_widget;
};

inline Ref<FormObject> formObject(std::u16string name, QWidget* widget) {
    return makeObject<FormObject>(std::move(name), widget);
}
inline Ref<FormObject> controlObject(std::u16string name, QWidget* widget, const Ref<FormObject>& form) {
    return makeObject<FormObject>(std::move(name), widget, ObjectRef(form));
}
inline Ref<FormObject> labelObject(std::u16string name, const Ref<FormObject>& form, QRect geometry) {
    auto label = makeObject<FormObject>(std::move(name), nullptr, ObjectRef(form), geometry);
    label->makeWindowless();
    return label;
}

}  // namespace velmora::test
