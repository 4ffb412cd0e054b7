// How results are printed: text by default, one JSON document with
// --format json. Commands build both forms here so the choice is made in
// one place.
//
//   AddFormatOption(cmd, ctx);                       // when declaring
//   Emit(ctx, [&] { return nlohmann::json::array(); },  // when printing
//        [&](std::ostream& out) { out << "...\n"; });
#pragma once

#include <CLI/CLI.hpp>
#include <cctype>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "Commands.h"
#include "objectmodel/RpGateway.h"

namespace smutil_tool {

// --format text|json on a command, stored in ctx.format.
void AddFormatOption(CLI::App& cmd, Context& ctx);

// "smutil COMMAND: text" (or "smutil: text" without a command) on ctx.err:
// the one shape of the tool's error lines; each hint follows on a line of its
// own, indented, saying what to do about it.
void WriteError(std::ostream& err, const std::string& command, const std::string& text,
                const std::vector<std::string>& hints = {});
// One more indented line under the error line just written.
void WriteHint(std::ostream& err, const std::string& text);

// "text or json", "text, json or sarif".
std::string WordList(const std::vector<std::string>& words, const char* last = " or ");

// An option that takes one of a few words, in any case: the word becomes
// its value; another word is refused naming the words it may be
// ("--format: 'yaml' is not one of text or json").
template <typename T>
CLI::Validator OneOf(const std::vector<std::pair<std::string, T>>& choices) {
  std::vector<std::string> words;
  for (const auto& c : choices) words.push_back(c.first);
  return CLI::Validator(
      [choices, words](std::string& value) {
        std::string lower;
        for (char c : value) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        for (const auto& [word, v] : choices) {
          if (word == lower) {
            value = std::to_string(static_cast<long long>(v));
            return std::string();
          }
        }
        return "'" + value + "' is not one of " + WordList(words);
      },
      "", "");
}

// An option or argument that takes a whole number from min to max; anything
// else is refused naming what the number is and its range ("N: '0' is not a
// number of objects from 1 to 50000000").
CLI::Validator WholeNumber(const std::string& what, std::uint64_t min, std::uint64_t max);

// doc() written as one JSON document and a line break under --format json,
// text(ctx.out) otherwise.
void Emit(Context& ctx, const std::function<nlohmann::json()>& doc, const std::function<void(std::ostream&)>& text);

// A JSON document as Emit writes it (compact, invalid UTF-8 replaced).
std::string DumpJson(const nlohmann::json& doc);

// An object as every JSON listing gives it:
// {"id":"3001:12","type":3001,"typeName":"TABLE","name":"W_ORDERS_F","qualifiedName":"..."}.
nlohmann::json ObjectJson(const Ref<ARpObject>& obj);

}  // namespace smutil_tool
