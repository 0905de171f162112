// The Gaugebox type library: its classes with the identifiers clients bind to, and AnimationType.
#pragma once

#include "component/ClassTable.h"

namespace velmora::gaugebox {

inline constexpr char16_t kLibraryName[] = u"Gaugebox";
inline constexpr char16_t kHelpString[] = u"Zu - Progress Library";

inline constexpr char16_t kClsidProgressObject[] = u"{CA431B5E-1414-4F18-A01B-978BC1D6A836}";
inline constexpr char16_t kIidProgressObject[] =
    u"{840B3A75-2217-4E07-A643-F1BC668AB95C}";  // _ProgressObject
inline constexpr char16_t kIidProgressObjectEvents[] =
    u"{725A9FF8-408D-4E01-9CFB-4B8DF11C6C96}";  // __ProgressObject
inline constexpr char16_t kClsidProgressEnums[] = u"{923D57CD-0307-4295-9332-007C5EF97459}";
inline constexpr char16_t kGuidAnimationType[] = u"{9D804D1A-BB69-4A80-8EAE-15D044EA58F5}";

const ClassTable& classTable();

}  // namespace velmora::gaugebox
