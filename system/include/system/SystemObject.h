// SystemObject: what the system library tells its callers about the machine (release, folders, names,
// locale, processor and memory figures), and the cooperative yield that long loops call between units of
// work so that the caller's user interface stays alive.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "platform/queue.h"
#include "runtime/exports.h"

namespace velmora {

struct HostQueries;

// Masks of the kinds of waiting input Do_Events reacts to (GetQueueStatus flags).
enum QueueMessagesUsed : std::int32_t {
    All_Inputs = 255,
    All_Events = 191,
    Standard = 165,
    Messages = 72,
    InputOnly = 7,
    Mouse = 6,
    MouseMove = 2,
    Timer = 16,
};

enum WinProdType : std::int32_t {
    VER_NT_WORKSTATION = 1,
    VER_NT_DOMAIN_CONTROLLER = 2,
    VER_NT_SERVER = 3,
};

enum WinSuiteMask : std::int32_t {
    VER_SUITE_SMALLBUSINESS = 1,
    VER_SUITE_ENTERPRISE = 2,
    VER_SUITE_BACKOFFICE = 4,
    VER_SUITE_COMMUNICATIONS = 8,
    VER_SUITE_TERMINAL = 16,
    VER_SUITE_SMALLBUSINESS_RESTRICTED = 32,
    VER_SUITE_EMBEDDEDNT = 64,
    VER_SUITE_DATACENTER = 128,
    VER_SUITE_SINGLEUSERTS = 256,
    VER_SUITE_PERSONAL = 512,
    VER_SUITE_BLADE = 1024,
};

// The operating-system texts, worked out once when the object is made.
struct OSRelease {
    std::u16string name;
    std::u16string version;
    std::u16string build;
    std::u16string suite;
    std::u16string additional;
    std::u16string productType;
    std::u16string servicePack;
};

class VELMORA_API SystemObject : public Dispatchable<SystemObject> {
  public:
    static const ClassInfo& describe();

    // Asks the platform (or the queries given, which must outlive the object) for the release at once.
    SystemObject();
    explicit SystemObject(const HostQueries& queries);

    // Any 32-bit value is kept as given; 0 (the default) makes Do_Events a no-op.
    std::int32_t QueueUsed() const noexcept { return m_queueUsed; }
    void setQueueUsed(std::int32_t mask) noexcept { m_queueUsed = mask; }

    // Handles waiting input once when input of a kind in QueueUsed is waiting; returns at once otherwise.
    // Inline: the cipher calls it after every 32-byte block.
    void Do_Events() {
        if (GetQueueStatus(static_cast<UINT>(m_queueUsed)) != 0) velmora::processWaitingMessages();
    }

    std::u16string OSName() const { return m_release.name; }
    std::u16string OSVersion() const { return m_release.version; }
    std::u16string OSBuild() const { return m_release.build; }
    std::u16string OSSuite() const { return m_release.suite; }
    std::u16string OSAdditional() const { return m_release.additional; }
    std::u16string OSProductType() const { return m_release.productType; }
    std::u16string OSServicePack() const { return m_release.servicePack; }

    // Cached on first read. TempDirectory keeps its trailing backslash; it raises 70 "Permission denied"
    // when the platform has no private temporary folder to give.
    std::u16string TempDirectory();
    std::u16string WindowsDirectory();
    std::u16string SystemDirectory();
    std::u16string ComputerName();
    // Records the trimmed name as the machine's next name; the cache takes the value given when the
    // platform accepts it and keeps the old one otherwise. Never raises.
    void setComputerName(const std::u16string& name);

    // Read afresh on every access.
    std::u16string UserLoggedOn();
    std::u16string LocaleLanguage();
    std::u16string LocaleDate();
    std::u16string LocaleCountry();
    std::u16string LocaleCurrency();
    ObjectRef SystemInfo();
    ObjectRef MemStatus();

  private:
    std::u16string localeItem(std::uint32_t item);
    template <class Query>
    std::u16string cached(std::optional<std::u16string>& cache, Query query);

    const HostQueries* m_queries;
    OSRelease m_release;
    std::optional<std::u16string> m_tempDirectory;
    std::optional<std::u16string> m_windowsDirectory;
    std::optional<std::u16string> m_systemDirectory;
    std::optional<std::u16string> m_computerName;
    std::int32_t m_queueUsed = 0;
};

}  // namespace velmora
