// The connectivity query the mail client asks before it dials (InternetGetConnectedState), answered from
// the desktop's network monitor (GIO). There are no dial-up or proxy settings here: a connected machine
// reports INTERNET_CONNECTION_LAN, one without a usable network INTERNET_CONNECTION_OFFLINE.
#pragma once

#include "platform/win32types.h"

constexpr DWORD INTERNET_CONNECTION_MODEM = 0x01;
constexpr DWORD INTERNET_CONNECTION_LAN = 0x02;
constexpr DWORD INTERNET_CONNECTION_PROXY = 0x04;
constexpr DWORD INTERNET_RAS_INSTALLED = 0x10;
constexpr DWORD INTERNET_CONNECTION_OFFLINE = 0x20;
constexpr DWORD INTERNET_CONNECTION_CONFIGURED = 0x40;

// TRUE when the network monitor says a network is available, with INTERNET_CONNECTION_LAN |
// INTERNET_CONNECTION_CONFIGURED in *lpdwFlags; FALSE with INTERNET_CONNECTION_OFFLINE otherwise.
// lpdwFlags may be null; dwReserved must be 0 (ERROR_INVALID_PARAMETER and FALSE otherwise).
BOOL InternetGetConnectedState(LPDWORD lpdwFlags, DWORD dwReserved);
