#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "Utility/SUHugePages.h"

namespace {

// The VmFlags of the mapping of this process that holds address a, or ""
// when no mapping does.
std::string FlagsOfMappingAt(std::uintptr_t a) {
  std::ifstream smaps("/proc/self/smaps");
  std::string line;
  bool bInside = false;
  while (std::getline(smaps, line)) {
    std::uintptr_t from = 0, to = 0;
    char dash = 0;
    std::istringstream head(line);
    if (head >> std::hex >> from >> dash >> to && dash == '-') {
      bInside = from <= a && a < to;
    } else if (bInside && line.rfind("VmFlags:", 0) == 0) {
      return line;
    }
  }
  return "";
}

bool HasHugePageAdvice(std::uintptr_t a) { return FlagsOfMappingAt(a).find(" hg") != std::string::npos; }

}  // namespace

TEST(HugePages, OnlyWholeHugePagesInsideALargeBlockAreAdvised) {
  if (!std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled")) GTEST_SKIP() << "no transparent huge pages";
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  SUHugePages::Vector<char> block(std::size_t{9} << 20);
  const auto begin = reinterpret_cast<std::uintptr_t>(block.data());
  const std::uintptr_t firstWhole = (begin + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t lastWholeEnd = (begin + block.size()) & ~(kHuge - 1);
  ASSERT_GE(lastWholeEnd - firstWhole, 3 * kHuge);
  EXPECT_TRUE(HasHugePageAdvice(firstWhole));
  EXPECT_TRUE(HasHugePageAdvice(lastWholeEnd - 1));
  // The partial pages at both ends stay ordinary: they may be shared with
  // other blocks of the heap.
  if (firstWhole != begin) {
    EXPECT_FALSE(HasHugePageAdvice(begin));
  }
  EXPECT_FALSE(HasHugePageAdvice(begin + block.size() - 1));
  // The vector still behaves as one: the contents survive growing.
  block[0] = 'a';
  block.back() = 'z';
  block.resize(block.size() * 2, 'x');
  EXPECT_EQ(block[0], 'a');
  EXPECT_EQ(block[(std::size_t{9} << 20) - 1], 'z');
  EXPECT_EQ(block.back(), 'x');
}

TEST(HugePages, SmallBlocksAreLeftAlone) {
  if (!std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled")) GTEST_SKIP() << "no transparent huge pages";
  // Just below the threshold, a mapping of its own (glibc maps blocks this
  // large separately), so no other block's advice shows on it.
  SUHugePages::Vector<char> block(SUHugePages::kAdviseFrom - 4096);
  const auto begin = reinterpret_cast<std::uintptr_t>(block.data());
  for (std::uintptr_t a = begin; a < begin + block.size(); a += 4096) {
    ASSERT_FALSE(HasHugePageAdvice(a)) << "offset " << (a - begin);
  }
}
