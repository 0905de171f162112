// What a Main lends its operations one at a time: one T kept for the next operation, another made for an
// operation that starts while the kept one is lent (a call from another thread, or from a handler the
// running operation notifies). A T comes back wiped (its wipe()), so nothing one operation held outlives it.
#pragma once

#include <memory>
#include <mutex>

namespace velmora::argonbox {

template <class T>
class Lender {
  public:
    class Lease {
      public:
        Lease(Lender& owner, std::unique_ptr<T> lent) noexcept : m_owner(owner), m_lent(std::move(lent)) {}
        ~Lease() { m_owner.giveBack(std::move(m_lent)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        T& operator*() const noexcept { return *m_lent; }
        T* operator->() const noexcept { return m_lent.get(); }

      private:
        Lender& m_owner;
        std::unique_ptr<T> m_lent;
    };

    Lease take() {
        {
            std::lock_guard lock(m_lock);
            if (m_kept) return Lease(*this, std::move(m_kept));
        }
        return Lease(*this, std::make_unique<T>());
    }

  private:
    void giveBack(std::unique_ptr<T> lent) noexcept {
        lent->wipe();
        std::lock_guard lock(m_lock);
        if (!m_kept) m_kept = std::move(lent);
    }

    std::mutex m_lock;
    std::unique_ptr<T> m_kept;
};

}  // namespace velmora::argonbox
