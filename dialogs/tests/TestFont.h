// A font object as callers hand one in, for the font dialog's tests and its screen-reader run.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace velmora::test {

class TestFont : public Dispatchable<TestFont> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info =
            ClassBuilder<TestFont>(u"StdFont")
                .property(u"Name", &TestFont::name, &TestFont::setName)
                .property(u"Size", &TestFont::size, &TestFont::setSize)
                .property(u"Bold", &TestFont::bold, &TestFont::setBold)
                .property(u"Italic", &TestFont::italic, &TestFont::setItalic)
                .property(u"Underline", &TestFont::underline, &TestFont::setUnderline)
                .property(u"Strikethrough", &TestFont::strike, &TestFont::setStrike)
                .property(u"Charset", &TestFont::charset, &TestFont::setCharset)
                .build();
        return info;
    }
    std::u16string name() const { return m_name; }
    void setName(std::u16string v) { m_name = std::move(v); }
    double size() const { return m_size; }
    void setSize(double v) { m_size = v; }
    bool bold() const { return m_bold; }
    void setBold(bool v) { m_bold = v; }
    bool italic() const { return m_italic; }
    void setItalic(bool v) { m_italic = v; }
    bool underline() const { return m_underline; }
    void setUnderline(bool v) { m_underline = v; }
    bool strike() const { return m_strike; }
    void setStrike(bool v) { m_strike = v; }
    std::int32_t charset() const { return m_charset; }
    void setCharset(std::int32_t v) { m_charset = v; }

    std::u16string m_name = u"Sans Serif";
    double m_size = 10;
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    bool m_strike = false;
    std::int32_t m_charset = 0;
};

}  // namespace velmora::test
