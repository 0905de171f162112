// Shared helpers of the engine tests: the real engine library copied beside a plug-in folder of the
// test's choosing, a C++ client of the callback interface, and objcall in a child process.
#pragma once

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "component/CreateObject.h"
#include "component/hresult.h"
#include "component/registration.h"
#include "engine/IEventHandler.h"
#include "platform/library.h"
#include "platform/owned.h"
#include "runtime/Error.h"
#include "runtime/text.h"
#include "testsupport/ChildProcess.h"
#include "testsupport/Errors.h"
#include "testsupport/TempFolder.h"

namespace velmora::test {

namespace fs = std::filesystem;

inline fs::path freshFolder() {
    return test::freshFolder("engine");
}

inline std::u16string u16(const fs::path& path) {
    return fromUtf8(path.string());
}

// A folder holding a copy of the engine library and, unless told otherwise, an "Encryption" folder with
// the named test plug-ins (Steady, Lacking, Raising, Misnamed, a, d, Noentry). The copy is registered, so
// creating Ciphercore.EncryptObject runs it and it scans that folder.
class EngineFolder {
  public:
    explicit EngineFolder(const std::vector<std::string>& plugIns, bool withPlugInFolder = true)
        : m_root(freshFolder()) {
        fs::copy_file(VELMORA_CIPHERCORE_PATH, m_root / "Ciphercore.dll");
        if (withPlugInFolder) fs::create_directory(m_root / "Encryption");
        for (const std::string& name : plugIns)
            fs::copy_file(fs::path(VELMORA_TESTPLUGIN_DIR) / (name + ".dll"),
                          m_root / "Encryption" / (name + ".dll"));
        registerEngine();
    }

    ObjectRef create() const { return CreateObject(u"Ciphercore.EncryptObject"); }
    const fs::path& root() const noexcept { return m_root; }

  private:
    void registerEngine() const {
        const OwnedLibrary library(LoadLibraryA((m_root / "Ciphercore.dll").c_str()));
        ASSERT_TRUE(library);
        auto entry = reinterpret_cast<HRESULT (*)()>(GetProcAddress(library.get(), "DllRegisterServer"));
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry(), hr::Ok);
    }

    fs::path m_root;
};

inline bool isRegistered(std::u16string_view progId) {
    return classIdOfProgId(progId).has_value();
}

// A C++ client of the engine's callback interface, as the dialogs are.
class RecordingClient : public Dispatchable<RecordingClient, IEventHandler> {
  public:
    // The reporting engine is kept by identity only: a reference would close a cycle with the engine,
    // which holds this client.
    struct Report {
        const Object* objEncrypt;
        std::int32_t number;
        std::u16string description;
        std::u16string source;
    };

    static const ClassInfo& describe() {
        static const ClassInfo info =
            ClassBuilder<RecordingClient>(u"RecordingClient").inherit(IEventHandler::describe()).build();
        return info;
    }

    void Progress(ObjectRef objEncrypt, std::int32_t Percent) override {
        progress.push_back(Percent);
        progressFrom.push_back(objEncrypt.get());
    }
    bool Error(ObjectRef objEncrypt, std::int32_t Number, std::u16string Description,
               std::u16string Source) override {
        errors.push_back({objEncrypt.get(), Number, std::move(Description), std::move(Source)});
        return true;
    }

    std::vector<std::int32_t> progress;
    std::vector<const Object*> progressFrom;
    std::vector<Report> errors;
};

}  // namespace velmora::test
