#include "runtime/code_signature.h"

#include <windows.h>
#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include <string>

#include "runtime/command.h"
#include "runtime/text_ops.h"
#include "runtime/wide_text.h"

namespace rt {

namespace {

// One verification of a file's signature by the system's trust provider. The provider's state
// (signers, chains) stays readable until the verification is closed.
class TrustVerification {
 public:
  explicit TrustVerification(const std::wstring& path) {
    file_.cbStruct = sizeof file_;
    file_.pcwszFilePath = path.c_str();
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

// The certificate's whole subject in X.500 form, quoted where a value needs it, so that two
// subjects are equal exactly when every part of them is.
std::string SubjectOf(PCCERT_CONTEXT certificate) {
  CERT_NAME_BLOB* subject = &certificate->pCertInfo->Subject;
  const DWORD flags = CERT_X500_NAME_STR;
  const DWORD length = CertNameToStrA(X509_ASN_ENCODING, subject, flags, nullptr, 0);
  if (length <= 1) return {};
  std::string text(length, '\0');
  CertNameToStrA(X509_ASN_ENCODING, subject, flags, text.data(), length);
  text.resize(length - 1);
  return text;
}

std::string VerifiedSigner(const char* path) {
  const std::wstring widePath = SystemWidened(path);
  if (widePath.empty()) return {};
  TrustVerification verification(widePath);
  if (!verification.passed()) return {};
  CRYPT_PROVIDER_SGNR* signer = verification.signer();
  if (signer == nullptr || !ChainIsTrusted(signer->pChainContext)) return {};
  CRYPT_PROVIDER_CERT* leaf = WTHelperGetProvCertFromChain(signer, 0);
  return leaf != nullptr && leaf->pCert != nullptr ? SubjectOf(leaf->pCert) : std::string();
}

}  // namespace

void CodeSigner(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  const std::string subject = VerifiedSigner(TextOf(ArgAt(argc, args, 0)));
  if (!subject.empty()) SetPointer(result, ConcatTexts(1, subject.c_str()));
}

}  // namespace rt
