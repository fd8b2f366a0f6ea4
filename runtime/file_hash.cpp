#include "runtime/file_hash.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>

#include "runtime/command.h"
#include "runtime/executable_file.h"
#include "runtime/memory.h"
#include "runtime/win_handle.h"

namespace rt {

namespace {

class CryptoProvider {
 public:
  CryptoProvider() {
    if (!CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) provider_ = 0;
  }
  ~CryptoProvider() {
    if (provider_ != 0) CryptReleaseContext(provider_, 0);
  }
  HCRYPTPROV get() const { return provider_; }

 private:
  HCRYPTPROV provider_ = 0;
};

class Sha256 {
 public:
  explicit Sha256(HCRYPTPROV provider) {
    if (provider == 0 || !CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash_)) hash_ = 0;
  }
  ~Sha256() {
    if (hash_ != 0) CryptDestroyHash(hash_);
  }
  bool valid() const { return hash_ != 0; }
  bool Add(const unsigned char* data, DWORD size) { return CryptHashData(hash_, data, size, 0) != 0; }
  bool Finish(unsigned char (&digest)[32]) {
    DWORD size = sizeof digest;
    return CryptGetHashParam(hash_, HP_HASHVAL, digest, &size, 0) != 0 && size == sizeof digest;
  }

 private:
  HCRYPTHASH hash_ = 0;
};

bool HashFile(const FileArgument& file, unsigned char (&digest)[32]) {
  if (!file.valid()) return false;
  CryptoProvider provider;
  Sha256 hash(provider.get());
  if (!hash.valid()) return false;
  static thread_local unsigned char chunk[64 * 1024];
  DWORD read = 0;
  if (!ReadAt(file.get(), 0, chunk, sizeof chunk, read)) return false;
  for (;;) {
    if (read == 0) return hash.Finish(digest);
    if (!hash.Add(chunk, read) || !ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) return false;
  }
}

}  // namespace

void FileSha256(ArgRecord* result, int32_t argc, const ArgRecord* args) {
  unsigned char digest[32];
  if (!HashFile(FileArgument(ArgAt(argc, args, 0)), digest)) return;
  constexpr char kHex[] = "0123456789abcdef";
  auto* text = static_cast<char*>(RuntimeAlloc(65));
  for (int i = 0; i < 32; ++i) {
    text[2 * i] = kHex[digest[i] >> 4];
    text[2 * i + 1] = kHex[digest[i] & 0xF];
  }
  text[64] = '\0';
  SetPointer(result, text);
}

}  // namespace rt
