#include "Utility/SUHugePages.h"

#include <sys/mman.h>

#include <cstdint>

namespace SUHugePages {

void Advise(void* p, std::size_t bytes) noexcept {
#ifdef MADV_HUGEPAGE
  if (bytes < kAdviseFrom) return;
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t from = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t to = (begin + bytes) & ~(kHugePage - 1);
  // A refusal (no huge pages on this system) leaves ordinary pages.
  if (to > from) (void)madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)p;
  (void)bytes;
#endif
}

}  // namespace SUHugePages
