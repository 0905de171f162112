// Member tables of the test classes.
#include "SampleClasses.h"

namespace velmora::test {

const ClassInfo& Other::describe() {
    static const ClassInfo info = ClassBuilder<Other>(u"Other").propertyGet(u"Id", &Other::id).build();
    return info;
}

const ClassInfo& Sample::describe() {
    static const ClassInfo info =
        ClassBuilder<Sample>(u"Sample")
            .property(u"Name", &Sample::name, &Sample::setName)
            .method(u"Add", &Sample::add, {u"a", u"b"})
            .method(u"Scale", &Sample::scale, {u"Value", opt(u"Factor", 2)})
            .method(u"Join", &Sample::join, {u"First", opt(u"Separator", u"-"), opt(u"Last")})
            .method(u"Swap", &Sample::swap, {u"a", u"b"})
            .method(u"AppendSuffix", &Sample::appendSuffix, {u"Text"})
            .method(u"Increment", &Sample::increment, {u"Value"})
            .method(u"Decorate", &Sample::decorate, {u"Text", opt(u"Prefix", u"#"), opt(u"Count")})
            .method(u"IsMissing", &Sample::isMissing, {opt(u"Value")})
            .method(u"Half", &Sample::half, {u"Value"})
            .method(u"Reversed", &Sample::reversed, {u"Bytes"})
            .property(u"Partner", &Sample::partner, &Sample::setPartner)
            .property(u"Item", &Sample::item, &Sample::setItem, {u"Index"})
            .asDefault()
            .method(u"Fail", &Sample::fail, {u"Number"})
            .method(u"Self", &Sample::self)
            .method(u"OtherId", &Sample::otherId, {u"Other"})
            .method(u"Report", &Sample::report, {u"Percent"})
            .event(u"Progress", {arg(u"Percent", VarType::Long)})
            .build();
    return info;
}

}  // namespace velmora::test
