// Qualified names: quoting, writing, parsing, comparing and the concatenated
// database-plus-catalog name. This file is the one place that knows the
// written form of a qualified name.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "Metadata/SMUtil.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/IdentifierQuoting.h"
#include "Utility/SUSystemConfig.h"
#include "objectmodel/ObjectParent.h"

namespace {

constexpr char32_t kQuote = U'"';
constexpr char32_t kSeparatorChar = U'.';
const VXString kSeparator = U".";

// Segments in their written form joined by "." (without the normalisation of
// empty ends, which the callers apply once to the whole text).
void AppendQuotedSegments(VXString& out, const QualifiedName& segments) {
  for (std::size_t i = 0; i < segments.size(); ++i) {
    if (i > 0) out.push_back(kSeparatorChar);
    AppendQuotedIdentifier(out, segments[i], QuotingRules::kNameSegment);
  }
}

std::size_t WrittenSizeHint(const QualifiedName& segments) {
  std::size_t n = 0;
  for (const VXString& s : segments) n += s.size() + 3;
  return n;
}

void ReplaceDoubleSlashes(VXString& part) { BaseStringUtil::ReplacePatternInString(part, U"//", kSeparator); }

bool BeginsWithQuote(const VXString& s) { return !s.empty() && s.front() == kQuote; }
bool EndsWithQuote(const VXString& s) { return !s.empty() && s.back() == kQuote; }

}  // namespace

bool MetadataUtil::AreQuotesRequired(const VXString& /*name*/) { return true; }

VXString MetadataUtil::GenerateQuotedNameIfRequired(const VXString& name, const VXString& identifierQuote) {
  if (!AreQuotesRequired(name)) return name;
  // The database's own quote, written around the name as it stands; a name
  // that already opens with it is taken as quoted.
  const QuotingRule rule{QuotingRule::kUnlessOpened, false, false, QuotingRule::kKeepNul, identifierQuote};
  return QuotedIdentifier(name, rule);
}

VXString MetadataUtil::GenerateQuotedNameIfRequired(const QualifiedName& name, const VXString& identifierQuote) {
  VXString out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (i > 0) out.append(kSeparator);
    out.append(GenerateQuotedNameIfRequired(name[i], identifierQuote));
  }
  return out;
}

VXString MetadataUtil::ToQualifiedName(const QualifiedName& parentNameVector, const VXString& name) {
  VXString out;
  out.reserve(WrittenSizeHint(parentNameVector) + name.size() + 3);
  AppendQuotedSegments(out, parentNameVector);
  if (!parentNameVector.empty()) out.push_back(kSeparatorChar);
  AppendQuotedIdentifier(out, name, QuotingRules::kNameSegment);
  return RpObject::MakeQuotedEmptyFirstAndLastNames(out);
}

VXString MetadataUtil::ToQualifiedName(const QualifiedName& qualifiedNameParts) {
  VXString out;
  out.reserve(WrittenSizeHint(qualifiedNameParts));
  AppendQuotedSegments(out, qualifiedNameParts);
  return RpObject::MakeQuotedEmptyFirstAndLastNames(out);
}

bool MetadataUtil::IsQualifiedNameSection(const QualifiedName& shortQName, const QualifiedName& longQName,
                                          bool bAllowShortQNameEmpty) {
  if (shortQName.empty()) {
    // Nothing names no level; only a caller that asked for it gets a yes.
    return bAllowShortQNameEmpty;
  }
  if (shortQName.front().empty() || shortQName.back().empty()) return false;
  if (longQName.size() < shortQName.size()) return false;
  const std::size_t distance = longQName.size() - shortQName.size();
  for (std::size_t i = shortQName.size(); i-- > 0;) {
    if (shortQName[i].empty()) continue;  // a missing inner level matches any one level
    if (!BaseStringUtil::IsCaseInsensitiveMatch(shortQName[i], longQName[i + distance])) return false;
  }
  return true;
}

void MetadataUtil::StripQualifiedNameOfEmptyStrings(QualifiedName& input) {
  std::erase_if(input, [](const VXString& s) { return s.empty(); });
}

QualifiedName& MetadataUtil::ChopAQualifiedName(const QualifiedName& qualifiedName, QualifiedName& qName) {
  if (&qualifiedName == &qName) {
    // Chopping in place: emptying first would lose the input.
    if (!qName.empty()) qName.pop_back();
    return qName;
  }
  qName.clear();
  // An empty name has no container to give back; answer an empty one rather
  // than reserving a negative count.
  if (qualifiedName.empty()) return qName;
  qName.reserve(qualifiedName.size() - 1);
  qName.assign(qualifiedName.begin(), qualifiedName.end() - 1);
  return qName;
}

// One pass over the text. The segment being built lives in its final slot of
// result, and characters are copied in runs, so a caller that reuses result
// pays no allocation once the slots have grown to size.
void MetadataUtil::ParseQualifiedNameString(const VXString& qnameStr, QualifiedName& result, char separator,
                                            bool bStripQuotes) {
  // The separator is widened with its sign, as a char is on the server.
  const char32_t sep = static_cast<char32_t>(static_cast<std::int32_t>(static_cast<signed char>(separator)));
  if (!result.empty() && std::less_equal<const VXString*>()(result.data(), &qnameStr) &&
      std::less<const VXString*>()(&qnameStr, result.data() + result.size())) {
    // The text is one of the result's own segments, which the scan reuses.
    const VXString copy(qnameStr);
    ParseQualifiedNameString(copy, result, separator, bStripQuotes);
    return;
  }
  const char32_t* const begin = qnameStr.data();
  const char32_t* const limit = begin + qnameStr.size();

  std::size_t count = 0;  // segments completed so far
  auto openSlot = [&]() -> VXString& {
    if (result.size() <= count) result.emplace_back();
    VXString& slot = result[count];
    slot.clear();
    return slot;
  };

  VXString* cur = &openSlot();
  const char32_t* run = begin;  // first character not yet copied into *cur
  const char32_t* q = begin;
  bool inQuotes = false;
  // The text ends at its end or at its first NUL; q stops there.
  while (q < limit) {
    char32_t c = *q;
    if (!inQuotes) {
      while (c != kQuote && c != sep && c != 0 && ++q < limit) c = *q;
      if (q == limit || c == 0) break;
      if (c == kQuote) {
        if (bStripQuotes) {
          cur->append(run, q);
          run = q + 1;
        }
        inQuotes = true;
      } else if (q > begin && q[-1] == sep) {
        // Two separators in a row: an empty level; whatever was gathered goes.
        cur->clear();
        ++count;
        cur = &openSlot();
        run = q + 1;
      }
      ++q;
      continue;
    }
    while (c != kQuote && c != 0 && ++q < limit) c = *q;
    if (q == limit || c == 0) break;
    const char32_t* const next = q + 1;
    if (next == limit || *next == 0 || *next == sep) {
      // A quote before the separator or the end closes the segment.
      cur->append(run, bStripQuotes ? q : next);
      ++count;
      cur = &openSlot();
      inQuotes = false;
      q = (next < limit && *next == sep) ? next + 1 : next;
      run = q;
    } else {
      ++q;  // any other quote, a doubled one included, is part of the name
    }
  }

  if (inQuotes || !cur->empty() || run < q) {
    // Not a well-formed quoted name: hand the text back whole.
    result.resize(1);
    result[0].assign(qnameStr);
    return;
  }
  result.resize(count);
}

void MetadataUtil::ConvertNameToQualifiedName(const VXString& strName, QualifiedName& qName) {
  qName.clear();
  VXString pending;
  auto takePiece = [&](const VXString& piece) {
    if (piece.empty()) return;
    const bool begins = BeginsWithQuote(piece);
    const bool ends = EndsWithQuote(piece);
    if (piece.size() >= 2 && begins && ends) {
      qName.emplace_back(piece, 1, piece.size() - 2);
      pending.clear();
    } else if (pending.empty() && !begins && !ends) {
      qName.push_back(piece);
    } else if (begins && !ends) {
      pending.assign(piece).push_back(kSeparatorChar);
    } else if (!pending.empty() && ends) {
      pending.append(piece);
      qName.emplace_back(pending, 1, pending.size() - 2);
      pending.clear();
    } else if (!pending.empty()) {
      pending.append(piece).push_back(kSeparatorChar);
    }
    // Anything else (a lone closing quote with nothing open) is dropped.
  };
  for (const VXString& piece : BaseStringUtil::Tokenize(strName, kSeparator, false, false)) takePiece(piece);
}

QualifiedName MetadataUtil::SplitConcatenatedCatalogName(const VXString& concatenatedCatalogName) {
  const VXString& delimiter = SUSystemConfig::GetSystemConfig()->GetCatalogDelimiter();
  // An empty delimiter would be found at position 0 and cut every name into
  // nothing and itself; treat it as absent instead.
  const std::size_t at = delimiter.empty() ? VXString::npos : concatenatedCatalogName.find(delimiter);
  QualifiedName parts(2);
  if (at == VXString::npos) {
    parts[0] = concatenatedCatalogName;
  } else {
    parts[0].assign(concatenatedCatalogName, 0, at);
    parts[1].assign(concatenatedCatalogName, at + delimiter.size());
  }
  ReplaceDoubleSlashes(parts[0]);
  ReplaceDoubleSlashes(parts[1]);
  return parts;
}

VXString MetadataUtil::ToConcatenatedCatalogName(const VXString& databaseName, const VXString& catalogName) {
  if (catalogName.empty()) return databaseName;
  return databaseName + SUSystemConfig::GetSystemConfig()->GetCatalogDelimiter() + catalogName;
}

VXString MetadataUtil::ToConcatenatedCatalogName(const Ref<APhysicalDataFolder>& databaseOrCatalog) {
  if (databaseOrCatalog.IsNull()) return VXString();
  switch (databaseOrCatalog->GetTypeID()) {
    case kTIDADatabase:
      return ToConcatenatedCatalogName(databaseOrCatalog->GetName(), VXString());
    case kTIDACatalog: {
      const Ref<ARpObject> database = databaseOrCatalog->GetParentObject();
      // A catalog that has lost its database still gets its own name written.
      const VXString databaseName = database.IsNull() ? VXString() : database->GetName();
      return ToConcatenatedCatalogName(databaseName, databaseOrCatalog->GetName());
    }
    default:
      return VXString();
  }
}

void MetadataUtil::AddEmptyAccordionNames(TypeID objTypeID, const Ref<ARpObject>& parent,
                                          QualifiedName& qualifiedName) {
  RpObject::AddEmptyAccordionNames(objTypeID, parent, qualifiedName);
}
