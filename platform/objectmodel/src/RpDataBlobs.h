// RpDataBlobs: a model's numbered data blobs, and the two whose layout the
// model itself writes (the repository credentials and the script key).
#pragma once

#include <map>

#include "Utility/VXString.h"

class RpDataBlobs {
 public:
  bool Get(int number, ByteVector& bytes) const;
  void Set(int number, const ByteVector& bytes) { m_blobs[number] = bytes; }
  const std::map<int, ByteVector>& All() const { return m_blobs; }
  // The credentials blob: user name, then password, as strings.
  void SetCredentials(int number, const VXString& user, const VXString& password);
  // The script-key blob: a label, then the key bytes as a string of one
  // character (0 to 255) per byte.
  void SetScriptKey(int number, const VXString& label, const ByteVector& key);

 private:
  std::map<int, ByteVector> m_blobs;
};
