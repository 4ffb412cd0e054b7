// "Did you mean": near names for a table or column name that found nothing.
// Only objects the current user may read are ever looked at, so a name the
// user may not see cannot come back through a suggestion.
#include <algorithm>
#include <cstddef>
#include <string_view>
#include <tuple>

#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "SMLookupAlgorithmsShared.h"
#include "Utility/VXStringCaseInsensitive.h"
#include "objectmodel/Networker.h"
#include "objectmodel/TypeIDs.h"

namespace {

// Edits (insert, delete, substitute one character) between the case-folded
// texts, or limit + 1 once it is clear there are more than limit.
std::size_t FoldedEditDistance(std::u32string_view a, std::u32string_view b, std::size_t limit) {
  const std::size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  if (gap > limit) return limit + 1;
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    std::size_t best = row[0];
    const char32_t ca = VXCaseFold::FoldChar(a[i - 1]);
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t substitute = diagonal + (ca == VXCaseFold::FoldChar(b[j - 1]) ? 0 : 1);
      diagonal = row[j];
      row[j] = std::min({substitute, row[j] + 1, row[j - 1] + 1});
      best = std::min(best, row[j]);
    }
    if (best > limit) return limit + 1;
  }
  return row[b.size()];
}

// How many edits still count as a slip of the keyboard: none for very short
// names (only another case), one up to four characters, two beyond.
std::size_t Tolerance(std::size_t length) { return length <= 2 ? 0 : length <= 4 ? 1 : 2; }

struct Suggestion {
  bool bOtherContainer;  // the leading segments given do not fit
  std::size_t distance;
  VXString text;  // written name, for a stable order
  QualifiedName name;
  bool operator<(const Suggestion& o) const {
    return std::tie(bOtherContainer, distance, text) < std::tie(o.bOtherContainer, o.distance, o.text);
  }
};

// The smallest distance from wanted to the object's name or a former name.
std::size_t NameDistance(const Ref<ARpObject>& obj, const VXString& wanted, std::size_t limit) {
  VXStringVector names;
  obj->GetAliases(names);
  names.push_back(obj->GetName());
  std::size_t best = limit + 1;
  for (const VXString& n : names) best = std::min(best, FoldedEditDistance(wanted, n, limit));
  return best;
}

void KeepBest(std::vector<Suggestion>& found, std::size_t maxCount) {
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end(),
                          [](const Suggestion& a, const Suggestion& b) { return a.text == b.text; }),
              found.end());
  if (found.size() > maxCount) found.resize(maxCount);
}

}  // namespace

void NamedInterfaceTypeCondition::SuggestTableNames(ARpGateway* pRp, const QualifiedName& qFolderName,
                                                    ExprType exprType, std::vector<QualifiedName>& suggestions,
                                                    std::size_t maxCount) {
  suggestions.clear();
  if (qFolderName.empty() || qFolderName.back().empty()) return;
  TypeIDVector types;
  switch (exprType) {
    case kSME_Logical:
      types = {kTIDAEntityFolder};
      if (qFolderName.size() == 1) types.push_back(kTIDACatalogFolder);
      break;
    case kSME_BusinessModel:
      types = {kTIDALogicalTable};
      if (qFolderName.size() == 1) types.push_back(kTIDASubjectArea);
      break;
    case kSME_Physical:
      types = {kTIDATable, kTIDACubeTable};
      break;
  }
  const VXString& wanted = qFolderName.back();
  const std::size_t limit = Tolerance(wanted.size());
  QualifiedName container(qFolderName.begin(), qFolderName.end() - 1);
  MetadataUtil::StripQualifiedNameOfEmptyStrings(container);

  std::vector<Suggestion> found;
  VoidIDVector ids;
  for (TypeID type : types) {
    ids.clear();
    pRp->GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      const Ref<ARpObject> obj = pRp->GetObject(id);
      if (obj.IsNull()) continue;
      const std::size_t distance = NameDistance(obj, wanted, limit);
      // Read permission last: it walks the containers, the distance does not.
      if (distance > limit || !Authorization::IsAuthorizedToRead(pRp, id)) continue;
      QualifiedName name;
      MetadataUtil::GenerateQualifiedName(obj, name);
      // A presentation name resolves without its empty levels (two parts
      // are widened); a physical one needs them to line up.
      if (exprType == kSME_Logical) MetadataUtil::StripQualifiedNameOfEmptyStrings(name);
      QualifiedName objContainer(name.begin(), name.end() - 1);
      MetadataUtil::StripQualifiedNameOfEmptyStrings(objContainer);
      const bool bFits = container.empty() || MetadataUtil::IsQualifiedNameSection(container, objContainer, true);
      found.push_back(Suggestion{!bFits, distance, MetadataUtil::ToQualifiedName(name), name});
    }
  }
  KeepBest(found, maxCount);
  for (Suggestion& s : found) suggestions.push_back(std::move(s.name));
}

void NamedInterfaceTypeCondition::SuggestColumnNames(ARpGateway* pRp, const VoidID& folderID,
                                                     const VXString& columnName, ExprType exprType,
                                                     VXStringVector& suggestions, std::size_t maxCount) {
  suggestions.clear();
  if (columnName.empty() || !Authorization::IsAuthorizedToRead(pRp, folderID)) return;
  const std::size_t limit = Tolerance(columnName.size());
  std::vector<Suggestion> found;
  for (const Ref<ARpObject>& column : smlookup::ColumnsOfLayer(pRp->GetObject(folderID), exprType)) {
    const std::size_t distance = NameDistance(column, columnName, limit);
    if (distance > limit || !Authorization::IsAuthorizedToRead(pRp, column.GetID())) continue;
    found.push_back(Suggestion{false, distance, column->GetName(), {column->GetName()}});
  }
  KeepBest(found, maxCount);
  for (const Suggestion& s : found) suggestions.push_back(s.text);
}
