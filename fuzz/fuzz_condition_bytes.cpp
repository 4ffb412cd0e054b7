// Decodes arbitrary bytes as a tagged condition through the registry, with the
// library's kinds registered (named 4, flexible 5, wildcard 8) beside the
// object model's. A decoded condition must write bytes that read back to the
// same bytes, and running it over a small repository must not fail.
#include <cstddef>
#include <cstdint>

#include "Metadata/SMLookupCondition.h"
#include "Utility/DataBlobUtil.h"
#include "objectmodel/RpBuilder.h"

namespace {
ARpGateway& Repo() {
  static ARpGateway* rp = [] {
    auto* g = new ARpGateway;
    RpBuilder b(*g);
    auto db = b.Add(kTIDADatabase, U"DB");
    db.Child(kTIDATable, U"Orders").Alias(U"Old").Child(kTIDAColumn, U"Id");
    db.Child(kTIDACatalog, U"Cat").Child(kTIDASchema, U"dbo").Child(kTIDATable, U"Orders");
    auto area = b.Add(kTIDACatalogFolder, U"Sales").Alias(U"Old Sales");
    area.Child(kTIDAEntityFolder, U"Orders").Alias(U"Shipments").Child(kTIDAFolderAttr, U"Amount");
    area.Child(kTIDASchemaFolder, U"Folder").Child(kTIDAEntityFolder, U"Orders");
    b.Add(kTIDASubjectArea, U"BM").Child(kTIDALogicalTable, U"Fact").Child(kTIDAAttribute, U"Revenue");
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
