// Classes the component tests bind to: one of each parameter style the suite's interfaces use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/EventSource.h"

namespace velmora::test {

// Counts live instances, so tests can see when release destroys an object.
struct LiveCount {
    int value = 0;
};

class Other : public Dispatchable<Other> {
  public:
    static const ClassInfo& describe();
    std::int32_t id() const { return 7; }
};

class Sample : public Dispatchable<Sample> {
  public:
    Sample() = default;
    explicit Sample(LiveCount* live) : m_live(live) {
        if (m_live) ++m_live->value;
    }
    ~Sample() override {
        if (m_live) --m_live->value;
    }

    static const ClassInfo& describe();
    EventSource* events() noexcept override { return &m_events; }

    std::u16string name() const { return m_name; }
    void setName(std::u16string name) { m_name = std::move(name); }
    std::int32_t add(std::int32_t a, std::int32_t b) { return a + b; }
    std::int32_t scale(std::int32_t value, std::int32_t factor) { return value * factor; }
    std::u16string join(const std::u16string& first, const std::u16string& separator,
                        const std::u16string& last) {
        return first + separator + last;
    }
    void swap(Variant& a, Variant& b) { std::swap(a, b); }
    void appendSuffix(std::u16string& text) { text += u".zqf"; }
    void increment(std::int32_t& value) { ++value; }
    void decorate(std::u16string& text, const std::u16string& prefix, Variant& count) {
        text = prefix + text;
        if (!count.isMissing()) count = count.toLong() + 1;
    }
    bool isMissing(Variant value) { return value.isMissing(); }
    std::int16_t half(std::int16_t value) { return static_cast<std::int16_t>(value / 2); }
    std::vector<std::uint8_t> reversed(const std::vector<std::uint8_t>& bytes) {
        return {bytes.rbegin(), bytes.rend()};
    }
    Ref<Sample> partner() const { return m_partner; }
    void setPartner(Ref<Sample> partner) { m_partner = std::move(partner); }
    Variant item(std::int32_t index) const { return m_items.at(static_cast<std::size_t>(index)); }
    void setItem(std::int32_t index, Variant value) {
        m_items.at(static_cast<std::size_t>(index)) = std::move(value);
    }
    void fail(std::int32_t number) { raise(number, u"Sample failed on purpose", u"Sample:Fail"); }
    Ref<Sample> self() { return Ref<Sample>(this); }
    std::int32_t otherId(Ref<Other> other) { return other ? other->id() : -1; }
    // Raises Progress and returns what the handlers left in the by-reference percentage.
    std::int32_t report(std::int32_t percent) {
        Variant value = percent;
        m_events.fire(u"Progress", value);
        return value.toLong();
    }

    EventSource m_events{*this};

  private:
    LiveCount* m_live = nullptr;
    std::u16string m_name;
    Ref<Sample> m_partner;
    std::vector<Variant> m_items = std::vector<Variant>(3);
};

}  // namespace velmora::test
