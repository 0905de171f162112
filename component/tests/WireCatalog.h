// A class catalog for decoding frames outside a connection: objects get ids on the way out and come back
// as themselves; ids nobody exported are refused like a connection refuses them.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "Frame.h"
#include "component/ComObject.h"

namespace velmora::wire {

class WireCatalog : public ClassCatalog {
  public:
    WireObject exportObject(const ObjectRef& object) override {
        if (!object) return {};
        std::uint32_t& id = m_ids[object.get()];
        if (id == 0) id = static_cast<std::uint32_t>(m_ids.size());
        m_objects[id] = object;
        WireObject reference{ObjectOwner::Sender, id, 0, {}};
        if (const auto* described = dynamic_cast<const ComObject*>(object.get())) {
            const ClassInfo* info = &described->classInfo();
            auto [it, added] = m_sent.emplace(info, static_cast<std::uint32_t>(m_sent.size() + 1));
            if (added) m_pending.push_back(info);
            reference.classNumber = it->second;
        } else {
            reference.typeName = object->typeName();
        }
        return reference;
    }
    ObjectRef importObject(const WireObject& reference) override {
        if (reference.owner == ObjectOwner::Nothing) return {};
        if (reference.owner == ObjectOwner::Sender && reference.classNumber > m_received.size())
            throw WireError("undescribed class");
        auto it = m_objects.find(reference.id);
        if (it == m_objects.end()) throw WireError("unknown object");
        return it->second;
    }
    std::vector<const ClassInfo*> takeNewClasses() override { return std::exchange(m_pending, {}); }
    void defineClass(std::shared_ptr<const ClassInfo> info) override {
        m_received.push_back(std::move(info));
    }

    const std::vector<std::shared_ptr<const ClassInfo>>& received() const { return m_received; }

  private:
    std::map<const Object*, std::uint32_t> m_ids;
    std::map<std::uint32_t, ObjectRef> m_objects;
    std::map<const ClassInfo*, std::uint32_t> m_sent;
    std::vector<const ClassInfo*> m_pending;
    std::vector<std::shared_ptr<const ClassInfo>> m_received;
};

}  // namespace velmora::wire
