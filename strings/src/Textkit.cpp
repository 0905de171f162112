// The library's class table: four stateless helper classes and the PHONENUMBER record.
#include "PHONENUMBER.h"
#include "StringObject.h"
#include "TeleNumObject.h"
#include "TimeObject.h"
#include "component/ClassTable.h"
#include "component/LibraryExports.h"
#include "strings/ParsingObject.h"

namespace {

velmora::ClassTable makeClassTable() {
    using namespace velmora;
    return ClassTable(u"Textkit")
        .add<StringObject>(u"{3C9A51E2-7B40-4D6E-9F21-5A0C8D1E7B01}", u"Textkit.StringObject")
        .add<TimeObject>(u"{3C9A51E2-7B40-4D6E-9F21-5A0C8D1E7B02}", u"Textkit.TimeObject")
        .add<TeleNumObject>(u"{3C9A51E2-7B40-4D6E-9F21-5A0C8D1E7B03}", u"Textkit.TeleNumObject")
        .add<ParsingObject>(u"{3C9A51E2-7B40-4D6E-9F21-5A0C8D1E7B04}", u"Textkit.ParsingObject")
        .describes(PhoneNumberRecord::describe());
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
