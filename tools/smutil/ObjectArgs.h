// Objects named on the command line without a type: an id ("3001:12") or a
// qualified name, which may name objects of several types (a database and a
// subject area may both be "Sales").
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "Metadata/SMNameText.h"
#include "Metadata/SMUtil.h"
#include "Output.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"
#include "objectmodel/RpGateway.h"

namespace smutil_tool {

// Every object that text names: the object of an id, or for a qualified name
// one object per type that has an object of that exact name. With a type
// other than 0 only that type is asked.
inline RpObjectVector FindObjectsFromArgument(ARpGateway* rp, const std::string& text, TypeID type = 0) {
  return FindObjectsNamedByText(rp, ToVXString(text), type);
}

// The object of type that the command-line words name (an id, or a
// qualified name as one argument or as its segments); null after saying on
// ctx.err that there is none and which names come close.
inline Ref<ARpObject> FindNamedObject(Context& ctx, ARpGateway* rp, const std::string& command, TypeID type,
                                      const std::string& typeText, const std::vector<std::string>& words) {
  if (words.size() == 1) {
    const RpObjectVector found = FindObjectsFromArgument(rp, words[0], type);
    if (!found.empty()) return found.front();
  }
  const QualifiedName qname = QualifiedNameFromWords(words);
  if (words.size() != 1) {
    Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(rp, type, qname);
    if (!obj.IsNull()) return obj;
  }
  WriteError(ctx.err, command,
             "no " + TypeLabelExplained(type) + " named " + ToNarrow(MetadataUtil::ToQualifiedName(qname)) + " in " +
                 ctx.repoPath);
  ExplainSimilarNames(ctx, rp, type, qname, typeText);
  return Ref<ARpObject>();
}

// "3001:12 TABLE (3001) "Sales".""."".""Orders"" for listings and messages.
inline std::string DescribeObject(const Ref<ARpObject>& obj) {
  return ToNarrow(obj->GetID().ToString()) + " " + TypeLabel(obj->GetTypeID()) + " " +
         ToNarrow(MetadataUtil::GenerateQualifiedName(obj));
}

}  // namespace smutil_tool
