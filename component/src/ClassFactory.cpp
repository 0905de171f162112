// Class objects over class-table entries.
#include "component/ClassFactory.h"

#include "component/ClassBuilder.h"
#include "component/ClassTable.h"

namespace velmora {

namespace {

class TableEntryFactory final : public ClassFactory {
  public:
    explicit TableEntryFactory(const CoClass& entry) : m_entry(entry) {}
    ObjectRef createInstance() override { return m_entry.create(); }

  private:
    const CoClass& m_entry;
};

}  // namespace

const ClassInfo& ClassFactory::describe() {
    static const ClassInfo info = ClassBuilder<ClassFactory>(u"ClassFactory")
                                      .method(u"CreateInstance", &ClassFactory::createInstance)
                                      .build();
    return info;
}

Ref<ClassFactory> makeClassFactory(const CoClass& entry) {
    return makeObject<TableEntryFactory>(entry);
}

}  // namespace velmora
