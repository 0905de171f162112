// Variant arrays: bounds, ReDim, copy on assignment.
#include "runtime/Variant.h"

#include <gtest/gtest.h>

#include "testsupport/Errors.h"

namespace velmora {
namespace {

using test::errorNumberOf;

TEST(VariantArray, Bounds) {
    Variant unallocated = Variant::unallocatedArray(VarType::Byte);
    EXPECT_TRUE(unallocated.isArray());
    EXPECT_FALSE(unallocated.isAllocatedArray());
    EXPECT_EQ(errorNumberOf([&] { unallocated.ubound(); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { unallocated.lbound(); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([] { Variant(5).lbound(); }), err::TypeMismatch);
    EXPECT_EQ(errorNumberOf([] { Variant().ubound(); }), err::TypeMismatch);

    Variant empty(std::vector<std::uint8_t>{});  // allocated, no element
    EXPECT_EQ(empty.lbound(), 0);
    EXPECT_EQ(empty.ubound(), -1);

    Variant grid(SafeArray(VarType::Long, {{1, 3}, {-2, 5}}));
    EXPECT_EQ(grid.varType(), vbArray | static_cast<std::uint16_t>(VarType::Long));
    EXPECT_EQ(grid.lbound(1), 1);
    EXPECT_EQ(grid.ubound(1), 3);
    EXPECT_EQ(grid.lbound(2), -2);
    EXPECT_EQ(grid.ubound(2), 2);
    EXPECT_EQ(errorNumberOf([&] { grid.ubound(3); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { grid.ubound(0); }), err::SubscriptOutOfRange);
    const std::int32_t inside[] = {3, -2}, outside[] = {4, 0}, tooFew[] = {1};
    grid.arrayMut().set(inside, Variant(u"7"));
    EXPECT_EQ(grid.arrayRef().get(inside), Variant(7));  // stored as the element type
    EXPECT_EQ(errorNumberOf([&] { grid.arrayRef().get(outside); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { grid.arrayRef().get(tooFew); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { grid.arrayMut().set(inside, Variant(u"x")); }), err::TypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { grid.arrayMut().set(inside, Variant(3e9)); }), err::Overflow);
}

TEST(VariantArray, ReDimPreserve) {
    Variant bytes(std::vector<std::uint8_t>{1, 2, 3});
    bytes.arrayMut().redim({{0, 5}}, true);
    EXPECT_EQ(bytes.toBytes(), (std::vector<std::uint8_t>{1, 2, 3, 0, 0}));
    bytes.arrayMut().redim({{0, 2}}, true);
    EXPECT_EQ(bytes.toBytes(), (std::vector<std::uint8_t>{1, 2}));
    bytes.arrayMut().redim({{0, 2}}, false);
    EXPECT_EQ(bytes.toBytes(), (std::vector<std::uint8_t>{0, 0}));

    Variant grid(SafeArray(VarType::Integer, {{0, 2}, {0, 2}}));
    const std::int32_t at[] = {1, 1};
    grid.arrayMut().set(at, Variant(std::int16_t{9}));
    grid.arrayMut().redim({{0, 2}, {0, 4}}, true);  // only the last dimension may change
    EXPECT_EQ(grid.arrayRef().get(at), Variant(std::int16_t{9}));
    EXPECT_EQ(grid.ubound(2), 3);
    const std::int32_t grown[] = {1, 3};
    EXPECT_EQ(grid.arrayRef().get(grown), Variant(std::int16_t{0}));  // new elements are typed zeros
    EXPECT_EQ(errorNumberOf([&] {
                  grid.arrayMut().redim({{0, 3}, {0, 4}}, true);
              }),
              err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { grid.arrayMut().redim({{0, 3}}, true); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { grid.arrayMut().redim({{0, -1}}, false); }), err::SubscriptOutOfRange);
}

TEST(VariantArray, AssignmentCopies) {
    Variant original(std::vector<std::uint8_t>{1, 2, 3});
    Variant copy = original;
    const std::int32_t first[] = {0};
    copy.arrayMut().set(first, Variant(std::uint8_t{99}));
    EXPECT_EQ(original.toBytes(), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(copy.toBytes(), (std::vector<std::uint8_t>{99, 2, 3}));

    Variant strings(SafeArray(VarType::String, {{1, 2}}));
    Variant other = strings;
    const std::int32_t one[] = {1};
    strings.arrayMut().set(one, Variant(u"changed"));
    EXPECT_EQ(other.arrayRef().get(one), Variant(u""));
    EXPECT_EQ(strings.arrayRef().get(one), Variant(u"changed"));
}

TEST(VariantArray, NewElementsStartAsTheirTypesZero) {
    const std::int32_t first[] = {0};
    EXPECT_EQ(SafeArray(VarType::Double, {{0, 1}}).get(first), Variant(0.0));
    EXPECT_EQ(SafeArray(VarType::Boolean, {{0, 1}}).get(first), Variant(false));
    EXPECT_EQ(SafeArray(VarType::String, {{0, 1}}).get(first), Variant(u""));
    EXPECT_EQ(SafeArray(VarType::Object, {{0, 1}}).get(first), Variant::nothing());
    EXPECT_EQ(SafeArray(VarType::Variant, {{0, 1}}).get(first), Variant());
}

}  // namespace
}  // namespace velmora
