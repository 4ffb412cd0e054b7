// What the handlers of the language server share: JSON forms of positions
// and ranges, the function table read from the renderer's operator table,
// and the look at the text around the cursor.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "Lsp/TextDocument.h"
#include "Metadata/SMLogicalSQL.h"
#include "Utility/VXString.h"
#include "objectmodel/ObjectModel.h"

namespace smutil_lsp::detail {

nlohmann::json ToJson(const Position& p);
nlohmann::json ToJson(const Range& r);
// Throws nlohmann::json::exception when the value is not a position.
Position PositionFrom(const nlohmann::json& j);
Range RangeFrom(const nlohmann::json& j);

// One function of logical SQL as completion and signature help show it:
// "SUBSTRING(expr1 FROM expr2)" with where each parameter stands in it.
struct FunctionSignature {
  std::string label;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> parameters;  // [start, end) in label, UTF-16 units
  std::vector<std::string> separators;                              // the text between parameters, trimmed
  bool bVariadic = false;
};
struct FunctionEntry {
  std::string name;  // upper case as written: "SUM"
  std::vector<FunctionSignature> signatures;
};
// Every function of the renderer's operator table whose text opens with a
// name and "(", grouped by name, in name order.
const std::vector<FunctionEntry>& Functions();
const FunctionEntry* FindFunction(std::string_view name);

// The statement words completion offers (the grammar's clause words).
const std::vector<std::string_view>& ClauseKeywords();

// The text before the cursor as completion and signature help need it.
struct CursorContext {
  // The name being typed: the segments before the last "." (quotes
  // removed) and what is typed of the last one.
  std::vector<std::string> qualifier;
  std::string prefix;
  bool bOpenQuote = false;       // the last segment began with a '"' not yet closed
  std::size_t replaceStart = 0;  // byte offset where the typed segment (and its quote) begins
  bool bInStringOrComment = false;
  // The clause the cursor is in: the last clause word before it at the
  // cursor's parenthesis depth ("SELECT", "FROM", "WHERE", ... or empty).
  std::string clause;
  // The innermost "(" not yet closed before the cursor: the word before it
  // ("" when none), and the parameter the cursor is in (from 0).
  std::string callee;
  std::size_t calleeOffset = 0;
  std::uint32_t activeParameter = 0;
  bool bInCall = false;
};
CursorContext ContextAt(std::string_view text, std::size_t offset);

// The segments of a written name, and which of them holds a byte offset
// (relative to the start of text); -1 when none does.
struct NameSegments {
  std::vector<std::pair<std::size_t, std::size_t>> ranges;  // [start, end) of each segment, quotes included
  int at = -1;
};
NameSegments SegmentsOf(std::string_view text, std::size_t offset);

// Upper-cased ASCII (names of functions and keywords).
std::string Upper(std::string_view s);
// Whether name starts with prefix, without regard to case.
bool StartsWithNoCase(const VXString& name, const VXString& prefix);

// "presentation column" and so on.
std::string TypeWords(TypeID type);

}  // namespace smutil_lsp::detail
