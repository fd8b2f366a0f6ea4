#include "tests/driver/trusted_roots.h"

#include <windows.h>
#include <wincrypt.h>

#include <memory>

#include "tests/driver/test_files.h"

namespace driver {

namespace {

struct StoreCloser {
  void operator()(void* store) const { CertCloseStore(store, 0); }
};

}  // namespace

bool TrustRootCertificate(const std::string& derPath) {
  const std::optional<std::string> der = ReadWholeFile(derPath);
  if (!der || der->empty()) return false;
  const std::unique_ptr<void, StoreCloser> roots(CertOpenSystemStoreA(0, "ROOT"));
  if (!roots) return false;
  return CertAddEncodedCertificateToStore(roots.get(), X509_ASN_ENCODING,
                                          reinterpret_cast<const BYTE*>(der->data()),
                                          static_cast<DWORD>(der->size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != 0;
}

}  // namespace driver
