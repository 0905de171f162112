// Collection: order, keys and the platform's errors.
#include "runtime/Collection.h"

#include <gtest/gtest.h>

#include "testsupport/Errors.h"

namespace velmora {
namespace {

using test::errorNumberOf;

std::u16string contents(const Collection& c) {
    std::u16string out;
    for (const Variant& item : c) out += item.toString();
    return out;
}

Collection abc() {
    Collection c;
    c.Add(u"a", u"KeyA");
    c.Add(u"b", u"KeyB");
    c.Add(u"c");
    return c;
}

TEST(Collection, PositionsAndKeys) {
    Collection c = abc();
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(contents(c), u"abc");
    EXPECT_EQ(c.Item(1), Variant(u"a"));
    EXPECT_EQ(c.Item(std::int16_t{3}), Variant(u"c"));
    EXPECT_EQ(c.Item(2.4), Variant(u"b"));
    EXPECT_EQ(c.Item(u"keyb"), Variant(u"b"));  // keys ignore case
    EXPECT_EQ(c.Item(u"KEYA"), Variant(u"a"));
}

TEST(Collection, AddBeforeAndAfter) {
    struct Case {
        Variant before, after;
        const char16_t* result;
    } cases[] = {{1, Variant::missing(), u"xabc"},       {3, Variant::missing(), u"abxc"},
                 {u"keyb", Variant::missing(), u"axbc"}, {Variant::missing(), 3, u"abcx"},
                 {Variant::missing(), 1, u"axbc"},       {Variant::missing(), u"KEYA", u"axbc"}};
    for (const Case& k : cases) {
        Collection c = abc();
        c.Add(u"x", Variant::missing(), k.before, k.after);
        EXPECT_EQ(contents(c), k.result);
    }
}

TEST(Collection, Errors) {
    struct Case {
        const char* what;
        std::function<void(Collection&)> action;
        std::int32_t error;
    } cases[] = {
        {"item 0", [](Collection& c) { c.Item(0); }, err::SubscriptOutOfRange},
        {"item past the end", [](Collection& c) { c.Item(4); }, err::SubscriptOutOfRange},
        {"unknown key", [](Collection& c) { c.Item(u"nope"); }, err::InvalidProcedureCall},
        {"empty index", [](Collection& c) { c.Item(Variant()); }, err::InvalidProcedureCall},
        {"null index", [](Collection& c) { c.Item(Variant::null()); }, err::InvalidProcedureCall},
        {"object index", [](Collection& c) { c.Item(Variant::nothing()); }, err::InvalidProcedureCall},
        {"duplicate key", [](Collection& c) { c.Add(1, u"KEYA"); }, err::KeyAlreadyAssociated},
        {"number key", [](Collection& c) { c.Add(1, 5); }, err::TypeMismatch},
        {"before and after", [](Collection& c) { c.Add(1, Variant::missing(), 1, 2); },
         err::InvalidProcedureCall},
        {"before 0", [](Collection& c) { c.Add(1, Variant::missing(), 0); }, err::SubscriptOutOfRange},
        {"after 4", [](Collection& c) { c.Add(1, Variant::missing(), Variant::missing(), 4); },
         err::SubscriptOutOfRange},
        {"before unknown key", [](Collection& c) { c.Add(1, Variant::missing(), u"zz"); },
         err::InvalidProcedureCall},
        {"remove 0", [](Collection& c) { c.Remove(0); }, err::SubscriptOutOfRange},
        {"remove unknown key", [](Collection& c) { c.Remove(u"zz"); }, err::InvalidProcedureCall},
        {"index overflow", [](Collection& c) { c.Item(1e12); }, err::Overflow},
    };
    for (const Case& k : cases) {
        Collection c = abc();
        EXPECT_EQ(errorNumberOf([&] { k.action(c); }), k.error) << k.what;
        EXPECT_EQ(contents(c), u"abc") << k.what << ": a failed call must change nothing";
    }
    Collection empty;
    EXPECT_EQ(errorNumberOf([&] { empty.Item(1); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { empty.Add(1, Variant::missing(), 1); }), err::SubscriptOutOfRange);
}

TEST(Collection, RemoveFreesTheKey) {
    Collection c = abc();
    c.Remove(u"KEYA");
    c.Remove(2);
    EXPECT_EQ(contents(c), u"b");
    c.Add(u"again", u"keya");
    EXPECT_EQ(c.Item(u"KeyA"), Variant(u"again"));
    EXPECT_EQ(c.Item(u"KeyB"), Variant(u"b"));
}

}  // namespace
}  // namespace velmora
