#include "system/SystemObject.h"

#include <array>
#include <cstring>
#include <string_view>

#include "HostQueries.h"
#include "ReleaseDetection.h"
#include "SystemRecords.h"
#include "runtime/Error.h"
#include "runtime/stringfunctions.h"
#include "runtime/text.h"

namespace velmora {
namespace {

constexpr std::size_t kNameBuffer = 255;
constexpr int kLocaleBuffer = 100;

// The text before the first NUL of a buffer the platform filled, or the whole buffer without one.
std::u16string bufferText(const char* buffer, std::size_t size) {
    return fromUtf8(std::string_view(buffer, strnlen(buffer, size)));
}

}  // namespace

SystemObject::SystemObject() : SystemObject(platformQueries()) {}

SystemObject::SystemObject(const HostQueries& queries)
    : m_queries(&queries), m_release(detectRelease(queries)) {}

template <class Query>
std::u16string SystemObject::cached(std::optional<std::u16string>& cache, Query query) {
    if (!cache) {
        std::array<char, kNameBuffer + 1> buffer{};
        query(buffer.data(), static_cast<DWORD>(kNameBuffer));
        cache = Trim(bufferText(buffer.data(), kNameBuffer));
    }
    return *cache;
}

std::u16string SystemObject::TempDirectory() {
    // No folder at all (the private one is another user's or a link) must not turn into "", which would
    // put decrypted copies into whatever the current folder is.
    return cached(m_tempDirectory, [this](char* buffer, DWORD size) {
        if (m_queries->getTempPath(size, buffer) == 0) raise(err::PermissionDenied);
    });
}

std::u16string SystemObject::WindowsDirectory() {
    return cached(m_windowsDirectory,
                  [this](char* buffer, DWORD size) { m_queries->getWindowsDirectory(buffer, size); });
}

std::u16string SystemObject::SystemDirectory() {
    return cached(m_systemDirectory,
                  [this](char* buffer, DWORD size) { m_queries->getSystemDirectory(buffer, size); });
}

std::u16string SystemObject::ComputerName() {
    return cached(m_computerName,
                  [this](char* buffer, DWORD size) { m_queries->getComputerName(buffer, &size); });
}

void SystemObject::setComputerName(const std::u16string& name) {
    if (m_queries->setComputerName(toUtf8(Trim(name)).c_str())) m_computerName = name;
}

std::u16string SystemObject::UserLoggedOn() {
    std::array<char, kNameBuffer + 1> buffer{};
    DWORD size = kNameBuffer;
    m_queries->getUserName(buffer.data(), &size);
    return Trim(bufferText(buffer.data(), kNameBuffer));
}

std::u16string SystemObject::localeItem(std::uint32_t item) {
    // 100 characters of which 99 are offered: the last one is always a NUL the platform cannot overwrite.
    std::array<char, kLocaleBuffer> buffer{};
    m_queries->getLocaleInfo(LOCALE_USER_DEFAULT, item, buffer.data(), kLocaleBuffer - 1);
    if (std::memchr(buffer.data(), '\0', kLocaleBuffer - 1) == nullptr) return {};
    return fromUtf8(buffer.data());
}

std::u16string SystemObject::LocaleLanguage() {
    return localeItem(LOCALE_SLANGUAGE);
}
std::u16string SystemObject::LocaleDate() {
    return localeItem(LOCALE_ILDATE);
}
std::u16string SystemObject::LocaleCountry() {
    return localeItem(LOCALE_SCOUNTRY);
}
std::u16string SystemObject::LocaleCurrency() {
    return localeItem(LOCALE_SCURRENCY);
}

ObjectRef SystemObject::SystemInfo() {
    SYSTEM_INFO info{};
    m_queries->getSystemInfo(&info);
    return makeObject<SystemInfoRecord>(info);
}

ObjectRef SystemObject::MemStatus() {
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    m_queries->globalMemoryStatus(&status);
    return makeObject<MemoryStatusRecord>(status);
}

const ClassInfo& SystemObject::describe() {
    static const ClassInfo info =
        ClassBuilder<SystemObject>(u"SystemObject")
            .property(u"QueueUsed", &SystemObject::QueueUsed, &SystemObject::setQueueUsed)
            .method(u"Do_Events", &SystemObject::Do_Events)
            .propertyGet(u"OSName", &SystemObject::OSName)
            .propertyGet(u"OSVersion", &SystemObject::OSVersion)
            .propertyGet(u"OSBuild", &SystemObject::OSBuild)
            .propertyGet(u"OSSuite", &SystemObject::OSSuite)
            .propertyGet(u"OSAdditional", &SystemObject::OSAdditional)
            .propertyGet(u"OSProductType", &SystemObject::OSProductType)
            .propertyGet(u"OSServicePack", &SystemObject::OSServicePack)
            .propertyGet(u"TempDirectory", &SystemObject::TempDirectory)
            .propertyGet(u"WindowsDirectory", &SystemObject::WindowsDirectory)
            .propertyGet(u"SystemDirectory", &SystemObject::SystemDirectory)
            .property(u"ComputerName", &SystemObject::ComputerName, &SystemObject::setComputerName)
            .propertyGet(u"UserLoggedOn", &SystemObject::UserLoggedOn)
            .propertyGet(u"LocaleLanguage", &SystemObject::LocaleLanguage)
            .propertyGet(u"LocaleDate", &SystemObject::LocaleDate)
            .propertyGet(u"LocaleCountry", &SystemObject::LocaleCountry)
            .propertyGet(u"LocaleCurrency", &SystemObject::LocaleCurrency)
            .propertyGet(u"SystemInfo", &SystemObject::SystemInfo)
            .propertyGet(u"MemStatus", &SystemObject::MemStatus)
            .build();
    return info;
}

}  // namespace velmora
