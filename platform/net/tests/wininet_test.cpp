// The connectivity query: its flags agree with its answer, and misuse is refused as the original refuses it.
#include <gtest/gtest.h>

#include "platform/wininet.h"

TEST(InternetGetConnectedState, FlagsAgreeWithTheAnswer) {
    DWORD flags = 0xFFFF;
    const BOOL online = InternetGetConnectedState(&flags, 0);
    if (online)
        EXPECT_EQ(flags, INTERNET_CONNECTION_LAN | INTERNET_CONNECTION_CONFIGURED);
    else
        EXPECT_EQ(flags, INTERNET_CONNECTION_OFFLINE);
    EXPECT_EQ(InternetGetConnectedState(nullptr, 0), online);  // the flags are optional
}

TEST(InternetGetConnectedState, ReservedMustBeZero) {
    DWORD flags = 0;
    SetLastError(0);
    EXPECT_EQ(InternetGetConnectedState(&flags, 1), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
