#include "runtime/code_signature.h"

#include <windows.h>
#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/bytes_ops.h"
#include "runtime/command.h"
#include "runtime/executable_file.h"
#include "runtime/text_ops.h"
#include "runtime/unique_resource.h"
#include "runtime/wide_text.h"
#include "runtime/win_handle.h"

namespace rt {

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

struct CertificateStoreResource {
  static bool Holds(HCERTSTORE store) { return store != nullptr; }
  static void Release(HCERTSTORE store) { CertCloseStore(store, 0); }
};
struct CryptMessageResource {
  static bool Holds(HCRYPTMSG message) { return message != nullptr; }
  static void Release(HCRYPTMSG message) { CryptMsgClose(message); }
};
struct CertificateResource {
  static bool Holds(PCCERT_CONTEXT certificate) { return certificate != nullptr; }
  static void Release(PCCERT_CONTEXT certificate) { CertFreeCertificateContext(certificate); }
};
using ScopedCertificateStore = UniqueResource<HCERTSTORE, CertificateStoreResource>;
using ScopedCryptMessage = UniqueResource<HCRYPTMSG, CryptMessageResource>;
using ScopedCertificate = UniqueResource<PCCERT_CONTEXT, CertificateResource>;

// A subject as the Bytes result of an operation (nothing for an empty one).
void SetName(ArgRecord* result, const CERT_NAME_BLOB& name) {
  if (name.cbData > 0) SetPointer(result, NewBytes(name.pbData, static_cast<int32_t>(name.cbData)));
}

CERT_NAME_BLOB NameOf(const Bytes* name) {
  return {name != nullptr ? static_cast<DWORD>(name->length) : 0,
          name != nullptr ? const_cast<BYTE*>(name->data()) : nullptr};
}

// One verification of a file's signature by the system's trust provider, reading the file
// through the handle given. The provider's state (signers, chains) stays readable until the
// verification is closed.
class TrustVerification {
 public:
  explicit TrustVerification(const FileArgument& file) : path_(file.WidePath()) {
    file_.cbStruct = sizeof file_;
    file_.pcwszFilePath = path_.c_str();
    file_.hFile = file.get();
    // The provider reads the file's first bytes from where the handle stands.
    SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
    data_.cbStruct = sizeof data_;
    data_.dwUIChoice = WTD_UI_NONE;
    data_.fdwRevocationChecks = WTD_REVOKE_NONE;
    data_.dwUnionChoice = WTD_CHOICE_FILE;
    data_.pFile = &file_;
    data_.dwStateAction = WTD_STATEACTION_VERIFY;
    // An offline machine must not wait for revocation lists or certificate downloads.
    data_.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    status_ = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
  }
  TrustVerification(const TrustVerification&) = delete;
  TrustVerification& operator=(const TrustVerification&) = delete;
  ~TrustVerification() {
    data_.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
  }

  bool passed() const { return status_ == ERROR_SUCCESS; }

  // The first signer, with its certificates and chain; null when the provider kept none.
  CRYPT_PROVIDER_SGNR* signer() const {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data_.hWVTStateData);
    return provider != nullptr ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  }

 private:
  std::wstring path_;
  GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  WINTRUST_FILE_INFO file_{};
  WINTRUST_DATA data_{};
  LONG status_ = ERROR_SUCCESS;
};

// The signature itself may be sound while its chain ends in a root nobody trusts; some trust
// providers report success then, so the chain is judged here as well.
bool ChainIsTrusted(PCCERT_CHAIN_CONTEXT chain) {
  if (chain == nullptr) return false;
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof policy;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  return CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain, &policy, &status) &&
         status.dwError == ERROR_SUCCESS;
}

// A subject in X.500 form, quoted where a value needs it; for people to read only: the text
// is in the ANSI code page, which may lack characters of the name.
std::string SubjectText(CERT_NAME_BLOB subject) {
  const DWORD flags = CERT_X500_NAME_STR;
  const DWORD length = CertNameToStrA(X509_ASN_ENCODING, &subject, flags, nullptr, 0);
  if (length <= 1) return {};
  std::string text(length, '\0');
  CertNameToStrA(X509_ASN_ENCODING, &subject, flags, text.data(), length);
  text.resize(length - 1);
  return text;
}

// The signer's certificate when the file's signature verifies and its chain is trusted; the
// verification stays open as long as the certificate is used.
PCCERT_CONTEXT VerifiedLeaf(const TrustVerification& verification) {
  if (!verification.passed()) return nullptr;
  CRYPT_PROVIDER_SGNR* signer = verification.signer();
  if (signer == nullptr || !ChainIsTrusted(signer->pChainContext)) return nullptr;
  CRYPT_PROVIDER_CERT* leaf = WTHelperGetProvCertFromChain(signer, 0);
  return leaf != nullptr ? leaf->pCert : nullptr;
}

// The certificate that the embedded signature names as its first signer (by issuer and
// serial number), found among the certificates the signature carries.
ScopedCertificate WrittenSignerCertificate(const std::wstring& path) {
  HCERTSTORE store = nullptr;
  HCRYPTMSG message = nullptr;
  if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                        CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, &store, &message, nullptr)) {
    return {};
  }
  ScopedCertificateStore certificates(store);
  ScopedCryptMessage signature(message);
  DWORD size = 0;
  if (!CryptMsgGetParam(message, CMSG_SIGNER_CERT_INFO_PARAM, 0, nullptr, &size) || size == 0) return {};
  std::vector<BYTE> signerInfo(size);
  if (!CryptMsgGetParam(message, CMSG_SIGNER_CERT_INFO_PARAM, 0, signerInfo.data(), &size)) return {};
  return ScopedCertificate(
      CertGetSubjectCertificateFromStore(store, kEncoding, reinterpret_cast<CERT_INFO*>(signerInfo.data())));
}

}  // namespace

void SignatureOf(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  FileArgument file(ArgAt(argc, args, 0));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    SetInt(result, error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : -1);
    return;
  }
  std::optional<ExecutableLayout> layout;
  if (!ReadExecutableHeaders(file.get(), layout)) {
    SetInt(result, -1);
    return;
  }
  SetInt(result, layout && layout->certificateTableSize > 0 ? 1 : 0);
}

void WrittenSigner(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const std::wstring path = SystemWidened(TextOf(ArgAt(argc, args, 0)));
  if (path.empty()) return;
  if (ScopedCertificate signer = WrittenSignerCertificate(path)) SetName(result, signer.get()->pCertInfo->Subject);
}

void VerifiedSigner(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  FileArgument file(ArgAt(argc, args, 0));
  if (!file.valid()) return;
  TrustVerification verification(file);
  if (PCCERT_CONTEXT leaf = VerifiedLeaf(verification)) SetName(result, leaf->pCertInfo->Subject);
}

void SameSigner(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  CERT_NAME_BLOB first = NameOf(ArgAt(argc, args, 0).AsBytes());
  CERT_NAME_BLOB second = NameOf(ArgAt(argc, args, 1).AsBytes());
  SetBool(result, first.cbData > 0 && second.cbData > 0 && CertCompareCertificateName(X509_ASN_ENCODING, &first, &second));
}

void SignerText(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const std::string text = SubjectText(NameOf(ArgAt(argc, args, 0).AsBytes()));
  if (!text.empty()) SetPointer(result, ConcatTexts(1, text.c_str()));
}

void CodeSigner(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  FileArgument file(ArgAt(argc, args, 0));
  if (!file.valid()) return;
  TrustVerification verification(file);
  if (PCCERT_CONTEXT leaf = VerifiedLeaf(verification)) {
    const std::string text = SubjectText(leaf->pCertInfo->Subject);
    if (!text.empty()) SetPointer(result, ConcatTexts(1, text.c_str()));
  }
}

}  // namespace rt
