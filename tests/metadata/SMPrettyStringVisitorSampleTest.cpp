// Renderings of every expression of the bundled sample repository (logical
// column formulas, complex joins, repository variables, hide conditions of
// presentation columns) in the plain, fully qualified and by-id modes, inside
// each subject area, re-parented, and with the warehouse database renamed,
// compared with tests/metadata/golden/render_sample.txt. (Display names in
// two languages need the bundle store: the tool's golden renderings have
// them.)
//
// The test never writes the golden file: after a deliberate change,
// scripts/update-goldens.sh rewrites it (the test leaves its output in
// SMUTIL_GOLDEN_OUT when that names a directory) and the change shows as a diff.
// Each line is: object, tab, mode, tab, the text in brackets (so leading and
// trailing blanks show); a rendering that throws shows the error instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/RpFile.h"

namespace {

const std::string kGolden = std::string(SMUTIL_SAMPLES_DIR) + "/../tests/metadata/golden/render_sample.txt";

template <class Render>
std::string Bracketed(Render render) {
  try {
    return "[" + ToNarrow(render()) + "]";
  } catch (const std::exception& e) {
    return std::string("error: ") + e.what();
  }
}

std::string Rendered(const Expr& expr, ARpGateway* rp, bool q, bool fq, bool byId) {
  return Bracketed([&] {
    return ToPrettyStringVisitor::StringFrom(
        expr, rp,
        ToPrettyStringVisitor::Options{.mandatoryDoubleQuotes = q, .fullyQualified = fq, .usingVoidID = byId});
  });
}

// The modes that take more than flags, for one expression of obj.
void RenderOtherModes(std::ostream& out, const std::string& name, const Expr& expr, ARpGateway* rp,
                      const Ref<ARpObject>& obj, const VoidIDVector& catalogs) {
  for (const VoidID& id : catalogs) {
    const Ref<ACatalogFolder> catalog(rp->GetObject(id));
    out << name << "	catalog " << ToNarrow(catalog->GetName()) << "	"
        << Bracketed([&] { return ToPrettyStringVisitor::StringFrom(expr, rp, catalog, false); }) << "\n";
  }
  // The object's parent moved under a business model of another name.
  const Ref<ARpObject> parent = MetadataUtil::GetParent(obj);
  if (!parent.IsNull()) {
    const QualifiedName moved{U"Sales", U"Moved " + parent->GetName()};
    out << name << "	re-parented	"
        << Bracketed([&] { return ToPrettyStringVisitor::StringFrom(expr, rp, parent, moved, false); }) << "\n";
  }
  const OldDatabaseNameToNewDatabaseNameMap renamed{{U"sales dw", U"Warehouse"}};
  out << name << "	database renamed	"
      << Bracketed([&] { return ToPrettyStringVisitor::StringFrom(expr, rp, renamed, false); }) << "\n";
}

std::string RenderSample() {
  std::unique_ptr<ARpGateway> rp = RpFile::Load(std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml");
  std::ostringstream out;
  VoidIDVector catalogs;
  rp->GetObjectIDsOfType(kTIDACatalogFolder, catalogs);
  for (TypeID type :
       std::initializer_list<TypeID>{kTIDAAttribute, kTIDAComplexJoin, kTIDARpVariable, kTIDAFolderAttr}) {
    VoidIDVector ids;
    rp->GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      Ref<ARpObject> obj = rp->GetObject(id);
      const RpProp key = type == kTIDAComplexJoin  ? RpProp::kJoinExpr
                         : type == kTIDAFolderAttr ? RpProp::kHideObjectExpr
                                                   : RpProp::kExpr;
      const Expr expr = obj->GetExprProperty(key);
      if (expr.IsEmpty()) continue;
      const std::string name = ToNarrow(MetadataUtil::GenerateQualifiedName(obj));
      out << name << "\tplain\t" << Rendered(expr, rp.get(), false, false, false) << "\n"
          << name << "\tfully qualified\t" << Rendered(expr, rp.get(), true, true, false) << "\n"
          << name << "\tby id\t" << Rendered(expr, rp.get(), false, false, true) << "\n";
      RenderOtherModes(out, name, expr, rp.get(), obj, catalogs);
    }
  }
  return out.str();
}

}  // namespace

TEST(PrettySample, EveryExpressionOfTheSampleRepository) {
  const std::string rendered = RenderSample();
  ASSERT_FALSE(rendered.empty());
  if (const char* out = std::getenv("SMUTIL_GOLDEN_OUT")) {
    std::ofstream(std::string(out) + "/render_sample.txt", std::ios::binary) << rendered;
  }
  std::ifstream in(kGolden, std::ios::binary);
  ASSERT_TRUE(in) << "missing " << kGolden;
  std::stringstream golden;
  golden << in.rdbuf();
  EXPECT_EQ(rendered, golden.str());
}
