#include "PlatformRecords.h"

#include <cmath>
#include <cstring>

#include "component/calls.h"

namespace velmora {
namespace {

struct FieldSpec {
    const char16_t* name;
    VarType type;
};

RecordObject& asRecord(Object& self) {
    return static_cast<RecordObject&>(self);
}

// Each field as a property get and let (set for a nested record), in field order.
ClassInfo describeRecord(std::u16string name, std::initializer_list<FieldSpec> fields) {
    std::vector<MemberInfo> members;
    std::size_t index = 0;
    for (const FieldSpec& field : fields) {
        const TypeDesc type{field.type};
        const bool isObject = field.type == VarType::Object;
        members.push_back(MemberInfo{
            field.name, MemberKind::PropertyGet, {}, type, false, [index](Object& self, std::span<Variant>) {
                return asRecord(self).field(index);
            }});
        members.push_back(MemberInfo{field.name,
                                     isObject ? MemberKind::PropertySet : MemberKind::PropertyLet,
                                     {ParamInfo{u"value", type}},
                                     {},
                                     false,
                                     [index](Object& self, std::span<Variant> args) {
                                         asRecord(self).field(index) = args[0];
                                         return Variant();
                                     }});
        ++index;
    }
    return ClassInfo(std::move(name), std::move(members));
}

const ClassInfo& fileTimeInfo() {
    static const ClassInfo info =
        describeRecord(u"FILETIME", {{u"dwLowDateTime", VarType::Long}, {u"dwHighDateTime", VarType::Long}});
    return info;
}

const ClassInfo& systemTimeInfo() {
    static const ClassInfo info = describeRecord(u"SYSTEMTIME", {{u"wYear", VarType::Integer},
                                                                 {u"wMonth", VarType::Integer},
                                                                 {u"wDayOfWeek", VarType::Integer},
                                                                 {u"wDay", VarType::Integer},
                                                                 {u"wHour", VarType::Integer},
                                                                 {u"wMinute", VarType::Integer},
                                                                 {u"wSecond", VarType::Integer},
                                                                 {u"wMilliseconds", VarType::Integer}});
    return info;
}

const ClassInfo& ofStructInfo() {
    static const ClassInfo info = describeRecord(u"OFSTRUCT", {{u"cBytes", VarType::Byte},
                                                               {u"fFixedDisk", VarType::Byte},
                                                               {u"nErrCode", VarType::Integer},
                                                               {u"Reserved1", VarType::Integer},
                                                               {u"Reserved2", VarType::Integer},
                                                               {u"szPathName", VarType::String}});
    return info;
}

const ClassInfo& handleInformationInfo() {
    static const ClassInfo info =
        describeRecord(u"BY_HANDLE_FILE_INFORMATION", {{u"dwFileAttributes", VarType::Long},
                                                       {u"ftCreationTime", VarType::Object},
                                                       {u"ftLastAccessTime", VarType::Object},
                                                       {u"ftLastWriteTime", VarType::Object},
                                                       {u"dwVolumeSerialNumber", VarType::Long},
                                                       {u"nFileSizeHigh", VarType::Long},
                                                       {u"nFileSizeLow", VarType::Long},
                                                       {u"nNumberOfLinks", VarType::Long},
                                                       {u"nFileIndexHigh", VarType::Long},
                                                       {u"nFileIndexLow", VarType::Long}});
    return info;
}

const ClassInfo& securityAttributesInfo() {
    static const ClassInfo info =
        describeRecord(u"SECURITY_ATTRIBUTES", {{u"nLength", VarType::Long},
                                                {u"lpSecurityDescriptor", VarType::Long},
                                                {u"bInheritHandle", VarType::Long}});
    return info;
}

constexpr double kTwoTo32 = 4294967296.0;

}  // namespace

RecordObject::RecordObject(const ClassInfo& info, std::size_t fieldCount) : m_info(info) {
    m_fields.resize(fieldCount);
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const MemberInfo& getter = info.members()[2 * i];
        m_fields[i] = getter.result.type == VarType::Object ? Variant::nothing() : zeroValueOf(getter.result);
    }
}

std::span<const ClassInfo* const> platformRecords() {
    static const ClassInfo* const records[] = {&fileTimeInfo(), &systemTimeInfo(), &ofStructInfo(),
                                               &handleInformationInfo(), &securityAttributesInfo()};
    return records;
}

ObjectRef makeFileTimeRecord(const FILETIME& time) {
    auto record = makeObject<RecordObject>(fileTimeInfo(), 2);
    record->field(0) = static_cast<std::int32_t>(time.dwLowDateTime);
    record->field(1) = static_cast<std::int32_t>(time.dwHighDateTime);
    return ObjectRef(record);
}

bool fileTimeOf(const Variant& value, FILETIME& time) {
    if (value.isObject()) {
        const ObjectRef record = value.toObject();
        if (!record) return false;
        time.dwLowDateTime = static_cast<DWORD>(getProperty(record, u"dwLowDateTime").toLong());
        time.dwHighDateTime = static_cast<DWORD>(getProperty(record, u"dwHighDateTime").toLong());
        return true;
    }
    if (value.isArray() && value.type() == VarType::Byte && value.isAllocatedArray()) {
        const std::vector<std::uint8_t> bytes = value.toBytes();
        if (bytes.size() != sizeof(FILETIME)) return false;
        std::memcpy(&time, bytes.data(), sizeof time);
        return true;
    }
    if (!value.isArray() && value.isNumeric() && !value.isEmpty()) {
        const double ticks = std::floor(value.toDouble());
        if (ticks < 0 || ticks >= kTwoTo32 * kTwoTo32) return false;
        time.dwHighDateTime = static_cast<DWORD>(ticks / kTwoTo32);
        time.dwLowDateTime = static_cast<DWORD>(ticks - time.dwHighDateTime * kTwoTo32);
        return true;
    }
    return false;
}

}  // namespace velmora
