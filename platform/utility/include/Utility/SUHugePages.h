// SUHugePages: memory for large arrays that are filled soon after they are
// made (index tables, a loader's batches, tables by number). The whole huge
// pages inside such a block are advised as transparent huge pages, so that
// filling it takes one page fault per 2 MB instead of one per 4 KB; on a
// machine where a page fault is expensive that is most of the cost of fresh
// memory. Advice only: where the system gives no huge pages nothing changes,
// and the memory stays the C++ heap's, counted and freed as any other.
//
//   SUHugePages::Vector<std::uint64_t> keys;
//   keys.reserve(1'000'000);   // 8 MB: advised
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>
#include <vector>

namespace SUHugePages {

// Smaller blocks hold at most one whole huge page and are left alone.
inline constexpr std::size_t kAdviseFrom = std::size_t{4} << 20;

// Advises the whole 2 MB pages inside [p, p + bytes) when bytes reaches
// kAdviseFrom.
void Advise(void* p, std::size_t bytes) noexcept;

// std::allocator, with the advice for large blocks.
template <class T>
struct Allocator {
  using value_type = T;
  Allocator() = default;
  template <class U>
  Allocator(const Allocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    T* p = std::allocator<T>().allocate(n);
    Advise(p, n * sizeof(T));
    return p;
  }
  void deallocate(T* p, std::size_t n) noexcept { std::allocator<T>().deallocate(p, n); }
  friend bool operator==(const Allocator&, const Allocator&) { return true; }
};

template <class T>
using Vector = std::vector<T, Allocator<T>>;

// An array of n that is not zeroed, for scratch that is written whole before
// it is read, with the advice.
template <class T>
std::unique_ptr<T[]> Uninitialized(std::size_t n) {
  static_assert(std::is_trivially_default_constructible_v<T>, "elements are left as they are");
  std::unique_ptr<T[]> p(new T[n]);
  Advise(p.get(), n * sizeof(T));
  return p;
}

}  // namespace SUHugePages
