#include "Output.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <ostream>

#include "Metadata/SMUtil.h"
#include "RepoLoad.h"

namespace smutil_tool {

void AddFormatOption(CLI::App& cmd, Context& ctx) {
  const std::vector<std::pair<std::string, OutputFormat>> formats{{"text", OutputFormat::kText},
                                                                  {"json", OutputFormat::kJson}};
  cmd.add_option("--format", ctx.format, "output format: text (the default) or json")
      ->type_name("FORMAT")
      ->transform(OneOf(formats));
}

void WriteError(std::ostream& err, const std::string& command, const std::string& text,
                const std::vector<std::string>& hints) {
  err << "smutil" << (command.empty() ? std::string() : " " + command) << ": " << text << "\n";
  for (const std::string& hint : hints) WriteHint(err, hint);
}

void WriteHint(std::ostream& err, const std::string& text) { err << "  " << text << "\n"; }

std::string WordList(const std::vector<std::string>& words, const char* last) {
  std::string out;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out += i + 1 == words.size() ? last : ", ";
    out += words[i];
  }
  return out;
}

CLI::Validator WholeNumber(const std::string& what, std::uint64_t min, std::uint64_t max) {
  return CLI::Validator(
      [what, min, max](std::string& v) {
        std::uint64_t n = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
        if (ec == std::errc() && end == v.data() + v.size() && n >= min && n <= max) return std::string();
        return "'" + v + "' is not " + what + " from " + std::to_string(min) + " to " + std::to_string(max);
      },
      "", "");
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
