// Cost of a late-bound call by name (lookup, argument conversion, result boxing) against the direct C++
// call of the same member.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"

namespace {

using namespace velmora;

class Adder : public Dispatchable<Adder> {
  public:
    static const ClassInfo& describe() {
        static const ClassInfo info = ClassBuilder<Adder>(u"Adder")
                                          .property(u"Name", &Adder::name, &Adder::setName)
                                          .method(u"Subtract", &Adder::subtract, {u"a", u"b"})
                                          .method(u"Add", &Adder::add, {u"a", u"b"})
                                          .method(u"Scale", &Adder::scale, {u"Value", opt(u"Factor", 2)})
                                          .build();
        return info;
    }
    std::u16string name() const { return m_name; }
    void setName(std::u16string name) { m_name = std::move(name); }
    [[gnu::noinline]] std::int32_t add(std::int32_t a, std::int32_t b) { return a + b; }
    std::int32_t subtract(std::int32_t a, std::int32_t b) { return a - b; }
    std::int32_t scale(std::int32_t value, std::int32_t factor) { return value * factor; }

  private:
    std::u16string m_name;
};

void directCall(benchmark::State& state) {
    const Ref<Adder> adder = makeObject<Adder>();
    std::int32_t a = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(a = adder->add(a, 2) & 0xFFFF);
    }
}
BENCHMARK(directCall);

void lateBoundCall(benchmark::State& state) {
    const ObjectRef adder = makeObject<Adder>();
    std::array<Variant, 2> args{Variant(1), Variant(2)};
    for (auto _ : state) {
        Variant result = adder->invoke(u"Add", InvokeMethod, args);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(lateBoundCall);

// The default filled in for an omitted argument takes the slower path.
void lateBoundCallWithDefault(benchmark::State& state) {
    const ObjectRef adder = makeObject<Adder>();
    std::array<Variant, 1> args{Variant(3)};
    for (auto _ : state) {
        Variant result = adder->invoke(u"scale", InvokeMethod, args);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(lateBoundCallWithDefault);

}  // namespace

BENCHMARK_MAIN();
