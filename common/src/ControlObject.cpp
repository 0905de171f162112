#include "common/ControlObject.h"

#include "ui/WindowHandles.h"
#include "ui/windows.h"

namespace velmora {

const ClassInfo& ControlObject::describe() {
    using C = ControlObject;
    static const ClassInfo info = ClassBuilder<C>(u"ControlObject")
                                      .propertyGet(u"hWnd", &C::hWnd)
                                      .propertyGet(u"Name", &C::Name)
                                      .propertyGet(u"Container", &C::Container)
                                      .propertyGet(u"Left", &C::Left)
                                      .propertyGet(u"Top", &C::Top)
                                      .propertyGet(u"Width", &C::Width)
                                      .propertyGet(u"Height", &C::Height)
                                      .method(u"OnHelp", &C::OnHelp, {u"info"})
                                      .method(u"OnContextMenu", &C::OnContextMenu, {u"hwnd"})
                                      .build();
    return info;
}

ControlObject::ControlObject(std::u16string name, QWidget* widget, ObjectRef container)
    : m_name(std::move(name)), m_widget(widget), m_container(std::move(container)) {}

std::int32_t ControlObject::hWnd() const {
    return static_cast<std::int32_t>(handleOf(m_widget.data()));
}

QRect ControlObject::rect() const {
    return m_widget ? m_widget->geometry() : QRect();
}

double ControlObject::Left() const {
    return rect().x() * twipsPerPixelX();
}
double ControlObject::Top() const {
    return rect().y() * twipsPerPixelY();
}
double ControlObject::Width() const {
    return rect().width() * twipsPerPixelX();
}
double ControlObject::Height() const {
    return rect().height() * twipsPerPixelY();
}

void ControlObject::OnHelp(Variant) {
    if (m_help) m_help();
}

void ControlObject::OnContextMenu(std::int32_t) {}

}  // namespace velmora
