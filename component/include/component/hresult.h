// Status codes of the class-object and registration entry points that libraries export.
#pragma once

#include "platform/win32types.h"

namespace velmora::hr {

constexpr HRESULT Ok = 0;                                                   // S_OK
constexpr HRESULT NotImplemented = static_cast<HRESULT>(0x80004001u);       // E_NOTIMPL
constexpr HRESULT NullPointer = static_cast<HRESULT>(0x80004003u);          // E_POINTER
constexpr HRESULT Failed = static_cast<HRESULT>(0x80004005u);               // E_FAIL
constexpr HRESULT ClassNotAvailable = static_cast<HRESULT>(0x80040111u);    // CLASS_E_CLASSNOTAVAILABLE
constexpr HRESULT RegisterClassFailed = static_cast<HRESULT>(0x80040201u);  // SELFREG_E_CLASS

}  // namespace velmora::hr
