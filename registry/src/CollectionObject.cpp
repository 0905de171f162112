#include "CollectionObject.h"

namespace velmora {

const ClassInfo& CollectionObject::describe() {
    static const ClassInfo info =
        ClassBuilder<CollectionObject>(u"Collection")
            .method(u"Add", &CollectionObject::Add, {u"Item", opt(u"Key"), opt(u"Before"), opt(u"After")})
            .propertyGet(u"Count", &CollectionObject::Count)
            .propertyGet(u"Item", &CollectionObject::Item, {u"Index"})
            .asDefault()
            .method(u"Remove", &CollectionObject::Remove, {u"Index"})
            .build();
    return info;
}

}  // namespace velmora
