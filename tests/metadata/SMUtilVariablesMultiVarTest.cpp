#include <gtest/gtest.h>

#include "Metadata/SMConstants.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/RpBuilder.h"

namespace {

class ParseMultiVarOfVariable : public ::testing::Test {
 protected:
  // A session block (it fills a session variable) and a repository block.
  ParseMultiVarOfVariable() {
    auto session = b.Add(kTIDASessionVariableBlock, U"Session Init")
                       .Set(RpProp::kBlockType, std::int64_t{ASessionVariableBlock::kSessionScope});
    sessionMulti = session.Child(kTIDARpVariable, U"REGION" + token + U"ORCL")
                       .Set(RpProp::kVariableType, std::int64_t{ARpVariable::kSession})
                       .As<ARpVariable>();
    sessionPlain = session.Child(kTIDARpVariable, U"REGION")
                       .Set(RpProp::kVariableType, std::int64_t{ARpVariable::kSession})
                       .As<ARpVariable>();
    auto repository = b.Add(kTIDASessionVariableBlock, U"Nightly")
                          .Set(RpProp::kBlockType, std::int64_t{ASessionVariableBlock::kRepositoryScope});
    repositoryMulti = repository.Child(kTIDARpVariable, U"RATE" + token + U"ORCL")
                          .Set(RpProp::kVariableType, std::int64_t{ARpVariable::kDynamic})
                          .As<ARpVariable>();
  }

  const VXString token = _S_MULTI_VAR_TOKEN;
  ARpGateway rp;
  RpBuilder b{rp};
  Ref<ARpVariable> sessionMulti, sessionPlain, repositoryMulti;
};

TEST_F(ParseMultiVarOfVariable, SessionVariableIsSplit) {
  VXString var, source;
  ASSERT_TRUE(MetadataUtil::ParseMultiVar(sessionMulti, var, source));
  EXPECT_EQ(var, U"REGION");
  EXPECT_EQ(source, U"ORCL");
}

TEST_F(ParseMultiVarOfVariable, OtherVariablesAreRefused) {
  VXString var = U"-", source = U"-";
  EXPECT_FALSE(MetadataUtil::ParseMultiVar(sessionPlain, var, source));
  EXPECT_FALSE(MetadataUtil::ParseMultiVar(repositoryMulti, var, source));
  EXPECT_FALSE(MetadataUtil::ParseMultiVar(Ref<ARpVariable>(), var, source));
  // A handle whose object was deleted resolves to nothing.
  Ref<ARpVariable> gone = sessionMulti;
  rp.DeleteObject(sessionMulti.m_ID);
  EXPECT_FALSE(MetadataUtil::ParseMultiVar(gone, var, source));
  EXPECT_EQ(var, U"-");
  EXPECT_EQ(source, U"-");
}

}  // namespace
