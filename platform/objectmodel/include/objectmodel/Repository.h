// Repository-wide host hooks and the archive that repository writers fill.
//
//   Repository::ProcessKEX_DIRECT = [](ARpGateway* rp, VXString& text, const Ref<ARpObject>& obj) { ... };
//   ARpArchive archive;
//   archive.WriteObject(*obj);
#pragma once

#include <functional>
#include <set>
#include <unordered_map>

#include "objectmodel/RpGateway.h"

// A downgrade file: only its write position matters to the writers here.
class AFile {
 public:
  virtual ~AFile() = default;
  virtual long GetPosition() const = 0;
  virtual void Advance(long bytes) = 0;
};

// A file held in memory.
class MemoryFile final : public AFile {
 public:
  long GetPosition() const override { return m_pos; }
  void Advance(long bytes) override { m_pos += bytes; }

 private:
  long m_pos = 0;
};

// An archive of repository objects, written one record per object in the
// order given. With a downgrade file, each record also advances the file by
// its size unless the object's type is one the file cannot hold.
class ARpArchive {
 public:
  struct Record {
    VoidID m_id;
    TypeID m_type;
    VXString m_name;
    VoidID m_parent;
  };
  // Returns false (and writes nothing) for a null or deleted object.
  bool WriteObject(const ARpObject& obj, AFile* pDowngradeFile = nullptr);
  const std::vector<Record>& GetRecords() const { return m_records; }
  // Types that a downgrade file does not take (their records do not move it).
  std::set<TypeID> m_typesNotDowngraded;

 private:
  std::vector<Record> m_records;
};

class Repository {
 public:
  // Called with the display-name text of an object before variables in it
  // are substituted; may rewrite the text.
  static std::function<void(ARpGateway* pRp, VXString& text, const Ref<ARpObject>& obj)> ProcessKEX_DIRECT;
  // Called to load the strings of a resource bundle: the keys (session
  // variables, as (block, name) pairs) and the bundle's database.
  static std::function<void(ARpGateway* pRp, const std::set<std::pair<VXString, VXString>>& keys,
                            const Ref<ADatabase>& bundleDatabase)>
      PopulateResourceBundleStrings;

  using ObjectPointerMap = std::unordered_map<VoidID, ARpObject*, VoidIDHash>;
  // The signature of a writer that groups columns after their tables.
  using WriteToRPDAfterGroupingColumnsByTable_T = int (*)(ARpArchive& archive, const ObjectPointerMap& allObjIdPtrMap,
                                                          AFile* pDowngradeFile);
};
