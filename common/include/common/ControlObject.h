// A program's form or one of its controls as the component libraries see it: an object answering hWnd,
// Name, Container and the twips rectangle by name, and, for the form, the help calls (OnHelp,
// OnContextMenu) that the help library makes on the forms taking part in help. A control whose widget is
// gone answers 0 and an empty rectangle, so a tooltip's timer that still asks is told nothing is there.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora {

class ControlObject : public Dispatchable<ControlObject> {
  public:
    static const ClassInfo& describe();

    ControlObject(std::u16string name, QWidget* widget, ObjectRef container = {});

    std::int32_t hWnd() const;
    std::u16string Name() const { return m_name; }
    ObjectRef Container() const { return m_container; }
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    // F1 on the form: the help library hands over the HELPINFO record.
    void OnHelp(Variant info);
    void OnContextMenu(std::int32_t hwnd);

    void setHelpHandler(std::function<void()> handler) { m_help = std::move(handler); }

  private:
    QRect rect() const;

    std::u16string m_name;
    QPointer<QWidget> m_widget;
    ObjectRef m_container;
    std::function<void()> m_help;
};

}  // namespace velmora
