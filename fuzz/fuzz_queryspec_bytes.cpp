// Query-spec bytes from elsewhere: decoding must either succeed or
// throw BlobDecodeError (or stop at the stack guard); a decoded query spec
// must encode to the very bytes it came from and render without a gateway,
// refusing only what the writer documents (not supported yet, too deep);
// an assertion while writing is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "ListQuerySpec/ListQuerySpec.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/VXAssert.h"
#include "Utility/VXThread.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<AbstractListQuerySpec> spec;
  try {
    spec = AbstractListQuerySpec::FromByteVector(data, data + size);
  } catch (const BlobDecodeError&) {
    return 0;
  } catch (const VXStackOverflowException&) {
    return 0;
  }
  const ByteVector again = spec->ToByteVector();
  if (again.size() != size || !std::equal(again.begin(), again.end(), data)) {
    std::size_t at = 0;
    while (at < size && at < again.size() && again[at] == data[at]) ++at;
    std::fprintf(stderr, "re-encoding differs at byte %zu of %zu (%zu written)\n", at, size, again.size());
    std::abort();
  }
  try {
    for (int mode = 0; mode < 4; ++mode) {
      MetadataUtil::ToSQLStatement(*spec, nullptr, mode & 1, mode & 2, mode & 1, mode & 2);
    }
    if (spec->m_queryType == AbstractListQuerySpec::kSingleQuery) {
      MetadataUtil::ToString(spec->ToListQuerySpec(), nullptr, false);
    }
  } catch (const BlobDecodeError&) {
    // A subquery token inside an expression carries bytes of its own.
  } catch (const VXStackOverflowException&) {
  } catch (const VXAssertException& e) {
    // Decoding validated every field and expression: an assertion now means
    // it let through something the writer cannot write.
    std::fprintf(stderr, "assertion while writing a decoded query spec: %s\n", e.what());
    std::abort();
  }
  return 0;
}
