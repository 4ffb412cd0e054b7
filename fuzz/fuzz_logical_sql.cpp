// Logical SQL from arbitrary bytes: parsing never crashes, reads past the
// text or takes more than linear time; over a small repository a query that
// binds is written back, and the text written binds to the same
// query spec.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzRepository.h"
#include "FuzzText.h"
#include "Metadata/SMLogicalSQL.h"

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
  const logical_sql::BindResult r = logical_sql::ParseAndBind(text, &FuzzRepository(), U"", {});
  if (!r.spec) return 0;
  const VXString written = logical_sql::Format(*r.spec, &FuzzRepository(), {});
  const logical_sql::BindResult again = logical_sql::ParseAndBind(ToNarrow(written), &FuzzRepository(), U"", {});
  FuzzCheck(again.spec != nullptr);
  FuzzCheck(again.spec->Equals(*r.spec));
  return 0;
}
