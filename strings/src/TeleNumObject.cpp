#include "TeleNumObject.h"

#include "PHONENUMBER.h"

namespace velmora {

namespace {

std::u16string digitsOf(std::u16string_view text) {
    std::u16string digits;
    for (char16_t c : text)
        if (c >= u'0' && c <= u'9') digits += c;
    return digits;
}

// Area code and prefix pass through a number, so their leading zeros go; the line keeps its own.
std::int32_t numberOf(std::u16string_view digits) {
    return Variant(std::u16string(digits)).toLong();
}

std::u16string joined(const PHONENUMBER& parts) {
    return Variant(parts.AREACODE).toString() + Variant(parts.PREFIX).toString() + parts.NUMBER;
}

}  // namespace

const ClassInfo& TeleNumObject::describe() {
    static const ClassInfo info = ClassBuilder<TeleNumObject>(u"TeleNumObject")
                                      .method(u"DispTel", &TeleNumObject::DispTel, {u"MyString"})
                                      .method(u"ParseNumber", &TeleNumObject::ParseNumber, {u"Nbr"})
                                      .build();
    return info;
}

std::u16string TeleNumObject::DispTel(std::u16string MyString) {
    const std::u16string d = digitsOf(MyString);
    const std::u16string_view v = d;
    switch (d.size()) {
        case 10:
            return u"(" + std::u16string(v.substr(0, 3)) + u") " + std::u16string(v.substr(3, 3)) + u"-" +
                   std::u16string(v.substr(6, 4));
        case 11:
            return u"(" + std::u16string(v.substr(1, 3)) + u") " + std::u16string(v.substr(4, 3)) + u"-" +
                   std::u16string(v.substr(7, 4));
        case 7:
            return std::u16string(v.substr(0, 3)) + u"-" + std::u16string(v.substr(3, 4));
        default:
            return MyString;
    }
}

std::u16string TeleNumObject::ParseNumber(std::u16string Nbr) {
    const std::u16string d = digitsOf(Nbr);
    const std::u16string_view v = d;
    PHONENUMBER parts;
    if (d.size() == 7) {
        parts.AREACODE = 415;
        parts.PREFIX = numberOf(v.substr(0, 3));
        parts.NUMBER = v.substr(3, 4);
    } else if (d.size() == 10) {
        parts.AREACODE = numberOf(v.substr(0, 3));
        parts.PREFIX = numberOf(v.substr(3, 3));
        parts.NUMBER = v.substr(6, 4);
    } else if (d.size() == 11 && d[0] == u'1') {
        parts.DIALCODE = 1;
        parts.AREACODE = numberOf(v.substr(1, 3));
        parts.PREFIX = numberOf(v.substr(4, 3));
        parts.NUMBER = v.substr(7, 4);
    } else {
        return d;
    }
    return joined(parts);
}

}  // namespace velmora
