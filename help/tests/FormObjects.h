// Forms and controls as the help library sees them: objects over real (offscreen) widgets answering hWnd,
// Name, Container and the twips rectangle. A label has no window: reading its hWnd raises 438, as
// asking a windowless control for one does.
#pragma once

#include <QPointer>
#include <QWidget>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "runtime/Error.h"
#include "ui/WindowHandles.h"
#include "ui/windows.h"

namespace velmora::test {

class FormObject : public Dispatchable<FormObject> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info = ClassBuilder<FormObject>(u"FormObject")
                                          .propertyGet(u"hWnd", &FormObject::hWnd)
                                          .propertyGet(u"Name", &FormObject::Name)
                                          .propertyGet(u"Container", &FormObject::Container)
                                          .propertyGet(u"Left", &FormObject::Left)
                                          .propertyGet(u"Top", &FormObject::Top)
                                          .propertyGet(u"Width", &FormObject::Width)
                                          .propertyGet(u"Height", &FormObject::Height)
                                          .method(u"OnHelp", &FormObject::OnHelp, {u"info"})
                                          .method(u"OnContextMenu", &FormObject::OnContextMenu, {u"hwnd"})
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

    void makeWindowless() { m_windowed = false; }

    std::vector<Variant> helpCalls;
    std::vector<std::int32_t> contextMenus;

  private:
    QRect rect() const { return m_windowed && m_widget ? m_widget->geometry() : m_geometry; }

    std::u16string m_name;
    QPointer<QWidget> m_widget;
    ObjectRef m_container;
    QRect m_geometry;
    bool m_windowed = true;
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
