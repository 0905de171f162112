// Conversions: rounding, range limits, text forms and the errors of each.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "runtime/Error.h"
#include "runtime/Variant.h"
#include "runtime/datetime.h"
#include "runtime/text.h"
#include "testsupport/Errors.h"

namespace velmora {
namespace {

using test::errorNumberOf;

TEST(Convert, IntegerRoundsHalfToEven) {
    struct Case {
        double in;
        std::int16_t out;
    } cases[] = {{2.5, 2},    {3.5, 4},    {-2.5, -2}, {-3.5, -4},       {0.5, 0},          {1.5, 2},
                 {2.4999, 2}, {2.5001, 3}, {-0.5, 0},  {32767.4, 32767}, {-32768.5, -32768}};
    for (const Case& c : cases) EXPECT_EQ(Variant(c.in).toInteger(), c.out) << c.in;
    EXPECT_EQ(Variant(u"2.5").toInteger(), 2);
    EXPECT_EQ(Variant(Currency{25000}).toLong(), 2);
    EXPECT_EQ(Variant(Currency{35000}).toLong(), 4);
    EXPECT_EQ(Variant(Currency{-25000}).toLong(), -2);
    EXPECT_EQ(Variant(Currency{-25001}).toLong(), -3);
}

TEST(Convert, OverflowAtEachBoundary) {
    struct Case {
        Variant in;
        std::function<void(const Variant&)> convert;
        bool overflows;
    };
    auto toInt = [](const Variant& v) { v.toInteger(); };
    auto toLng = [](const Variant& v) { v.toLong(); };
    auto toByt = [](const Variant& v) { v.toByte(); };
    auto toCur = [](const Variant& v) { v.toCurrency(); };
    auto toSng = [](const Variant& v) { v.toSingle(); };
    auto toDbl = [](const Variant& v) { v.toDouble(); };
    Case cases[] = {
        {32767.0, toInt, false},
        {32767.5, toInt, true},
        {-32768.0, toInt, false},
        {-32769.0, toInt, true},
        {std::int32_t{32768}, toInt, true},
        {2147483647.0, toLng, false},
        {2147483647.5, toLng, true},
        {-2147483648.0, toLng, false},
        {-2147483649.0, toLng, true},
        {255.0, toByt, false},
        {254.5, toByt, false},
        {255.5, toByt, true},  // the even neighbour 256 is out of range
        {-0.5, toByt, false},
        {-1.0, toByt, true},
        {std::int16_t{256}, toByt, true},
        {u"922337203685477.5807", toCur, false},
        {u"922337203685477.5808", toCur, true},
        {u"-922337203685477.5808", toCur, false},
        {u"-922337203685477.5809", toCur, true},
        {1e15, toCur, true},
        {1e39, toSng, true},
        {3e38, toSng, false},
        {u"1e400", toDbl, true},
        {std::numeric_limits<double>::quiet_NaN(), toLng, true},
    };
    for (const Case& c : cases) {
        std::int32_t e = errorNumberOf([&] { c.convert(c.in); });
        EXPECT_EQ(e, c.overflows ? err::Overflow : 0) << toUtf8(typeName(c.in)) << " " << c.in.toDouble();
    }
    EXPECT_EQ(Variant(u"922337203685477.5807").toCurrency().scaled, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Variant(u"-922337203685477.5808").toCurrency().scaled,
              std::numeric_limits<std::int64_t>::min());
}

TEST(Convert, NumericText) {
    struct Case {
        const char16_t* text;
        double value;
    } good[] = {{u"  42  ", 42}, {u"-7", -7},    {u"+7", 7},         {u"1.5", 1.5}, {u".5", 0.5},
                {u"5.", 5},      {u"1e3", 1000}, {u"1.5E-2", 0.015}, {u"2D2", 200}, {u"\t-0.25\n", -0.25},
                {u"&H10", 16},   {u"&hff", 255}, {u"&O17", 15},      {u"&17", 15},  {u"&HFFFFFFFF", -1},
                {u"000123", 123}};
    for (const Case& c : good) {
        EXPECT_DOUBLE_EQ(Variant(c.text).toDouble(), c.value) << toUtf8(c.text);
        EXPECT_TRUE(Variant(c.text).isNumeric()) << toUtf8(c.text);
    }
    for (const char16_t* text : {u"", u"  ", u"abc", u"1 2", u"1e", u"1.2.3", u"--1", u"&H", u"&HG", u"1,5",
                                 u"12abc", u".", u"-", u"1e+"}) {
        EXPECT_EQ(errorNumberOf([&] { Variant(text).toDouble(); }), err::TypeMismatch) << toUtf8(text);
        EXPECT_FALSE(Variant(text).isNumeric()) << toUtf8(text);
    }
}

TEST(Convert, RadixLiteralsWrapToTheTargetWidth) {
    EXPECT_EQ(Variant(u"&HFFFF").toInteger(), -1);
    EXPECT_EQ(Variant(u"&H8000").toInteger(), -32768);
    EXPECT_EQ(Variant(u"&HFFFF").toLong(), 65535);
    EXPECT_EQ(Variant(u"&HFFFFFFFF").toLong(), -1);
    EXPECT_EQ(Variant(u"&HFF").toByte(), 255);
    EXPECT_EQ(errorNumberOf([] { Variant(u"&H10000").toInteger(); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([] { Variant(u"&H100000000").toLong(); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([] { Variant(u"&H100").toByte(); }), err::Overflow);
}

TEST(Convert, BooleanIsMinusOne) {
    EXPECT_EQ(Variant(true).toInteger(), -1);
    EXPECT_EQ(Variant(true).toLong(), -1);
    EXPECT_EQ(Variant(true).toDouble(), -1.0);
    EXPECT_EQ(Variant(true).toCurrency().scaled, -10000);
    EXPECT_EQ(errorNumberOf([] { Variant(true).toByte(); }), err::Overflow);
    EXPECT_TRUE(Variant(0.001).toBool());
    EXPECT_TRUE(Variant(std::int16_t{2}).toBool());
    EXPECT_FALSE(Variant(0.0).toBool());
    EXPECT_FALSE(Variant().toBool());
    EXPECT_TRUE(Variant(Currency{1}).toBool());
    EXPECT_TRUE(Variant(u" tRuE ").toBool());
    EXPECT_FALSE(Variant(u"FALSE").toBool());
    EXPECT_TRUE(Variant(u"-3").toBool());
    EXPECT_FALSE(Variant(u"0.0").toBool());
    EXPECT_EQ(errorNumberOf([] { Variant(u"yes").toBool(); }), err::TypeMismatch);
}

TEST(Convert, EmptyNullErrorAndArrays) {
    EXPECT_EQ(Variant().toInteger(), 0);
    EXPECT_EQ(Variant().toString(), u"");
    EXPECT_EQ(Variant().toDouble(), 0.0);
    EXPECT_EQ(Variant().toDate().serial, 0.0);
    Variant null = Variant::null();
    for (auto convert : std::initializer_list<std::function<void(const Variant&)>>{
             [](const Variant& v) { v.toInteger(); }, [](const Variant& v) { v.toString(); },
             [](const Variant& v) { v.toBool(); }, [](const Variant& v) { v.toDate(); },
             [](const Variant& v) { v.toCurrency(); }}) {
        EXPECT_EQ(errorNumberOf([&] { convert(null); }), err::InvalidUseOfNull);
        EXPECT_EQ(errorNumberOf([&] {
                      convert(Variant(SafeArray(VarType::Long, {{0, 1}})));
                  }),
                  err::TypeMismatch);
    }
    EXPECT_EQ(errorNumberOf([] { Variant::error(5).toLong(); }), err::TypeMismatch);
    EXPECT_EQ(errorNumberOf([] { Variant::missing().toBool(); }), err::TypeMismatch);
    EXPECT_EQ(errorNumberOf([] { Variant::error(5).toDate(); }), err::TypeMismatch);
    // CStr of an Error value is the platform's "Error <number>".
    EXPECT_EQ(Variant::error(5).toString(), u"Error 5");
    EXPECT_EQ(Variant::error(5).toErrorCode(), 5);
    EXPECT_EQ(errorNumberOf([] { Variant(5).toErrorCode(); }), err::TypeMismatch);
    EXPECT_EQ(errorNumberOf([] { Variant(5).toObject(); }), err::TypeMismatch);
    EXPECT_EQ(errorNumberOf([] { Variant().toObject(); }), err::TypeMismatch);
    EXPECT_FALSE(Variant::nothing().toObject());
}

TEST(Convert, TextFormOfEveryType) {
    struct Case {
        Variant in;
        const char16_t* text;
    } cases[] = {
        {std::int16_t{-32768}, u"-32768"},
        {std::int32_t{2147483647}, u"2147483647"},
        {std::uint8_t{255}, u"255"},
        {true, u"True"},
        {false, u"False"},
        {0.1, u"0.1"},
        {1.5, u"1.5"},
        {-1.5, u"-1.5"},
        {100.0, u"100"},
        {0.0, u"0"},
        {-0.0, u"0"},
        {1e20, u"1E+20"},
        {1e15, u"1E+15"},
        {123456789012345.0, u"123456789012345"},
        {1.5e-5, u"1.5E-05"},
        {0.0001, u"0.0001"},
        {0.1 + 0.2, u"0.3"},
        {1.0 / 3.0, u"0.333333333333333"},
        {2.0 / 3.0, u"0.666666666666667"},
        {1e-300, u"1E-300"},
        {0.1f, u"0.1"},
        {1.0f / 3.0f, u"0.3333333"},
        {1e7f, u"1E+07"},
        {1234567.0f, u"1234567"},
        {Currency{15000}, u"1.5"},
        {Currency{1000000}, u"100"},
        {Currency{-1}, u"-0.0001"},
        {Currency{std::numeric_limits<std::int64_t>::min()}, u"-922337203685477.5808"},
        {Date{45356.0}, u"3/5/2024"},
        {Date{45356.5}, u"3/5/2024 12:00:00 PM"},
        {Date{45356.0 + (13 * 3600 + 2 * 60 + 3) / 86400.0}, u"3/5/2024 1:02:03 PM"},
        {Date{0.0}, u"12:00:00 AM"},
        {Date{0.25}, u"6:00:00 AM"},
        {Date{-1.25}, u"12/29/1899 6:00:00 AM"},
        {Date{2.0}, u"1/1/1900"},
        {u"text", u"text"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.in.toString(), c.text) << toUtf8(c.text);
}

TEST(Convert, DatesFromNumbersAndText) {
    EXPECT_EQ(Variant(45356.5).toDate().serial, 45356.5);
    EXPECT_EQ(errorNumberOf([] { Variant(3e6).toDate(); }), err::Overflow);
    EXPECT_EQ(errorNumberOf([] { Variant(-700000.0).toDate(); }), err::Overflow);
    struct Case {
        const char16_t* text;
        DateParts parts;
    } cases[] = {
        {u"2024-03-05", {2024, 3, 5, 0, 0, 0}},
        {u"3/5/2024", {2024, 3, 5, 0, 0, 0}},
        {u"3/5/24", {2024, 3, 5, 0, 0, 0}},
        {u"3/5/99", {1999, 3, 5, 0, 0, 0}},
        {u"13/5/2024", {2024, 5, 13, 0, 0, 0}},
        {u"2024-03-05 14:30", {2024, 3, 5, 14, 30, 0}},
        {u"2024-03-05T14:30:15", {2024, 3, 5, 14, 30, 15}},
        {u"3/5/2024 2:30:15 PM", {2024, 3, 5, 14, 30, 15}},
        {u"3/5/2024 12:00 am", {2024, 3, 5, 0, 0, 0}},
        {u"3/5/2024 12:00 PM", {2024, 3, 5, 12, 0, 0}},
        {u"05 Mar 2024", {2024, 3, 5, 0, 0, 0}},
        {u"March 5, 2024 10:00", {2024, 3, 5, 10, 0, 0}},
        {u"23:59:59", {1899, 12, 30, 23, 59, 59}},
        {u"2024-02-29", {2024, 2, 29, 0, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitDate(Variant(c.text).toDate()), c.parts) << toUtf8(c.text);
    EXPECT_EQ(Variant(u"23:59:59").toDate().serial, (86400.0 - 1) / 86400);
    for (const char16_t* bad : {u"", u"abc", u"5", u"2023-02-29", u"3/32/2024", u"13/13/2024", u"25:00",
                                u"10:60", u"13:00 PM", u"1/2/3/4", u"3/5/2024 10:00 10:00", u"Foo 5, 2024"}) {
        EXPECT_EQ(errorNumberOf([&] { Variant(bad).toDate(); }), err::TypeMismatch) << toUtf8(bad);
        EXPECT_FALSE(IsDate(Variant(bad))) << toUtf8(bad);
    }
}

TEST(Convert, BytesAndTypeNames) {
    EXPECT_EQ(Variant(u"A\u00e9").toBytes(), (std::vector<std::uint8_t>{0x41, 0, 0xE9, 0}));
    EXPECT_EQ(Variant(std::vector<std::uint8_t>{1, 2}).toBytes(), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_TRUE(Variant::unallocatedArray(VarType::Byte).toBytes().empty());
    EXPECT_EQ(errorNumberOf([] { Variant(1.0).toBytes(); }), err::TypeMismatch);
    // Byte arrays read back as the UTF-16LE text they hold; an odd last byte is a character of its own.
    EXPECT_EQ(Variant(Variant(u"A\u00e9").toBytes()).toString(), u"A\u00e9");
    EXPECT_EQ(Variant(std::vector<std::uint8_t>{0x41, 0, 0x42}).toString(), u"AB");
    EXPECT_EQ(Variant::unallocatedArray(VarType::Byte).toString(), u"");
    EXPECT_EQ(errorNumberOf([] {
                  Variant(SafeArray(VarType::Long, {{0, 1}})).toString();
              }),
              err::TypeMismatch);

    struct Case {
        Variant in;
        const char16_t* name;
    } cases[] = {{Variant(), u"Empty"},
                 {Variant::null(), u"Null"},
                 {std::int16_t{1}, u"Integer"},
                 {1, u"Long"},
                 {1.0f, u"Single"},
                 {1.0, u"Double"},
                 {Currency{}, u"Currency"},
                 {Date{}, u"Date"},
                 {u"", u"String"},
                 {Variant::missing(), u"Error"},
                 {true, u"Boolean"},
                 {std::uint8_t{1}, u"Byte"},
                 {Variant::nothing(), u"Nothing"},
                 {std::vector<std::uint8_t>{}, u"Byte()"},
                 {Variant::unallocatedArray(VarType::String), u"String()"},
                 {SafeArray(VarType::Variant, {{0, 2}}), u"Variant()"}};
    for (const Case& c : cases) EXPECT_EQ(typeName(c.in), c.name) << toUtf8(c.name);
}

TEST(Convert, IsNumeric) {
    EXPECT_TRUE(Variant().isNumeric());
    EXPECT_TRUE(Variant(true).isNumeric());
    EXPECT_TRUE(Variant(Currency{}).isNumeric());
    EXPECT_FALSE(Variant::null().isNumeric());
    EXPECT_FALSE(Variant(Date{1.0}).isNumeric());
    EXPECT_FALSE(Variant::error(5).isNumeric());
    EXPECT_FALSE(Variant::nothing().isNumeric());
    EXPECT_FALSE(Variant(std::vector<std::uint8_t>{1}).isNumeric());
}

// An object whose default member returns a stored value.
class Holder : public Object {
  public:
    explicit Holder(Variant value) : m_value(std::move(value)) {}
    Variant invoke(std::u16string_view name, InvokeKind, std::span<Variant>) override {
        if (!name.empty()) throw RuntimeError(err::NoSuchMember);
        return m_value;
    }
    std::u16string typeName() const override { return u"Holder"; }
    Variant m_value;
};

TEST(Convert, ObjectsConvertThroughTheirDefaultMember) {
    Variant holder(makeObject<Holder>(Variant(u"41.5")));
    EXPECT_EQ(holder.toInteger(), 42);
    EXPECT_EQ(holder.toString(), u"41.5");
    EXPECT_TRUE(holder.isNumeric());
    EXPECT_EQ(typeName(holder), u"Holder");
    EXPECT_EQ(errorNumberOf([] { Variant::nothing().toLong(); }), err::ObjectNotSet);
    EXPECT_EQ(errorNumberOf([] { Variant::nothing().toString(); }), err::ObjectNotSet);

    // A default member that returns its own object must not loop forever.
    auto self = makeObject<Holder>(Variant());
    self->m_value = Variant(self);
    EXPECT_EQ(errorNumberOf([&] { Variant(self).toLong(); }), err::TypeMismatch);
    self->m_value = Variant();  // break the cycle
}

}  // namespace
}  // namespace velmora
