// What a repository file says, as flat arrays in file order: the reader's
// XML handler appends to them (RpFileRecorder) and never sees a gateway; one
// build step (RpFileBuild) checks them as a whole and turns them into a
// repository. Every record carries the place it was read at, so that a
// fault found only once the whole file is known is still named where it is.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "Utility/SUHugePages.h"
#include "objectmodel/RpGateway.h"

namespace RpFileLoad {

// A line and column, 1-based; line 0: no known place, after every other.
struct At {
  std::uint32_t line = 0;
  std::uint32_t column = 0;
  static At Of(std::uint64_t line, std::uint64_t column) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    return At{static_cast<std::uint32_t>(std::min(line, kMax)), static_cast<std::uint32_t>(std::min(column, kMax))};
  }
  friend bool operator<(const At& a, const At& b) {
    if (a.line == 0 || b.line == 0) return a.line != 0 && b.line == 0;
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  }
};

struct Fault {
  At at;
  std::string message;
};

// The earliest of the faults offered, first offered among equals.
class EarliestFault {
 public:
  void Offer(const At& at, std::string message) {
    if (!m_fault || at < m_fault->at) m_fault = Fault{at, std::move(message)};
  }
  void Offer(const Fault& f) { Offer(f.at, f.message); }
  bool Any() const { return m_fault.has_value(); }
  const Fault& Get() const { return *m_fault; }
  // Whether a fault at `at` could still be the one reported.
  bool Before(const At& at) const { return !m_fault || at < m_fault->at; }

 private:
  std::optional<Fault> m_fault;
};

struct Records {
  static constexpr std::int64_t kNoPos = -1;
  struct Object {
    VoidID id;
    VoidID parent;  // null: top level
    std::int64_t pos = kNoPos;
    At at;
  };
  struct Property {
    std::uint32_t object;  // index in objects
    RpProp key;
    RpPropValue value;
  };
  struct Alias {
    std::uint32_t object;
    At at;
    VXString text;
  };
  struct Blob {
    int number;
    ByteVector bytes;
  };

  bool bHasLogicalName = false;
  VXString logicalName;
  // The large arrays are filled as soon as they are made, in huge pages.
  SUHugePages::Vector<Object> objects;
  // Each object's name, in the order of objects: read into the string that
  // the object then takes over.
  SUHugePages::Vector<VXString> names;
  std::vector<Property> properties;  // grouped by object, in file order
  std::vector<Alias> aliases;        // grouped by object, in file order
  std::vector<ARpGateway::RelTuple> tuples;
  std::vector<At> tupleAt;
  std::vector<Blob> blobs;
};

}  // namespace RpFileLoad
