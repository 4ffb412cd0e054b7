// Decodes arbitrary bytes as a tagged lookup condition; a decoded condition is
// written again and must read back to the same bytes, and running it over a
// small repository must not fail.
#include <cstddef>
#include <cstdint>

#include "Utility/DataBlobUtil.h"
#include "objectmodel/ObjectModel.h"

namespace {
ARpGateway& Repo() {
  static ARpGateway* rp = [] {
    auto* g = new ARpGateway;
    RpBuilder b(*g);
    auto db = b.Add(kTIDADatabase, U"DB");
    auto t = db.Child(kTIDATable, U"Orders").Alias(U"Old");
    t.Child(kTIDAColumn, U"Id");
    b.Add(kTIDACatalogFolder, U"Sales");
    return g;
  }();
  return *rp;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ARpGateway& rp = Repo();
  try {
    const uint8* next = nullptr;
    std::unique_ptr<ACondition> cond = ConditionRegistry::FromTaggedBytes(&rp, data, data + size, &next);
    if (!cond || next < data || next > data + size) __builtin_trap();
    ByteVector again;
    ConditionRegistry::ToTaggedBytes(&rp, *cond, again);
    std::unique_ptr<ACondition> back =
        ConditionRegistry::FromTaggedBytes(&rp, again.data(), again.data() + again.size());
    ByteVector third;
    ConditionRegistry::ToTaggedBytes(&rp, *back, third);
    if (third != again) __builtin_trap();
    VoidIDVector ids;
    rp.LookupObjects(*cond, ids);
  } catch (const BlobDecodeError&) {
  }
  return 0;
}
