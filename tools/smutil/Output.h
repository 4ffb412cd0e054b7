// How results are printed: text by default, one JSON document with
// --format json. Commands build both forms here so the choice is made in
// one place.
//
//   AddFormatOption(cmd, ctx);                       // when declaring
//   Emit(ctx, [&] { return nlohmann::json::array(); },  // when printing
//        [&](std::ostream& out) { out << "...\n"; });
#pragma once

#include <functional>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "Commands.h"
#include "objectmodel/RpGateway.h"

namespace smutil_tool {

// --format text|json on a command, stored in ctx.format.
void AddFormatOption(CLI::App& cmd, Context& ctx);

// doc() written as one JSON document and a line break under --format json,
// text(ctx.out) otherwise.
void Emit(Context& ctx, const std::function<nlohmann::json()>& doc, const std::function<void(std::ostream&)>& text);

// A JSON document as Emit writes it (compact, invalid UTF-8 replaced).
std::string DumpJson(const nlohmann::json& doc);

// An object as every JSON listing gives it:
// {"id":"3001:12","type":3001,"typeName":"TABLE","name":"W_ORDERS_F","qualifiedName":"..."}.
nlohmann::json ObjectJson(const Ref<ARpObject>& obj);

}  // namespace smutil_tool
