// The joins of a generated repository are well formed: the checks of
// foreign keys, complex joins and logical foreign keys find nothing there.
#include <gtest/gtest.h>

#include "Checks/ConsistencyCheck.h"
#include "objectmodel/RpGenerator.h"

namespace {

TEST(GeneratedJoins, GiveTheJoinChecksNothingToReport) {
  RpGenerator::Options options;
  options.m_objectCount = 20000;
  const std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);
  std::vector<ConsistencyCheck> table;
  for (const char* id : {"foreign-key-column-elsewhere", "foreign-key-column-count", "join-without-expression",
                         "logical-foreign-key-without-target"}) {
    const ConsistencyCheck* check = FindConsistencyCheck(id);
    ASSERT_NE(check, nullptr) << id;
    table.push_back(*check);
  }
  for (const ConsistencyMessage& m : RunConsistencyChecks(*rp, {}, table)) {
    ADD_FAILURE() << m.GetMessageId() << ": " << ToNarrow(m.GetText(false));
  }
}

}  // namespace
