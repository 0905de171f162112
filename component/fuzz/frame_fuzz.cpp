// Fuzz target for the frame decoder: whatever arrives on a connection either decodes to a frame or is
// refused with WireError. Built for libFuzzer with VELMORA_FUZZ=ON (clang); otherwise as a replay driver
// that runs the saved inputs of corpus/.
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>

#include "Frame.h"
#include "component/CallbackSink.h"

namespace {

using namespace velmora;
using namespace velmora::wire;

// Accepts every reference the way a connection accepts its peer's objects: one stand-in per id.
class FuzzCatalog final : public ClassCatalog {
  public:
    WireObject exportObject(const ObjectRef&) override { return {}; }
    ObjectRef importObject(const WireObject& reference) override {
        if (reference.owner == ObjectOwner::Nothing) return {};
        if (reference.owner == ObjectOwner::Receiver && reference.id > 4) throw WireError("unknown object");
        if (reference.classNumber > m_classes) throw WireError("undescribed class");
        ObjectRef& object = m_objects[reference.id];
        if (!object) object = makeObject<CallbackSink>(nullptr);
        return object;
    }
    std::vector<const ClassInfo*> takeNewClasses() override { return {}; }
    void defineClass(std::shared_ptr<const ClassInfo>) override { ++m_classes; }

  private:
    std::map<std::uint32_t, ObjectRef> m_objects;
    std::uint32_t m_classes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzCatalog catalog;
    try {
        decodeFrame(std::span<const std::uint8_t>(data, size), catalog);
    } catch (const WireError&) {
    }
    return 0;
}
