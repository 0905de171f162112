#include "progress/ProgressObject.h"

#include "component/ClassBuilder.h"
#include "runtime/Error.h"

namespace velmora {

const ClassInfo& ProgressObject::describe() {
    using P = ProgressObject;
    static const ClassInfo info =
        ClassBuilder<P>(u"ProgressObject")
            .property(u"CloseOnComplete", &P::CloseOnComplete, &P::setCloseOnComplete)
            .propertyLet(u"Max", &P::setMax)
            .propertyGet(u"Max", &P::Max)
            .propertyLet(u"Min", &P::setMin)
            .propertyGet(u"Min", &P::Min)
            .propertyLet(u"value", &P::setValue)
            .propertyGet(u"value", &P::value)
            .propertyLet(u"StatusText", &P::setStatusText)
            .propertyGet(u"StatusText", &P::StatusText)
            .propertyLet(u"FormCation", &P::setFormCation)
            .propertyGet(u"FormCaption", &P::FormCaption)
            .propertyGet(u"Animation", &P::Animation)
            .method(
                u"Initialize", &P::Initialize,
                {opt(u"FormCaption", u"Progress"), opt(u"strProgStatus", u"Initializing"), opt(u"progMin", 0),
                 opt(u"progMax", 100), opt(u"Anim", 0), opt(u"CanCancel", false), opt(u"AlwaysOnTop", false)})
            .method(u"Terminate", &P::Terminate)
            .method(u"AddValue", &P::AddValue, {u"lngStep"})
            .event(u"Error", {arg(u"lngNumber", VarType::Long), arg(u"Description", VarType::String),
                              arg(u"Module", VarType::String), arg(u"Object", VarType::String)})
            .event(u"Cancelled")
            .build();
    return info;
}

ProgressObject::ProgressObject() {
    frmProgressBar::warmUpSoon();
}

ProgressObject::~ProgressObject() {
    if (m_initialised) Terminate();
    if (frmProgressBar* form = window()) form->Unload();
}

frmProgressBar* ProgressObject::window() const {
    return m_window && m_window->loaded() ? m_window.data() : nullptr;
}

void ProgressObject::setMax(std::int32_t max) {
    if (!m_initialised || max < 0 || max <= m_min) return;
    m_max = max;
    if (frmProgressBar* form = window()) form->setMax(max);
}

void ProgressObject::setMin(std::int32_t min) {
    if (!m_initialised || min < 0 || min >= m_max) return;
    m_min = min;
    if (frmProgressBar* form = window()) form->setMin(min);
}

void ProgressObject::setValue(std::int32_t value) {
    if (!m_initialised) return;
    if (value != m_value)
        if (frmProgressBar* form = window()) form->setValue(value);
    m_value = value;
}

void ProgressObject::setStatusText(const std::u16string& text) {
    if (!m_initialised || text == m_statusText) return;
    m_statusText = text;
    if (frmProgressBar* form = window()) form->setTask(text);
}

void ProgressObject::setFormCation(const std::u16string& caption) {
    if (!m_initialised) return;
    std::u16string title;
    if (!caption.empty() && caption != m_formCaption)
        title = caption;
    else if (caption.empty() && !m_formCaption.empty())
        title = u"Progress";
    else
        return;
    m_formCaption = title;
    if (frmProgressBar* form = window()) form->setWindowTitle(QString::fromStdU16String(title));
}

void ProgressObject::Initialize(const std::u16string& formCaption, const std::u16string& strProgStatus,
                                std::int32_t progMin, std::int32_t progMax, std::int32_t anim,
                                bool& canCancel, bool& alwaysOnTop) {
    m_formCaption = formCaption;
    m_statusText = strProgStatus;
    m_min = progMin;
    m_max = progMax;
    m_animation = anim;
    if (!window()) m_window = new frmProgressBar();
    bool success = false;
    m_window->BeginControl(formCaption, strProgStatus, progMin, progMax, anim, success);
    m_initialised = success;
    if (frmProgressBar* form = window()) {
        form->setAlwaysOnTop(alwaysOnTop);
        form->setCanCancel(canCancel);
    }
}

void ProgressObject::Terminate() {
    if (frmProgressBar* form = window()) form->Unload();
    m_statusText.clear();
    m_formCaption.clear();
    m_min = 0;
    m_max = 100;
    m_animation = 0;
    m_initialised = false;
}

void ProgressObject::AddValue(std::int32_t& lngStep) {
    if (!m_initialised) return;
    // The stored sum is checked before the window moves, so a failing call changes nothing.
    std::int32_t sum = 0;
    if (__builtin_add_overflow(m_value, lngStep, &sum)) raise(err::Overflow);
    if (frmProgressBar* form = window()) form->AddValue(lngStep);
    m_value = sum;
}

}  // namespace velmora
