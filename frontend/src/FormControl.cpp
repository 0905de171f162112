#include "FormControl.h"

#include "runtime/Error.h"
#include "ui/WindowHandles.h"
#include "ui/windows.h"

namespace velmora {

const ClassInfo& FormControl::describe() {
    static const ClassInfo info = ClassBuilder<FormControl>(u"FormControl")
                                      .propertyGet(u"hWnd", &FormControl::hWnd)
                                      .propertyGet(u"Name", &FormControl::Name)
                                      .propertyGet(u"Container", &FormControl::Container)
                                      .propertyGet(u"Left", &FormControl::Left)
                                      .propertyGet(u"Top", &FormControl::Top)
                                      .propertyGet(u"Width", &FormControl::Width)
                                      .propertyGet(u"Height", &FormControl::Height)
                                      .build();
    return info;
}

FormControl::FormControl(std::u16string name, QWidget* widget, ObjectRef container)
    : m_name(std::move(name)), m_widget(widget), m_container(std::move(container)) {}

QWidget& FormControl::widget() const {
    if (!m_widget) raise(err::ObjectNotSet);
    return *m_widget;
}

std::int32_t FormControl::hWnd() const {
    return static_cast<std::int32_t>(handleOf(&widget()));
}

double FormControl::Left() const {
    return widget().x() * twipsPerPixelX();
}

double FormControl::Top() const {
    return widget().y() * twipsPerPixelY();
}

double FormControl::Width() const {
    return widget().width() * twipsPerPixelX();
}

double FormControl::Height() const {
    return widget().height() * twipsPerPixelY();
}

}  // namespace velmora
