// Who signed an executable: the signer its signature names, and the signer the system's
// code-signing checks verify.
#pragma once

#include "runtime/value.h"

namespace rt {

// Each operation that takes a file takes its path or a file held open (HoldFile).

// (file) -> Int: 1 when the file's certificate table holds a signature, 0 when it holds none
// (also for a missing file and one that is no executable), -1 when the file is there but
// cannot be read.
void SignatureOf(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (path) -> Bytes: the encoded subject (X.500) of the certificate that the file's signature
// names as its signer, read without judging the signature: it may have expired, end in a root
// nobody trusts, or no longer match the file. Null when no signer can be read.
void WrittenSigner(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file) -> Bytes: the encoded subject of the file's signer, only when the signature is valid
// and the signer's certificate chain ends in a root that the machine trusts; else null. Never
// looks anything up on the network.
void VerifiedSigner(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (Bytes, Bytes) -> Bool: the two encoded subjects are the same name, every part of it.
// False when either is empty.
void SameSigner(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (Bytes) -> Text: an encoded subject in X.500 form ("CN=..., O=..."), for people to read;
// null for an empty one.
void SignerText(ArgRecord* result, int32_t argc, const ArgRecord* args);

// (file) -> Text: the subject of the verified signer in X.500 form, null as VerifiedSigner.
void CodeSigner(ArgRecord* result, int32_t argc, const ArgRecord* args);

}  // namespace rt
