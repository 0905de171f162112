#include "SystemRecords.h"

#include <initializer_list>
#include <vector>

namespace velmora {
namespace {

// Each field as a property get and let, in field order.
template <class Record>
std::vector<MemberInfo> longFieldMembers(std::initializer_list<const char16_t*> names) {
    std::vector<MemberInfo> members;
    std::size_t index = 0;
    for (const char16_t* name : names) {
        members.push_back(MemberInfo{name,
                                     MemberKind::PropertyGet,
                                     {},
                                     TypeDesc{VarType::Long},
                                     false,
                                     [index](Object& self, std::span<Variant>) {
                                         return Variant(static_cast<Record&>(self).field(index));
                                     }});
        members.push_back(MemberInfo{name,
                                     MemberKind::PropertyLet,
                                     {ParamInfo{u"value", TypeDesc{VarType::Long}}},
                                     {},
                                     false,
                                     [index](Object& self, std::span<Variant> args) {
                                         static_cast<Record&>(self).setField(index, args[0].toLong());
                                         return Variant();
                                     }});
        ++index;
    }
    return members;
}

std::int32_t asLong(DWORD value) {
    return static_cast<std::int32_t>(value);
}

}  // namespace

SystemInfoRecord::SystemInfoRecord(const SYSTEM_INFO& info) {
    m_fields = {asLong(info.dwOemId),
                asLong(info.dwPageSize),
                asLong(info.lpMinimumApplicationAddress),
                asLong(info.lpMaximumApplicationAddress),
                asLong(info.dwActiveProcessorMask),
                asLong(info.dwNumberOfProcessors),
                asLong(info.dwProcessorType),
                asLong(info.dwAllocationGranularity),
                asLong(info.dwReserved)};
}

const ClassInfo& SystemInfoRecord::describe() {
    // dwNumberOrfProcessors: the library has always spelled it so, and callers read it by that name.
    static const ClassInfo info(
        u"SYSTEM_INFO",
        longFieldMembers<SystemInfoRecord>({u"dwOemID", u"dwPageSize", u"lpMinimumApplicationAddress",
                                            u"lpMaximumApplicationAddress", u"dwActiveProcessorMask",
                                            u"dwNumberOrfProcessors", u"dwProcessorType",
                                            u"dwAllocationGranularity", u"dwReserved"}));
    return info;
}

MemoryStatusRecord::MemoryStatusRecord(const MEMORYSTATUS& status) {
    m_fields = {asLong(status.dwLength),       asLong(status.dwMemoryLoad),    asLong(status.dwTotalPhys),
                asLong(status.dwAvailPhys),    asLong(status.dwTotalPageFile), asLong(status.dwAvailPageFile),
                asLong(status.dwTotalVirtual), asLong(status.dwAvailVirtual)};
}

const ClassInfo& MemoryStatusRecord::describe() {
    static const ClassInfo info(
        u"MEMORYSTATUS", longFieldMembers<MemoryStatusRecord>(
                             {u"dwLength", u"dwMemoryLoad", u"dwTotalPhys", u"dwAvailPhys",
                              u"dwTotalPageFile", u"dwAvailPageFile", u"dwTotalVirtual", u"dwAvailVirtual"}));
    return info;
}

const ClassInfo& OSVersionInfoRecord::describe() {
    static const ClassInfo info = [] {
        std::vector<MemberInfo> members =
            longFieldMembers<OSVersionInfoRecord>({u"dwOSVersionInfoSize", u"dwMajorVersion",
                                                   u"dwMinorVersion", u"dwBuildNumber", u"dwPlatformId"});
        members.push_back(MemberInfo{u"szCSDVersion",
                                     MemberKind::PropertyGet,
                                     {},
                                     TypeDesc{VarType::String},
                                     false,
                                     [](Object& self, std::span<Variant>) {
                                         return Variant(static_cast<OSVersionInfoRecord&>(self).csdVersion());
                                     }});
        members.push_back(MemberInfo{u"szCSDVersion",
                                     MemberKind::PropertyLet,
                                     {ParamInfo{u"value", TypeDesc{VarType::String}}},
                                     {},
                                     false,
                                     [](Object& self, std::span<Variant> args) {
                                         static_cast<OSVersionInfoRecord&>(self).setCsdVersion(
                                             args[0].toString());
                                         return Variant();
                                     }});
        return ClassInfo(u"OSVERSIONINFO", std::move(members));
    }();
    return info;
}

}  // namespace velmora
