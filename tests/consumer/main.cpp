// Uses the installed library as a host would: loads the installed sample
// repository, resolves a name, renders an expression, runs a consistency
// check of the checks component, and checks that the library's load-time
// registrations are seen from this program's own code (one copy of the
// object model's registries in the process).
#include <iostream>
#include <memory>
#include <string>

#include "Checks/ConsistencyCheck.h"
#include "Expr/ToStringVisitor.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVersion.h"
#include "Utility/SUInstallDir.h"
#include "objectmodel/Condition.h"
#include "objectmodel/RpFile.h"

namespace {
int passed = 0, failed = 0;

void Check(bool ok, const std::string& what, const std::string& got = std::string()) {
  ++(ok ? passed : failed);
  std::cout << (ok ? "ok   " : "FAIL ") << what << (ok || got.empty() ? "" : " (got: " + got + ")") << "\n";
}
}  // namespace

int main() {
  Check(std::string(SMUtilVersion()) == SMUTIL_FOUND_VERSION, "the loaded library is the version found",
        SMUtilVersion());
  // Registered by the library when it was loaded; asked here through the
  // object model's headers.
  Check(ConditionRegistry::IsRegistered(ACondition::NamedInterfaceType),
        "the library's condition decoders are registered with the object model this program uses");

  const std::string file = SUInstallDir::DataFile("sample.rpd.xml");
  std::unique_ptr<ARpGateway> rp;
  try {
    rp = RpFile::Load(file);
  } catch (const std::exception& e) {
    Check(false, "the installed sample repository loads", e.what());
    std::cout << passed << " passed, " << failed << " failed\n";
    return 1;
  }
  Check(true, "the installed sample repository loads");

  const Ref<ARpObject> table = MetadataUtil::GetRpObjectFromQualifiedName(
      rp.get(), kTIDATable, QualifiedName{U"Sales DW", U"SALESDB", U"dbo", U"W_ORDERS_F"});
  Check(!table.IsNull() && table->GetID().ToString() == U"3001:1", "a table is resolved by its qualified name");

  const Ref<ARpObject> revenue = rp->GetObject(VoidID(kTIDAAttribute, 24));
  const std::string rendered =
      revenue.IsNull() ? std::string("(no object 2006:24)")
                       : ToNarrow(ToPrettyStringVisitor::StringFrom(Ref<AAttribute>(revenue)->GetExpr(), rp.get(),
                                                                    false, false, false, false, false));
  Check(rendered == "Orders.Quantity * Orders.\"Unit Price\" - Orders.Discount",
        "a logical column's formula renders as logical SQL", rendered);

  // The checks component: a logical table made without a source is found.
  const Ref<ARpObject> model = rp->GetObject(VoidID(kTIDASubjectArea, 1));
  const Ref<ARpObject> bare =
      model.IsNull() ? Ref<ARpObject>() : rp->CreateObject(kTIDALogicalTable, U"No Source", model.GetID());
  bool bFound = false;
  if (!bare.IsNull()) {
    ConsistencyCheckOptions options;
    options.m_scope.emplace();
    options.m_scope->insert(bare.GetID());
    for (const ConsistencyMessage& m : RunConsistencyChecks(*rp, options)) bFound = bFound || m.GetMessageId() == 38017;
  }
  Check(bFound, "the checks component finds a logical table without a source");

  std::cout << passed << " passed, " << failed << " failed\n";
  return failed == 0 ? 0 : 1;
}
