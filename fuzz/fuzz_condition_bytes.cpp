// Decodes arbitrary bytes as a tagged condition through the registry, with the
// library's kinds registered (named 4, flexible 5, wildcard 8) beside the
// object model's. A decoded condition must write bytes that read back to the
// same bytes, and running it over a small repository must not fail.
#include <cstddef>
#include <cstdint>

#include "FuzzRepository.h"
#include "Metadata/SMLookupCondition.h"
#include "Utility/DataBlobUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ARpGateway& rp = FuzzRepository();
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
    VoidIDVector idsBack;
    rp.LookupObjects(*back, idsBack);
    if (ids != idsBack) __builtin_trap();
    if (auto* named = dynamic_cast<ObjectNameCondition*>(cond.get())) {
      RpObjectVector children;
      for (const VoidID& id : ids) named->GetChildren(rp.GetObject(id), children);
      if (named->IsFullyQualifiedSearch()) {
        std::unique_ptr<ObjectNameCondition> parent(named->GetParentCondition());
        if (parent) rp.LookupObjects(*parent, ids);
      }
    }
  } catch (const BlobDecodeError&) {
  }
  return 0;
}
