#include "RepoLoad.h"

#include <cctype>
#include <charconv>
#include <ostream>
#include <utility>
#include <vector>

#include "FileArgs.h"
#include "Metadata/SMDictUtil.h"
#include "Metadata/SMEverydayTypeNames.h"
#include "Metadata/SMTypeNames.h"
#include "Metadata/SMUtil.h"
#include "Output.h"
#include "objectmodel/Condition.h"
#include "objectmodel/ObjectParent.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/TypeIDs.h"

namespace smutil_tool {
namespace {

// Upper case, words separated by one blank.
std::string NormalizeTypeWord(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool bBlank = c == ' ' || c == '_' || c == '-' || c == '\t';
    if (bBlank) {
      if (!out.empty() && out.back() != ' ') out.push_back(' ');
    } else {
      out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The catalogue's display names, in catalogue order, then the tool's own.
const std::vector<std::pair<std::string, TypeID>>& TypeNames() {
  static const std::vector<std::pair<std::string, TypeID>> names = [] {
    std::vector<std::pair<std::string, TypeID>> v;
    for (TypeID t : AllCatalogueTypeIDs()) {
      // A type not in the type-name table is reachable by number only.
      if (VXString name; SMTypeNames::Find(t, name)) v.emplace_back(ToNarrow(name), t);
    }
    for (const EverydayTypeName& n : EverydayTypeNames()) v.emplace_back(n.name, n.type);
    return v;
  }();
  return names;
}

// The dictionary's short codes (LT, PRC, LLEV), each the code of one type.
TypeID TypeOfShortCode(const std::string& word) {
  for (const TypeRelatedTuple* row = MetadataDictUtil::m_supportedTypes; row->m_typeID != 0; ++row) {
    if (NormalizeTypeWord(ToNarrow(row->m_shortTypeName)) == word) return row->m_typeID;
  }
  return 0;
}

}  // namespace

std::unique_ptr<ARpGateway> LoadRepositoryOrExplain(Context& ctx) {
  if (const std::string& broken = FindDefaultRepository().configError; !broken.empty()) {
    WriteError(ctx.err, "", "cannot read the system configuration " + broken,
               {"fix it, or name another with SMUTIL_CONFIG"});
    return nullptr;
  }
  try {
    if (!IsStdStream(ctx.repoPath)) return RpFile::Load(ctx.repoPath);
    std::string bytes;
    if (!ReadInput(ctx, "", ctx.repoPath, "repository file", bytes, SUFileUtility::kMaxMappedFileBytes)) return nullptr;
    return RpFile::LoadFromMemory(bytes.data(), bytes.size(), "standard input");
  } catch (const RpFileError& e) {
    WriteLoadError(ctx, e,
                   e.GetLine() > 0
                       ? "fix the file at that place, or give another file with --repo FILE"
                       : "give a readable repository file with --repo FILE (without it the bundled sample is used)");
  }
  return nullptr;
}

std::string LoadFaultPlace(const RpFileError& e) {
  if (e.GetLine() == 0) return e.GetSource();
  return e.GetSource() + " (line " + std::to_string(e.GetLine()) + ", column " + std::to_string(e.GetColumn()) + ")";
}

void WriteLoadError(Context& ctx, const RpFileError& e, const std::string& hint) {
  WriteError(ctx.err, "", "cannot load repository " + LoadFaultPlace(e) + ": " + e.GetMessage(), {hint});
}

bool ParseTypeArgument(Context& ctx, const std::string& text, TypeID& type) {
  std::int64_t number = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (ec == std::errc() && p == text.data() + text.size()) {
    if (AMetaClass::FromTypeID(static_cast<TypeID>(number)) && number >= INT32_MIN && number <= INT32_MAX) {
      type = static_cast<TypeID>(number);
      return true;
    }
    WriteError(ctx.err, "", text + " is not a type id of the catalogue (e.g. 3001 for TABLE)");
    return false;
  }
  const std::string word = NormalizeTypeWord(text);
  for (const auto& [name, t] : TypeNames()) {
    if (name == word) {
      type = t;
      return true;
    }
  }
  if (const TypeID t = TypeOfShortCode(word)) {
    type = t;
    return true;
  }
  std::string names = " ";
  std::size_t width = 1;
  for (const auto& [name, t] : TypeNames()) {
    if (width + name.size() + 3 > 100) {
      names += "\n ";
      width = 1;
    }
    names += " \"" + name + "\"";
    width += name.size() + 3;
  }
  WriteError(
      ctx.err, "",
      "unknown type '" + text + "'; give a number, a short code of the dictionary (LT, PRC, ...) or one of:\n" + names);
  return false;
}

std::string TypeName(TypeID type) {
  for (const auto& [name, t] : TypeNames()) {
    if (t == type) return name;
  }
  return std::string();
}

std::string TypeLabel(TypeID type) {
  const std::string name = TypeName(type);
  return name.empty() ? std::to_string(type) : name + " (" + std::to_string(type) + ")";
}

std::string TypeLabelExplained(TypeID type) {
  const std::string everyday = EverydayTypeLabel(type);
  const std::string name = TypeName(type);
  if (everyday.empty() || NormalizeTypeWord(everyday) == name) return TypeLabel(type);
  return name + " (" + std::to_string(type) + ", " + everyday + ")";
}

std::string ShortCodeExplained(const Ref<ARpObject>& obj) {
  const std::string code = ToNarrow(MetadataDictUtil::GetShortTypeName(obj));
  if (code.empty()) return code;
  const std::string everyday = EverydayTypeLabel(obj->GetTypeID());
  return code + " (" + (everyday.empty() ? TypeName(obj->GetTypeID()) : everyday) + ")";
}

std::vector<TypeID> TypesNamed(ARpGateway* rp, const QualifiedName& qname, TypeID except) {
  std::vector<TypeID> found;
  if (qname.empty()) return found;
  for (TypeID t : rp->GetKnownTypes()) {
    if (t != except && !MetadataUtil::GetRpObjectFromQualifiedName(rp, t, qname).IsNull()) found.push_back(t);
  }
  return found;
}

void ExplainSimilarNames(Context& ctx, ARpGateway* rp, TypeID type, const QualifiedName& qname,
                         const std::string& typeText) {
  // The name is right and the type is not: "SUBJECT AREA" is the
  // catalogue's business model, while a user may mean the presentation one.
  for (TypeID other : TypesNamed(rp, qname, type)) {
    std::string word = EverydayTypeLabel(other);
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (word.empty()) word = TypeName(other);
    WriteHint(ctx.err, "a " + word + " (" + std::to_string(other) + ") has that name: --type '" + word + "'");
  }
  // Names compare exactly in lookups; offer the objects whose last name
  // matches in another case or through a former name.
  VoidIDVector ids;
  if (!qname.empty()) rp->LookupObjects(TypedObjectNameCondition(type, qname.back(), true), ids);
  if (!ids.empty()) WriteHint(ctx.err, "objects of that type with a similar last name:");
  for (std::size_t i = 0; i < ids.size() && i < 10; ++i) {
    WriteHint(ctx.err, "  " + ToNarrow(MetadataUtil::GenerateQualifiedName(rp->GetObject(ids[i]))));
  }
  if (ids.empty()) WriteHint(ctx.err, "list the names in use with: smutil names --type '" + typeText + "'");
}

}  // namespace smutil_tool
