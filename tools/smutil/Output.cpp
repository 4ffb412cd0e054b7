#include "Output.h"

#include <CLI/CLI.hpp>
#include <map>
#include <ostream>

#include "Metadata/SMUtil.h"
#include "RepoLoad.h"

namespace smutil_tool {

void AddFormatOption(CLI::App& cmd, Context& ctx) {
  const std::map<std::string, OutputFormat> formats{{"text", OutputFormat::kText}, {"json", OutputFormat::kJson}};
  cmd.add_option("--format", ctx.format, "output format: text (the default) or json")
      ->type_name("FORMAT")
      ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case).description(""));
}

std::string DumpJson(const nlohmann::json& doc) {
  return doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void Emit(Context& ctx, const std::function<nlohmann::json()>& doc, const std::function<void(std::ostream&)>& text) {
  if (ctx.format == OutputFormat::kJson) {
    ctx.out << DumpJson(doc()) << '\n';
  } else {
    text(ctx.out);
  }
}

nlohmann::json ObjectJson(const Ref<ARpObject>& obj) {
  return {{"id", ToNarrow(obj->GetID().ToString())},
          {"type", obj->GetTypeID()},
          {"typeName", TypeName(obj->GetTypeID())},
          {"name", ToNarrow(obj->GetName())},
          {"qualifiedName", ToNarrow(MetadataUtil::GenerateQualifiedName(obj))}};
}

}  // namespace smutil_tool
