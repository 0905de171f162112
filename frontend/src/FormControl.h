// A form or one of its controls as the suite's libraries see it: an object answering hWnd, Name,
// Container and the twips rectangle, over a widget of the dialog. The tooltips find their windows
// through it.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

class FormControl : public Dispatchable<FormControl> {
  public:
    static const ClassInfo& describe();

    // container: the form holding the control (Nothing for a form itself).
    FormControl(std::u16string name, QWidget* widget, ObjectRef container = {});

    // Error 91 once the widget is gone.
    std::int32_t hWnd() const;
    std::u16string Name() const { return m_name; }
    ObjectRef Container() const { return m_container; }
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;

  private:
    QWidget& widget() const;

    std::u16string m_name;
    QPointer<QWidget> m_widget;
    ObjectRef m_container;
};

}  // namespace velmora
