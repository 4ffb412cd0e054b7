// Logical SQL from arbitrary bytes: parsing never crashes, reads past the
// text or takes more than linear time; over a small repository a query that
// binds is written back, and the text written binds to the same
// query spec.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzText.h"
#include "Metadata/SMLogicalSQL.h"
#include "objectmodel/RpBuilder.h"

namespace {

ARpGateway& Repo() {
  static ARpGateway* rp = [] {
    auto* gateway = new ARpGateway;
    RpBuilder b(*gateway);
    auto area = b.Add(kTIDACatalogFolder, U"Sales");
    auto orders = area.Child(kTIDAEntityFolder, U"Orders");
    orders.Child(kTIDAFolderAttr, U"Revenue");
    orders.Child(kTIDAFolderAttr, U"Year");
    area.Child(kTIDAEntityFolder, U"Customers").Child(kTIDAFolderAttr, U"Region");
    return gateway;
  }();
  return *rp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the run: parse only, or parse and bind.
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  if ((data[0] & 1) == 0) {
    const logical_sql::ParseResult r = logical_sql::Parse(text);
    for (const logical_sql::Diagnostic& d : r.diagnostics) {
      FuzzCheck(d.range.start.offset <= text.size() && d.range.end.offset <= text.size());
      FuzzCheck(d.range.start.offset <= d.range.end.offset);
    }
    // The tree's spans stay in the text, and its names read back.
    const logical_sql::SyntaxTree& tree = r.tree;
    for (const logical_sql::ExprNode& n : tree.exprs) {
      FuzzCheck(n.range.begin <= n.range.end && n.range.end <= text.size());
      FuzzCheck(n.Value().begin <= n.Value().end && n.Value().end <= text.size());
      FuzzCheck(n.FirstChild() + std::size_t{n.ChildCount()} <= tree.children.size());
      if (n.kind == logical_sql::ExprNode::kName) FuzzCheck(!tree.Segments(n.Value()).empty());
    }
    return 0;
  }
  const logical_sql::BindResult r = logical_sql::ParseAndBind(text, &Repo(), U"", {});
  if (!r.spec) return 0;
  const VXString written = logical_sql::Format(*r.spec, &Repo(), {});
  const logical_sql::BindResult again = logical_sql::ParseAndBind(ToNarrow(written), &Repo(), U"", {});
  FuzzCheck(again.spec != nullptr);
  FuzzCheck(again.spec->Equals(*r.spec));
  return 0;
}
