// Reference-counted objects and the late-bound call every object answers.
// The count is intrusive, so an object can hand out a reference to itself; releasing the last reference
// destroys the object, and its destructor does what "on release" means for its class.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace velmora {

class Variant;

// What a late-bound call asks for; a plain "Name" on an object asks for a method or a property get.
enum InvokeKind : std::uint16_t {
    InvokeMethod = 1,
    InvokePropertyGet = 2,
    InvokePropertyLet = 4,  // assignment of a value
    InvokePropertySet = 8,  // assignment of an object reference
};

class Object {
  public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    void addRef() const noexcept { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void release() const noexcept {
        if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    std::int32_t refCount() const noexcept { return m_refs.load(std::memory_order_relaxed); }

    // Calls a member by name (compared case-insensitively). Arguments are positional; the callee may
    // assign to them (by-reference arguments), and the caller copies them back to its variables.
    // A property let/set receives the new value as the last argument.
    virtual Variant invoke(std::u16string_view name, InvokeKind kind, std::span<Variant> args) = 0;

    // The class name, as TypeName reports it.
    virtual std::u16string typeName() const = 0;

  protected:
    virtual ~Object() = default;

  private:
    mutable std::atomic<std::int32_t> m_refs{0};
};

// An owning reference to a reference-counted object.
template <class T>
class Ref {
  public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}
    explicit Ref(T* object) noexcept : m_p(object) {
        if (m_p) m_p->addRef();
    }
    Ref(const Ref& other) noexcept : Ref(other.m_p) {}
    Ref(Ref&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(const Ref<U>& other) noexcept : Ref(other.get()) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(Ref<U>&& other) noexcept : m_p(other.detach()) {}
    ~Ref() { reset(); }

    Ref& operator=(Ref other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }

    // Takes over a reference someone already counted (an owning pointer from an entry point).
    static Ref adopt(T* object) noexcept {
        Ref ref;
        ref.m_p = object;
        return ref;
    }

    void reset() noexcept {
        if (T* p = std::exchange(m_p, nullptr)) p->release();
    }
    T* detach() noexcept { return std::exchange(m_p, nullptr); }

    T* get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    T& operator*() const noexcept { return *m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    // A reference to the same object through another of its classes, or nothing.
    template <class U>
    Ref<U> as() const noexcept {
        return Ref<U>(dynamic_cast<U*>(m_p));
    }

    friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.m_p == b.m_p; }

  private:
    T* m_p = nullptr;
};

using ObjectRef = Ref<Object>;

// The one place objects are allocated: the reference count owns them from here on.
template <class T, class... Args>
Ref<T> makeObject(Args&&... args) {
    return Ref<T>(new T(std::forward<Args>(args)...));
}

}  // namespace velmora
