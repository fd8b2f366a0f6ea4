// Who signed an executable, as the system verifies it, and which download a signed
// installation takes, on the signed builds and certificates of tests/servers/signing-fixture;
// its test root is made trusted in this Wine prefix. (The same table through the real
// updater, with the box and the running application, is tests/e2e/signed_update_test.cpp.)
//
// Wine checks the file's digest, the signature value and (through the operation's own chain
// check) the root; unlike Windows it does not compare the signed message digest attribute with
// the signed content, so no case here relies on that comparison.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/args.h"
#include "runtime/code_signature.h"
#include "runtime/executable_info.h"
#include "runtime/files.h"
#include "runtime/held_file.h"
#include "runtime/pe_image.h"
#include "tests/driver/debug_output.h"
#include "tests/driver/test_files.h"
#include "tests/driver/trusted_roots.h"
#include "tests/driver/version_patches.h"
#include "tests/servers/signing_fixture.h"
#include "updater/install.h"

namespace {

using testsrv::SigningFile;

std::string Signer(const std::string& path) { return rt::CallText(rt::CodeSigner, rt::TextArg(path.c_str())).c_str(); }

// The signer written in the file's signature, as text.
std::string WrittenSigner(const std::string& path) {
  rt::OwnedBytes name = rt::CallBytes(rt::WrittenSigner, rt::TextArg(path.c_str()));
  return rt::CallText(rt::SignerText, rt::BytesArg(name)).c_str();
}

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

TEST_F(CodeSigner, TheWrittenSignerIsReadWhateverTheSignatureIsWorthToday) {
  const struct {
    std::string file;
    int32_t signature;
    std::string written;
  } cases[] = {
      {SigningFile("old-signed.exe"), 1, "C=CN, O=Tavlor, CN=Tavlor Software"},
      {SigningFile("old-tampered.exe"), 1, "C=CN, O=Tavlor, CN=Tavlor Software"},
      {SigningFile("old-expired.exe"), 1, "C=CN, O=Tavlor, CN=Tavlor Software"},
      {SigningFile("new-selfsigned.exe"), 1, "C=CN, O=Tavlor, CN=Tavlor Software"},
      {SigningFile("new-other.exe"), 1, "C=CN, O=Other Publisher, CN=Other Publisher"},
      {UnsignedBuild("demo_app_old.exe"), 0, ""},
      {SigningFile("root.der"), 0, ""},
      {SigningFile("missing.exe"), 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rt::CallInt(rt::SignatureOf, rt::TextArg(c.file.c_str())), c.signature) << c.file;
    EXPECT_EQ(WrittenSigner(c.file), c.written) << c.file;
  }
  // Held open by someone who lets nobody read it: there is a file, but no telling what it holds.
  driver::TempDirectory dir("held");
  const std::string held = dir / "Corvane.exe";
  ASSERT_TRUE(driver::CopyFileTo(SigningFile("old-signed.exe"), held));
  HANDLE lock = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(rt::CallInt(rt::SignatureOf, rt::TextArg(held.c_str())), -1);
  CloseHandle(lock);
}

TEST_F(CodeSigner, SubjectsAreComparedAsEncodedNames) {
  auto name = [](const char* file) { return rt::CallBytes(rt::VerifiedSigner, rt::TextArg(SigningFile(file).c_str())); };
  auto same = [&](const char* a, const char* b) {
    return rt::CallBool(rt::SameSigner, rt::BytesArg(name(a)), rt::BytesArg(name(b)));
  };
  EXPECT_TRUE(same("old-signed.exe", "new-renewed.exe"));
  EXPECT_TRUE(same("old-zh.exe", "new-zh.exe"));
  // The same length, one Chinese character apart: equal as ANSI texts where the code page has
  // neither character, different as names.
  EXPECT_FALSE(same("new-zh.exe", "new-zh-other.exe"));
  EXPECT_FALSE(same("old-signed.exe", "new-other.exe"));
  EXPECT_FALSE(same("old-signed.exe", "new-tampered.exe")) << "no verified signer is no name";
  EXPECT_FALSE(same("new-tampered.exe", "new-selfsigned.exe")) << "two signers nobody can verify are nobody";
}

// The file version as FileVersion gives it: four packed parts, or none (an Omitted result).
std::optional<uint64_t> PackedVersion(const rt::ArgRecord& file) {
  const rt::ArgRecord version = rt::Call(rt::FileVersion, file);
  if (version.tag == rt::TypeTag::Omitted) return std::nullopt;
  EXPECT_EQ(version.tag, rt::TypeTag::Int64);
  return static_cast<uint64_t>(version.AsInt64());
}

// What the version and product checks read, through a path and through a held file alike.
TEST_F(CodeSigner, WhatAnExecutableSaysOfItselfThroughAPathOrAHeldFile) {
  const uint16_t thisBuild = sizeof(void*) == 8 ? rt::kMachineAmd64 : rt::kMachineI386;
  driver::TempDirectory dir("version");
  const std::string old = *driver::ReadWholeFile(UnsignedBuild("demo_app_old.exe"));
  ASSERT_TRUE(driver::WriteWholeFile(dir / "malformed.exe", driver::WithVersionResourcePastItsEnd(old)));
  ASSERT_TRUE(driver::WriteWholeFile(dir / "highest.exe", driver::WithHighestFileVersion(old)));
  // A program without version resource; a copy, as a running one cannot be held (a hold may write).
  ASSERT_TRUE(driver::WriteWholeFile(dir / "tests.exe", *driver::ReadWholeFile(UnsignedBuild("code_signature_tests.exe"))));
  constexpr uint64_t kVersion1 = uint64_t{1} << 48, kVersion2 = uint64_t{2} << 48;
  const struct {
    std::string file;
    int32_t resource;  // VersionResourceOf
    std::optional<uint64_t> version;
    const char* product;
    uint16_t machine;
  } cases[] = {
      {UnsignedBuild("demo_app_old.exe"), 1, kVersion1, "Corvane", thisBuild},
      {UnsignedBuild("demo_app_new.exe"), 1, kVersion2, "Corvane", thisBuild},
      {UnsignedBuild("demo_app_other.exe"), 1, kVersion2, "Tavlor Helper", thisBuild},
      {UnsignedBuild("demo_app_noproduct.exe"), 1, kVersion2, "", thisBuild},
      {UnsignedBuild("demo_app_noversion.exe"), 0, std::nullopt, "", thisBuild},
      {SigningFile("new-signed.exe"), 1, kVersion2, "Corvane", thisBuild},
      {SigningFile("new-noversion.exe"), 0, std::nullopt, "", thisBuild},
      {SigningFile("new-noproduct.exe"), 1, kVersion2, "", thisBuild},
      {dir / "highest.exe", 1, ~uint64_t{0}, "Corvane", thisBuild},
      {dir / "malformed.exe", -1, std::nullopt, "", thisBuild},
      {dir / "tests.exe", 0, std::nullopt, "", thisBuild},
      {SigningFile("root.der"), 0, std::nullopt, "", 0},
      {SigningFile("missing.exe"), 0, std::nullopt, "", 0},
  };
  for (const auto& c : cases) {
    auto check = [&](const rt::ArgRecord& file, const char* way) {
      EXPECT_EQ(rt::CallInt(rt::VersionResourceOf, file), c.resource) << c.file << way;
      EXPECT_EQ(PackedVersion(file), c.version) << c.file << way;
      EXPECT_STREQ(rt::CallText(rt::ProductName, file).c_str(), c.product) << c.file << way;
      EXPECT_EQ(rt::CallInt(rt::ExecutableMachine, file), c.machine) << c.file << way;
      EXPECT_EQ(rt::CallBool(rt::IsCompleteExecutable, file), c.machine != 0) << c.file << way;
      // Another product, or none, is not the installed Corvane; a file naming none binds nothing.
      EXPECT_EQ(rt::CallBool(rt::OtherProduct, rt::TextArg(UnsignedBuild("demo_app_old.exe").c_str()), file),
                std::string(c.product) != "Corvane")
          << c.file << way;
      EXPECT_EQ(rt::CallBool(rt::OtherProduct, file, rt::TextArg(SigningFile("new-otherproduct.exe").c_str())),
                std::string(c.product) == "Corvane")
          << c.file << way;
    };
    check(rt::TextArg(c.file.c_str()), " (path)");
    // While it is held, the file is read through the holder's handle only.
    const rt::HeldFile held(rt::CallInt(rt::HoldFile, rt::TextArg(c.file.c_str())));
    check(rt::Int(held.get()), " (held)");
  }
}

using OlderOrOtherProgram = CodeSigner;

// Where the installation carries version data, the download has to carry it too; where it
// carries none, any version and product go. Each refusal is traced for a maintainer.
TEST_F(OlderOrOtherProgram, KeepsTheInstalledVersionDataAndSaysWhy) {
  constexpr char kOlder[] = "下载的文件版本较旧，更新失败！";
  constexpr char kOther[] = "下载的文件不是本软件，更新失败！";
  constexpr char kUnreadable[] = "本软件的版本信息无法读取，更新失败！";
  driver::TempDirectory dir("version");
  const std::string old = *driver::ReadWholeFile(UnsignedBuild("demo_app_old.exe"));
  // The installed file is read by its path, so no case holds it as the download too.
  const std::string malformed = dir / "malformed.exe", highest = dir / "highest.exe", highestCopy = dir / "highest2.exe";
  ASSERT_TRUE(driver::WriteWholeFile(malformed, driver::WithVersionResourcePastItsEnd(old)));
  ASSERT_TRUE(driver::WriteWholeFile(highest, driver::WithHighestFileVersion(old)));
  ASSERT_TRUE(driver::CopyFileTo(highest, highestCopy));
  const std::string line = "CorvaneUpdater: check: ";
  const struct {
    std::string installed, download;
    const char* message;  // "" when the download goes
    std::string trace;
  } cases[] = {
      {SigningFile("old-signed.exe"), SigningFile("new-signed.exe"), "", ""},
      {SigningFile("old-signed.exe"), UnsignedBuild("demo_app_old.exe"), "", ""},  // the same version again
      {SigningFile("new-signed.exe"), SigningFile("old-signed.exe"), kOlder,
       line + "the download is an older version installed=\"2.0.0.0\" download=\"1.0.0.0\""},
      {SigningFile("old-signed.exe"), SigningFile("new-noversion.exe"), kOlder,
       line + "the download carries no version installed=\"1.0.0.0\" resource=0"},
      {SigningFile("old-signed.exe"), malformed, kOlder,
       line + "the download carries no version installed=\"1.0.0.0\" resource=-1"},
      {SigningFile("old-signed.exe"), SigningFile("new-noproduct.exe"), kOther,
       line + "the download names no product installed=\"Corvane\""},
      {SigningFile("old-signed.exe"), SigningFile("new-otherproduct.exe"), kOther,
       line + "the download is another product installed=\"Corvane\" download=\"Tavlor Helper\""},
      {highest, highestCopy, "", ""},
      {highest, SigningFile("new-signed.exe"), kOlder,
       line + "the download is an older version installed=\"65535.65535.65535.65535\" download=\"2.0.0.0\""},
      {malformed, SigningFile("new-signed.exe"), kUnreadable,
       line + "the installed version resource cannot be read path=\"" + malformed + "\""},
      {UnsignedBuild("demo_app_noversion_old.exe"), UnsignedBuild("demo_app_noversion.exe"), "", ""},
      {UnsignedBuild("demo_app_noversion_old.exe"), UnsignedBuild("demo_app_noproduct.exe"), "", ""},
      {UnsignedBuild("demo_app_noversion_old.exe"), malformed, "", ""},
      {UnsignedBuild("demo_app_noproduct.exe"), UnsignedBuild("demo_app_other.exe"), "", ""},
      {UnsignedBuild("demo_app_noproduct.exe"), UnsignedBuild("demo_app_noversion.exe"), kOlder,
       line + "the download carries no version installed=\"2.0.0.0\" resource=0"},
  };
  driver::DebugOutputRecorder trace;
  for (const auto& c : cases) {
    const rt::HeldFile held(rt::CallInt(rt::HoldFile, rt::TextArg(c.download.c_str())));
    const char* refusal = updater::OlderOrOtherProgram(rt::Int(held.get()), c.installed.c_str());
    EXPECT_STREQ(refusal != nullptr ? refusal : "", c.message) << c.installed << " <- " << c.download;
    EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
              c.trace.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.trace})
        << c.installed << " <- " << c.download;
    trace.Clear();
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
      // The whole subject is the publisher: the same common name of another organisation is not.
      {SigningFile("old-signed.exe"), SigningFile("new-same-cn.exe"), false},
      {SigningFile("old-signed.exe"), SigningFile("new-selfsigned.exe"), false},
      {SigningFile("old-signed.exe"), SigningFile("new-tampered.exe"), false},
      {SigningFile("old-signed.exe"), SigningFile("missing.exe"), false},
      {UnsignedBuild("demo_app_old.exe"), SigningFile("new-signed.exe"), true},
      {UnsignedBuild("demo_app_old.exe"), UnsignedBuild("demo_app_new.exe"), true},
      {SigningFile("missing.exe"), SigningFile("new-other.exe"), true},
      // An installation whose own signature no longer holds still names its publisher.
      {SigningFile("old-tampered.exe"), SigningFile("new-signed.exe"), true},
      {SigningFile("old-tampered.exe"), UnsignedBuild("demo_app_new.exe"), false},
      {SigningFile("old-tampered.exe"), SigningFile("new-other.exe"), false},
      {SigningFile("old-expired.exe"), SigningFile("new-signed.exe"), true},
      {SigningFile("old-expired.exe"), UnsignedBuild("demo_app_new.exe"), false},
      {SigningFile("old-expired.exe"), SigningFile("new-other.exe"), false},
      {SigningFile("old-zh.exe"), SigningFile("new-zh.exe"), true},
      {SigningFile("old-zh.exe"), SigningFile("new-zh-other.exe"), false},
  };
  driver::DebugOutputRecorder trace;
  for (const auto& c : cases) {
    const std::string downloadSigner = Signer(c.download);  // read before anyone holds it
    // The updater reads the download through the handle it holds it with; a path reads alike.
    for (const bool holding : {false, true}) {
      const rt::HeldFile held(holding ? rt::CallInt(rt::HoldFile, rt::TextArg(c.download.c_str())) : 0);
      const rt::ArgRecord download = holding ? rt::Int(held.get()) : rt::TextArg(c.download.c_str());
      const char* way = holding ? " (held)" : " (path)";
      EXPECT_EQ(updater::SignedByInstalledPublisher(download, c.installed.c_str()), c.accepted)
          << c.installed << " <- " << c.download << way;
      // A refusal names both signers for a maintainer; an acceptance says nothing.
      const std::vector<std::string> lines = trace.LinesWith("CorvaneUpdater:");
      if (c.accepted) {
        EXPECT_TRUE(lines.empty()) << c.download << way;
      } else {
        const std::string expected = "CorvaneUpdater: check: the signer differs installed=\"" +
                                     WrittenSigner(c.installed) + "\" download=\"" + downloadSigner + "\"";
        EXPECT_EQ(lines, std::vector<std::string>{expected}) << c.download << way;
      }
      trace.Clear();
    }
  }
}

TEST_F(SignedByInstalledPublisher, AnInstalledSignatureThatCannotBeReadAdmitsNothing) {
  driver::TempDirectory dir("held");
  const std::string held = dir / "Corvane.exe";
  ASSERT_TRUE(driver::CopyFileTo(SigningFile("old-signed.exe"), held));
  HANDLE lock = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  driver::DebugOutputRecorder trace;
  EXPECT_FALSE(updater::SignedByInstalledPublisher(rt::TextArg(SigningFile("new-signed.exe").c_str()), held.c_str()));
  EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
            std::vector<std::string>{"CorvaneUpdater: check: the installed signature cannot be read path=\"" + held +
                                     "\" error=32"});
  CloseHandle(lock);
}

}  // namespace
