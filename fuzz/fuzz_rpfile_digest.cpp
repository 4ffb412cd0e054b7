// Comparing repository texts from arbitrary bytes: the input is two texts
// (the first two bytes give the first one's length). Splitting and
// comparing never read out of bounds or throw, a text compared with itself
// has no changes, and where both texts load the comparison agrees with
// comparing the repositories: it finds every changed object from the texts
// as given, and exactly those from the texts the writer makes of them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "Checks/ConsistencyCheck.h"
#include "Checks/ObjectPlaces.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpFileDigest.h"

namespace {

void SplitAll(std::string_view text) {
  // The places of the objects: every one found lies within the text.
  const ObjectPlaces places(text);
  RpFileDigest::Splitter s(text);
  std::string why;
  if (!s.Start(why)) return;
  std::vector<VoidID> args;
  for (RpFileDigest::Element e; s.Next(e, why) && e.kind != RpFileDigest::Element::Kind::kEnd;) {
    if (e.end > text.size() || e.begin >= e.end || e.posEnd > e.end) std::abort();
    if (e.kind == RpFileDigest::Element::Kind::kObject) {
      const ObjectPlace* p = places.Find(e.id);
      if (!p || p->startLine == 0 || p->startColumn == 0 || p->endLine < p->startLine) std::abort();
    }
    if (e.kind == RpFileDigest::Element::Kind::kTuple)
      RpFileDigest::TupleArgs(text.substr(e.begin, e.end - e.begin), args);
  }
}

std::unique_ptr<ARpGateway> TryLoad(std::string_view text) {
  try {
    return RpFile::LoadFromMemory(text.data(), text.size(), "fuzz");
  } catch (const RpFileError&) {
    return nullptr;
  }
}

// Every id the repositories' comparison finds is among changed; with
// bExact, nothing else is.
void ExpectAgreement(ARpGateway& now, ARpGateway& before, const RpFileDigest::TextComparison& c, bool bExact) {
  if (!c.bCompared) {
    if (c.whyNot.empty()) std::abort();
    return;
  }
  const std::unordered_set<VoidID, VoidIDHash> full = ChangedObjectIDs(now, before);
  const std::unordered_set<VoidID, VoidIDHash> byText(c.changed.begin(), c.changed.end());
  for (const VoidID& id : full) {
    if (!byText.contains(id)) std::abort();
  }
  if (bExact && full.size() != byText.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t split = std::min<std::size_t>(data[0] | (data[1] << 8), size - 2);
  const std::string_view all(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string_view a = all.substr(0, split);
  const std::string_view b = all.substr(split);
  SplitAll(a);
  SplitAll(b);
  const RpFileDigest::TextComparison self = RpFileDigest::CompareTexts(a, a);
  if (self.bCompared && !self.changed.empty()) std::abort();
  const RpFileDigest::TextComparison c = RpFileDigest::CompareTexts(a, b);
  std::unique_ptr<ARpGateway> now = TryLoad(a);
  if (!now) return 0;
  std::unique_ptr<ARpGateway> before = TryLoad(b);
  if (!before) return 0;
  ExpectAgreement(*now, *before, c, false);
  const std::string nowText = RpFile::SaveToString(*now);
  const std::string beforeText = RpFile::SaveToString(*before);
  std::unique_ptr<ARpGateway> nowAgain = TryLoad(nowText);
  std::unique_ptr<ARpGateway> beforeAgain = TryLoad(beforeText);
  if (!nowAgain || !beforeAgain) std::abort();
  ExpectAgreement(*nowAgain, *beforeAgain, RpFileDigest::CompareTexts(nowText, beforeText), true);
  return 0;
}
