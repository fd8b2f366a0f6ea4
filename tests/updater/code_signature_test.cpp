// Who signed an executable, as the system verifies it, and which download a signed
// installation takes, on the signed builds and certificates of tests/servers/signing-fixture;
// its test root is made trusted in this Wine prefix. (The same table through the real
// updater, with the box and the running application, is tests/e2e/signed_update_test.cpp.)
//
// Wine checks the file's digest, the signature value and (through the operation's own chain
// check) the root; unlike Windows it does not compare the signed message digest attribute with
// the signed content, so no case here relies on that comparison.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/args.h"
#include "runtime/code_signature.h"
#include "tests/driver/debug_output.h"
#include "tests/driver/test_files.h"
#include "tests/driver/trusted_roots.h"
#include "tests/servers/signing_fixture.h"
#include "updater/install.h"

namespace {

using testsrv::SigningFile;

std::string Signer(const std::string& path) { return rt::CallText(rt::CodeSigner, rt::TextArg(path.c_str())).c_str(); }

std::string UnsignedBuild(const char* name) { return driver::ProgramDirectory() + "\\" + name; }

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
  for (const std::string& path : {SigningFile("new-selfsigned.exe"), SigningFile("new-tampered.exe"),
                                  UnsignedBuild("demo_app_new.exe"),
                                  SigningFile("root.der"), SigningFile("missing.exe"), std::string()}) {
    EXPECT_TRUE(rt::CallText(rt::CodeSigner, rt::TextArg(path.c_str())).get() == nullptr) << path;
  }
}

using SignedByInstalledPublisher = CodeSigner;

TEST_F(SignedByInstalledPublisher, HoldsForTheSameSubjectOrAnUnsignedInstallation) {
  const struct {
    std::string installed, download;
    bool accepted;
  } cases[] = {
      {SigningFile("old-signed.exe"), SigningFile("new-signed.exe"), true},
      {SigningFile("old-signed.exe"), SigningFile("new-renewed.exe"), true},
      {SigningFile("old-signed.exe"), UnsignedBuild("demo_app_new.exe"), false},
      {SigningFile("old-signed.exe"), SigningFile("new-other.exe"), false},
      {SigningFile("old-signed.exe"), SigningFile("new-selfsigned.exe"), false},
      {SigningFile("old-signed.exe"), SigningFile("new-tampered.exe"), false},
      {SigningFile("old-signed.exe"), SigningFile("missing.exe"), false},
      {UnsignedBuild("demo_app_old.exe"), SigningFile("new-signed.exe"), true},
      {UnsignedBuild("demo_app_old.exe"), UnsignedBuild("demo_app_new.exe"), true},
      {SigningFile("missing.exe"), SigningFile("new-other.exe"), true},
      // An installation whose own signature no longer holds is taken as unsigned.
      {SigningFile("new-tampered.exe"), UnsignedBuild("demo_app_new.exe"), true},
  };
  driver::DebugOutputRecorder trace;
  for (const auto& c : cases) {
    EXPECT_EQ(updater::SignedByInstalledPublisher(c.download.c_str(), c.installed.c_str()), c.accepted)
        << c.installed << " <- " << c.download;
    // A refusal names both signers for a maintainer; an acceptance says nothing.
    const std::vector<std::string> lines = trace.LinesWith("CorvaneUpdater:");
    if (c.accepted) {
      EXPECT_TRUE(lines.empty()) << c.download;
    } else {
      const std::string expected = "CorvaneUpdater: check: the signer differs installed=\"" + Signer(c.installed) +
                                   "\" download=\"" + Signer(c.download) + "\"";
      EXPECT_EQ(lines, std::vector<std::string>{expected}) << c.download;
    }
    trace.Clear();
  }
}

}  // namespace
