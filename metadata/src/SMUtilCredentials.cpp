// The repository's own credentials, kept in its data blob 1.
#include <openssl/crypto.h>

#include <utility>

#include "Metadata/SMUtil.h"
#include "Utility/DataBlobUtil.h"
#include "objectmodel/RpGateway.h"

void MetadataUtil::RetrieveUserNamePassword(ARpGateway* pSecureRp, VXString& vxUserName, VXString& vxPassword) {
  // Only a repository the server or an administration tool opened carries
  // credentials of its own; a client view has none to give.
  if (!pSecureRp) return;
  const int type = pSecureRp->GetGatewayType();
  if (type != ARpGateway::kServerGateway && type != ARpGateway::kOfflineGateway) return;
  ByteVector blob;
  if (!pSecureRp->GetDataBlob(ARpGateway::kCredentialsBlob, blob)) return;
  // Read both before handing either out, so a damaged blob (BlobDecodeError)
  // leaves the caller's strings as they were; the copy of the blob holds the
  // password in plain and is wiped whatever happens.
  VXString user;
  VXString password;
  try {
    const uint8* end = blob.data() + blob.size();
    const uint8* p = DataBlobUtil::FromByteVector(blob.data(), end, user);
    DataBlobUtil::FromByteVector(p, end, password);
  } catch (...) {
    OPENSSL_cleanse(blob.data(), blob.size());
    throw;
  }
  OPENSSL_cleanse(blob.data(), blob.size());
  vxUserName = std::move(user);
  vxPassword.assign(password);
  OPENSSL_cleanse(password.data(), password.size() * sizeof(char32_t));
}
