// SystemObject's yield, through the real registered library: the mask decides whether waiting input is
// handled, and the enumeration is published with the library.
#include <gtest/gtest.h>

#include "component/CreateObject.h"
#include "component/LibraryExports.h"
#include "component/calls.h"
#include "component/hresult.h"
#include "platform/library.h"
#include "platform/queue.h"
#include "system/SystemObject.h"

using namespace velmora;

namespace {

// A fake GUI queue holding one key press until a pass of the pump handles it.
bool g_keyWaiting = false;
int g_passes = 0;

DWORD fakeStatus(UINT) {
    return g_keyWaiting ? (QS_KEY << 16 | QS_KEY) : 0;
}
void fakePass() {
    ++g_passes;
    g_keyWaiting = false;
}

class Yield : public ::testing::Test {
  protected:
    void SetUp() override {
        m_library = LoadLibraryA(VELMORA_HOSTPROBE_PATH);
        ASSERT_TRUE(m_library);
        auto reg = reinterpret_cast<HRESULT (*)()>(GetProcAddress(m_library, "DllRegisterServer"));
        ASSERT_TRUE(reg);
        ASSERT_EQ(reg(), hr::Ok);
        m_previous = setMessageQueueHook({&fakeStatus, &fakePass});
        g_keyWaiting = false;
        g_passes = 0;
    }
    void TearDown() override {
        setMessageQueueHook(m_previous);
        if (auto unreg = reinterpret_cast<HRESULT (*)()>(GetProcAddress(m_library, "DllUnregisterServer")))
            unreg();
        FreeLibrary(m_library);
    }

    HMODULE m_library = nullptr;
    MessageQueueHook m_previous;
};

}  // namespace

TEST_F(Yield, ANewObjectNeverHandlesInputWhateverIsWaiting) {
    ObjectRef system = CreateObject(u"Hostprobe.SystemObject");
    EXPECT_EQ(getProperty(system, u"QueueUsed").toLong(), 0);
    g_keyWaiting = true;
    for (int i = 0; i < 3; ++i) call(system, u"Do_Events");
    EXPECT_EQ(g_passes, 0);
    EXPECT_TRUE(g_keyWaiting);
}

TEST_F(Yield, TheMaskDecidesWhetherAWaitingKeyPressIsHandled) {
    ObjectRef system = CreateObject(u"Hostprobe.SystemObject");
    struct Case {
        std::int32_t mask;
        bool handled;
    };
    for (const Case& c :
         {Case{All_Inputs, true}, Case{All_Events, true}, Case{InputOnly, true}, Case{Standard, true},
          Case{Messages, false}, Case{Mouse, false}, Case{Timer, false}, Case{MouseMove, false}}) {
        letProperty(system, u"QueueUsed", c.mask);
        g_keyWaiting = true;
        g_passes = 0;
        call(system, u"Do_Events");
        EXPECT_EQ(g_passes, c.handled ? 1 : 0) << c.mask;
        EXPECT_EQ(g_keyWaiting, !c.handled) << c.mask;
        // Nothing waiting: the pump is not run.
        call(system, u"Do_Events");
        EXPECT_EQ(g_passes, c.handled ? 1 : 0) << c.mask;
    }
}

TEST_F(Yield, TheLibraryPublishesTheMaskEnumeration) {
    auto tableOf = reinterpret_cast<const ClassTable* (*)()>(GetProcAddress(m_library, "DllGetClassTable"));
    ASSERT_TRUE(tableOf);
    const EnumInfo* masks = tableOf()->library().findEnum(u"QueueMessagesUsed");
    ASSERT_TRUE(masks);
    const std::vector<EnumInfo::Value> expected{
        {u"All_Inputs", 255}, {u"All_Events", 191}, {u"Standard", 165}, {u"Messages", 72},
        {u"InputOnly", 7},    {u"Mouse", 6},        {u"MouseMove", 2},  {u"Timer", 16}};
    EXPECT_EQ(masks->values, expected);
}
