// keybd_event: synthesised key presses. This platform has no keyboard queue shared with other programs,
// so only the shell's own hot keys are served: Windows+F and Ctrl+Windows+F start the desktop's file
// search (platform/DesktopSettings.h) when F goes down; every other key only updates the modifier state.
#pragma once

#include "platform/win32types.h"

constexpr BYTE VK_CONTROL = 0x11;
constexpr BYTE VK_LCONTROL = 0xA2;
constexpr BYTE VK_RCONTROL = 0xA3;
constexpr BYTE VK_LWIN = 0x5B;
constexpr BYTE VK_RWIN = 0x5C;
constexpr BYTE VK_F_KEY = 0x46;  // 'F'
constexpr DWORD KEYEVENTF_EXTENDEDKEY = 0x1;
constexpr DWORD KEYEVENTF_KEYUP = 0x2;

void keybd_event(BYTE bVk, BYTE bScan, DWORD dwFlags, std::uintptr_t dwExtraInfo);
