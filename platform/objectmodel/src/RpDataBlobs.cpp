#include "RpDataBlobs.h"

#include "Utility/DataBlobUtil.h"

bool RpDataBlobs::Get(int number, ByteVector& bytes) const {
  auto it = m_blobs.find(number);
  if (it == m_blobs.end()) return false;
  bytes = it->second;
  return true;
}

void RpDataBlobs::SetCredentials(int number, const VXString& user, const VXString& password) {
  ByteVector b;
  DataBlobUtil::ToByteVector(b, user);
  DataBlobUtil::ToByteVector(b, password);
  m_blobs[number] = std::move(b);
}

void RpDataBlobs::SetScriptKey(int number, const VXString& label, const ByteVector& key) {
  ByteVector b;
  DataBlobUtil::ToByteVector(b, label);
  DataBlobUtil::ToByteVector(b, VXString(key.begin(), key.end()));
  m_blobs[number] = std::move(b);
}
