// The built library end to end: registered and driven late-bound by objcall in a child process.
#include <gtest/gtest.h>

#include "HivekeepTestSupport.h"

using namespace velmora::test;

namespace {

TEST(HivekeepThroughObjcall, EveryClassAnswersLateBound) {
    // HkeyCurrentUser is 0x80000001; the root is by reference and comes back unchanged.
    Output registry = objcall({"--register", VELMORA_HIVEKEEP_PATH, "Hivekeep.RegistryObject",
                               "SetKeyValue(i32:-2147483647, s:Software\\Objcall, s:Big, 300)",
                               "SetKeyValue(i32:-2147483647, s:Software\\Objcall, s:Small, 200)",
                               "GetKeyValue(i32:-2147483647, s:Software\\Objcall, s:Small)",
                               "OpenKey(i32:-2147483647, s:Software\\Objcall, s:k)", "Count", "closeKey(s:k)",
                               "Count", "DoesKeyExist(i32:-2147483647, s:Software\\Objcall)"});
    EXPECT_EQ(registry.status, 0);
    EXPECT_TRUE(registry.text.starts_with("i32:0\ni32:0\ns:200\ni32:")) << registry.text;
    EXPECT_TRUE(registry.text.ends_with("\ni32:1\nempty\ni32:0\nb:true\n")) << registry.text;

    Output association = objcall({"Hivekeep.AssociationObject",
                                  std::string("CreateFileAss(s:zqf, s:Objcall.File, s:File, s:Open, s:") +
                                      VELMORA_OBJCALL_PATH + ", s:/v)"});
    EXPECT_EQ(association.text,
              "b:true\n"
              "  arg 1 -> s:.zqf\n"
              "  arg 4 -> s:Objcall.File\\\\shell\\\\Open\\\\command\n"
              "  arg 6 -> s: /v\n");

    Output mru = objcall({"Hivekeep.MRUObject", "MaxEntries=i16:3", "AddNew(s:a)", "AddNew(s:b)",
                          "AddNew(s:c)", "Count", "Item(i16:1)", "Save(s:Software\\ObjcallMru)"});
    EXPECT_EQ(mru.text, "empty\nb:true\nb:true\nb:true\ni16:2\ns:c\nb:true\n");
    Output reloaded =
        objcall({"Hivekeep.MRUObject", "Load(s:Software\\ObjcallMru)", "MaxEntries", "Item(i16:2)"});
    EXPECT_EQ(reloaded.text, "empty\ni16:3\ns:b\n");

    Output server =
        objcall({"Hivekeep.RegServerObject", std::string("RegSvr32(s:") + VELMORA_GOODLIB_PATH + ", b:false)",
                 "RegSvr32(s:/no/such.dll, b:true)"});
    EXPECT_EQ(server.text, "b:true\nb:false\n");
}

}  // namespace
