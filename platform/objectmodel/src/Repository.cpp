#include "objectmodel/Repository.h"

std::function<void(ARpGateway*, VXString&, const Ref<ARpObject>&)> Repository::ProcessKEX_DIRECT;
std::function<void(ARpGateway*, const std::set<std::pair<VXString, VXString>>&, const Ref<ADatabase>&)>
    Repository::PopulateResourceBundleStrings;

bool ARpArchive::WriteObject(const ARpObject& obj, AFile* pDowngradeFile) {
  if (obj.IsDeleted()) return false;
  const ARpObject* parent = obj.GetParentPointer();
  m_records.push_back(Record{obj.GetID(), obj.GetTypeID(), obj.GetName(), parent ? parent->GetID() : VoidID::NullID});
  if (pDowngradeFile && !m_typesNotDowngraded.count(obj.GetTypeID())) {
    // A record's size: its id, type, parent and name.
    pDowngradeFile->Advance(static_cast<long>(24 + obj.GetName().size() * sizeof(char32_t)));
  }
  return true;
}
