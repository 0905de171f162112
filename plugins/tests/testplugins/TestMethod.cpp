// A real encryption-method plug-in for the tests, built several times with different behaviour:
//   TESTMETHOD_KIND 0: the full method interface; file operations report progress 0 to 100, and a key
//                      "rekey:NEW" is replaced by NEW through the by-reference KEY argument;
//   TESTMETHOD_KIND 1: lacks EncryptFile;
//   TESTMETHOD_KIND 2: every operation raises;
//   TESTMETHOD_KIND 3: registers its class under another library's name, so "<file>.Main" is missing.
// TESTMETHOD_NAME is the library name, TESTMETHOD_CLSID its class id.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "component/ClassBuilder.h"
#include "component/ClassTable.h"
#include "component/ComObject.h"
#include "component/LibraryExports.h"
#include "component/calls.h"
#include "runtime/Error.h"

namespace {

using namespace velmora;

constexpr std::u16string_view kRekey = u"rekey:";

class Main : public Dispatchable<Main> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info =
            ClassBuilder<Main>(u"Main")
                .propertyGet(u"MethodName", &Main::MethodName)
                .method(u"EncryptByte", &Main::EncryptByte, {u"ByteIn", u"KEY", u"objEventHandler"})
                .method(u"DecryptByte", &Main::DecryptByte, {u"ByteIn", u"KEY", u"objEventHandler"})
                .method(u"EncryptString", &Main::EncryptString, {u"Text", u"KEY", u"objEventHandler"})
                .method(u"DecryptString", &Main::DecryptString, {u"Text", u"KEY", u"objEventHandler"})
#if TESTMETHOD_KIND != 1
                .method(u"EncryptFile", &Main::EncryptFile,
                        {u"SourceFile", u"DestFile", u"KEY", u"objEventHandler"})
#endif
                .method(u"DecryptFile", &Main::DecryptFile,
                        {u"SourceFile", u"DestFile", u"KEY", u"objEventHandler"})
                .build();
        return info;
    }

    std::u16string MethodName() const {
        return TESTMETHOD_NAME u" test method";
    }

    // Each byte one up (down): the tests see that the call arrived and with which data.
    Variant EncryptByte(Variant& ByteIn, std::u16string& KEY, ObjectRef& handler) {
        return shifted(ByteIn, KEY, handler, 1);
    }
    Variant DecryptByte(Variant& ByteIn, std::u16string& KEY, ObjectRef& handler) {
        return shifted(ByteIn, KEY, handler, -1);
    }
    // The text and the key the plug-in was given.
    std::u16string EncryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& handler) {
        work(KEY, handler);
        return u"E(" + Text + u"|" + KEY + u")";
    }
    std::u16string DecryptString(std::u16string& Text, std::u16string& KEY, ObjectRef& handler) {
        work(KEY, handler);
        return u"D(" + Text + u"|" + KEY + u")";
    }
    // Progress 0 to 100; true. A destination named "report" is reported as an error and gives false.
    bool EncryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                     ObjectRef& handler) {
        work(KEY, handler);
        for (std::int32_t percent = 0; percent <= 100; ++percent) call(handler, u"RaiseProgress", percent);
        if (DestFile == u"report") {
            call(handler, u"RaiseError", vbObjectError + 7, u"Reported: " + SourceFile, u"Main:EncryptFile");
            return false;
        }
        return true;
    }
    bool DecryptFile(std::u16string& SourceFile, std::u16string& DestFile, std::u16string& KEY,
                     ObjectRef& handler) {
        return EncryptFile(SourceFile, DestFile, KEY, handler);
    }

  private:
    void work(std::u16string& KEY, const ObjectRef& handler) {
#if TESTMETHOD_KIND == 2
        (void)KEY;
        (void)handler;
        raise(vbObjectError + 513, u"Raised on purpose", u"Main");
#else
        if (!handler) raise(err::ObjectNotSet);
        if (KEY.starts_with(kRekey)) KEY = KEY.substr(kRekey.size());
#endif
    }

    Variant shifted(Variant& bytesIn, std::u16string& KEY, const ObjectRef& handler, int step) {
        work(KEY, handler);
        std::vector<std::uint8_t> bytes = bytesIn.toBytes();
        std::transform(bytes.begin(), bytes.end(), bytes.begin(),
                       [step](std::uint8_t b) { return static_cast<std::uint8_t>(b + step); });
        return Variant(std::move(bytes));
    }
};

ClassTable makeClassTable() {
#if TESTMETHOD_KIND == 3
    return ClassTable(u"Elsewhere").add<Main>(TESTMETHOD_CLSID, u"Elsewhere.Main");
#else
    return ClassTable(TESTMETHOD_NAME).add<Main>(TESTMETHOD_CLSID, TESTMETHOD_NAME u".Main");
#endif
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
