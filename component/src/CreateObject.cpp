// Creation of registered classes.
#include "component/CreateObject.h"

#include <chrono>
#include <map>
#include <mutex>

#include "Connection.h"
#include "ServerLauncher.h"
#include "component/ClassFactory.h"
#include "component/registration.h"
#include "platform/library.h"
#include "platform/paths.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace velmora {

namespace {

[[noreturn]] void cannotCreate(const std::string& why) {
    raise(err::CantCreateObject, standardErrorText(err::CantCreateObject) + fromUtf8(": " + why), {});
}

using GetClassObjectEntry = HRESULT (*)(const char16_t*, ClassFactory**);

// The class-object entry point of a library, loading it on first use. Libraries stay loaded: objects
// and class objects they made may be referenced anywhere in the process.
GetClassObjectEntry classObjectEntry(const std::string& libraryPath) {
    static std::mutex mutex;
    static std::map<std::string, HMODULE> loaded;
    std::lock_guard lock(mutex);
    HMODULE& module = loaded[libraryPath];
    if (!module) module = LoadLibraryA(libraryPath.c_str());
    if (!module) {
        DWORD code = GetLastError();
        loaded.erase(libraryPath);
        cannotCreate("the library " + libraryPath + " could not be loaded (error " + std::to_string(code) +
                     ")");
    }
    auto entry = reinterpret_cast<GetClassObjectEntry>(GetProcAddress(module, "DllGetClassObject"));
    if (!entry)
        cannotCreate(libraryPath + " is not a component library (it has no class-object entry point)");
    return entry;
}

ObjectRef createInProcess(const std::string& classId, const std::string& libraryPath) {
    ClassFactory* raw = nullptr;
    HRESULT status = classObjectEntry(libraryPath)(fromUtf8(classId).c_str(), &raw);
    Ref<ClassFactory> factory = Ref<ClassFactory>::adopt(raw);  // the entry point handed over a reference
    if (status != hr::Ok || !factory) cannotCreate(libraryPath + " does not serve the class " + classId);
    ObjectRef object = factory->createInstance();
    if (!object) cannotCreate(libraryPath + " made no object of the class " + classId);
    return object;
}

// A server program gets this long to start and create the object before creation gives up on it.
constexpr std::chrono::seconds kServerStartTimeout{60};

ObjectRef createOutOfProcess(const std::string& classId, const std::string& serverPath) {
    const std::string program = toNativePath(serverPath);
    if (program.empty()) cannotCreate("the class " + classId + " names no server program");
    return connectToServer(program)->create(fromUtf8(classId), kServerStartTimeout);
}

}  // namespace

ObjectRef createObjectByClassId(std::u16string_view classId) {
    const std::string id = toUtf8(classId);
    if (id.empty() || id.find('\\') != std::string::npos) cannotCreate("no class id");
    if (auto library = serverPathOf(id, ServerKind::InProcess)) return createInProcess(id, *library);
    if (auto program = serverPathOf(id, ServerKind::LocalServer)) return createOutOfProcess(id, *program);
    cannotCreate("the class " + id + " is not registered");
}

ObjectRef CreateObject(std::u16string_view progId) {
    const std::string name = toUtf8(progId);
    if (name.find('\\') != std::string::npos) cannotCreate("'" + name + "' is not a programmatic identifier");
    auto classId = classIdOfProgId(progId);
    if (!classId) cannotCreate("the class " + name + " is not registered");
    return createObjectByClassId(fromUtf8(*classId));
}

}  // namespace velmora
