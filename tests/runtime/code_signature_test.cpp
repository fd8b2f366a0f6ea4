// Who signed an executable, as the system verifies it, on the signed builds and certificates
// of tests/servers/signing-fixture; its test root is made trusted in this Wine prefix.
//
// Wine checks the file's digest, the signature value and (through the operation's own chain
// check) the root; unlike Windows it does not compare the signed message digest attribute with
// the signed content, so no case here relies on that comparison.
#include <gtest/gtest.h>

#include <string>

#include "runtime/args.h"
#include "runtime/code_signature.h"
#include "tests/driver/test_files.h"
#include "tests/driver/trusted_roots.h"
#include "tests/servers/signing_fixture.h"

namespace {

using testsrv::SigningFile;

std::string Signer(const std::string& path) { return rt::CallText(rt::CodeSigner, rt::TextArg(path.c_str())).c_str(); }

class CodeSigner : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(testsrv::TrustSigningRoot()); }
};

TEST_F(CodeSigner, IsTheVerifiedCertificatesSubject) {
  const std::string publisher = Signer(SigningFile("new-signed.exe"));
  EXPECT_NE(publisher.find("CN=Tavlor Software"), std::string::npos) << publisher;
  EXPECT_NE(publisher.find("O=Tavlor"), std::string::npos) << publisher;
  EXPECT_EQ(Signer(SigningFile("old-signed.exe")), publisher);
  EXPECT_EQ(Signer(SigningFile("new-renewed.exe")), publisher) << "a renewed certificate keeps the subject";
  const std::string other = Signer(SigningFile("new-other.exe"));
  EXPECT_NE(other.find("O=Other Publisher"), std::string::npos) << other;
}

TEST_F(CodeSigner, IsNullWithoutAValidSignatureAndATrustedRoot) {
  const std::string unsignedBuild = driver::ProgramDirectory() + "\\demo_app_new.exe";
  for (const std::string& path : {SigningFile("new-selfsigned.exe"), SigningFile("new-tampered.exe"), unsignedBuild,
                                  SigningFile("root.der"), SigningFile("missing.exe"), std::string()}) {
    EXPECT_TRUE(rt::CallText(rt::CodeSigner, rt::TextArg(path.c_str())).get() == nullptr) << path;
  }
}

}  // namespace
