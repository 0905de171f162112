// Text listings of type descriptions, one declaration per line, for tools and diagnostics:
//
//   Class Sample
//       Property Get Name() As String
//       Function Scale(ByVal Value As Long, Optional ByVal Factor As Long = 2) As Long
//       Event Progress(Percent As Long)
//   End Class
#pragma once

#include <string>

#include "component/ClassInfo.h"
#include "component/EnumInfo.h"
#include "component/LibraryInfo.h"

namespace velmora {

std::u16string typeText(TypeDesc type);  // "Long", "Byte()", "Variant", ...
std::u16string listMember(const MemberInfo& member);
std::u16string listClass(const ClassInfo& info);
std::u16string listEnum(const EnumInfo& info);
std::u16string listLibrary(const LibraryInfo& library);

}  // namespace velmora
