#include "PHONENUMBER.h"

namespace velmora {

const ClassInfo& PhoneNumberRecord::describe() {
    static const ClassInfo info =
        ClassBuilder<PhoneNumberRecord>(u"PHONENUMBER")
            .property(u"DIALCODE", &PhoneNumberRecord::dialCode, &PhoneNumberRecord::setDialCode)
            .property(u"AREACODE", &PhoneNumberRecord::areaCode, &PhoneNumberRecord::setAreaCode)
            .property(u"PREFIX", &PhoneNumberRecord::prefix, &PhoneNumberRecord::setPrefix)
            .property(u"NUMBER", &PhoneNumberRecord::number, &PhoneNumberRecord::setNumber)
            .build();
    return info;
}

}  // namespace velmora
