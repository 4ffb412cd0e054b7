// Typed qualified names and the objects they name.
#include "Metadata/SMNameText.h"

#include "Metadata/SMUtil.h"

namespace {

constexpr char32_t kQuote = U'"';
constexpr char32_t kStop = U'.';

// Reads a quoted segment starting at text[i] (the opening quote); false when
// it is not closed or something other than a full stop follows it.
bool ReadQuotedSegment(const VXString& text, std::size_t& i, VXString& segment) {
  for (++i; i < text.size(); ++i) {
    if (text[i] != kQuote) {
      segment.push_back(text[i]);
    } else if (i + 1 < text.size() && text[i + 1] == kQuote) {
      segment.push_back(kQuote);
      ++i;
    } else {
      ++i;
      return i == text.size() || text[i] == kStop;
    }
  }
  return false;
}

}  // namespace

QualifiedName QualifiedNameFromText(const VXString& text) {
  QualifiedName q;
  if (text.find(kQuote) == VXString::npos) {
    MetadataUtil::ConvertNameToQualifiedName(text, q);
    return q;
  }
  std::size_t i = 0;
  while (true) {
    VXString segment;
    if (i < text.size() && text[i] == kQuote) {
      if (!ReadQuotedSegment(text, i, segment)) {
        MetadataUtil::ConvertNameToQualifiedName(text, q);
        return q;
      }
    } else {
      for (; i < text.size() && text[i] != kStop; ++i) segment.push_back(text[i]);
    }
    q.push_back(std::move(segment));
    if (i >= text.size()) return q;
    ++i;  // the full stop
  }
}

RpObjectVector FindObjectsNamedByText(ARpGateway* pRp, const VXString& text, TypeID type) {
  VoidID id;
  if (VoidID::FromString(text, id)) {
    Ref<ARpObject> obj = pRp->GetObject(id);
    if (!obj.IsNull() && (type == 0 || obj->GetTypeID() == type)) return {obj};
  }
  const QualifiedName qname = QualifiedNameFromText(text);
  RpObjectVector found;
  if (type != 0) {
    Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(pRp, type, qname);
    if (!obj.IsNull()) found.push_back(obj);
    return found;
  }
  // A copy: the list is the gateway's own.
  const TypeIDVector types = pRp->GetKnownTypes();
  for (TypeID t : types) {
    Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(pRp, t, qname);
    if (!obj.IsNull()) found.push_back(obj);
  }
  return found;
}
