// An update keeps the installed executable's publisher: a signed installation takes only a
// download of the same signer, an unsigned one takes any complete executable. And an https
// address is only as good as its server's certificate. The signed builds and certificates come
// from tests/servers/signing-fixture; its test root is made trusted in this Wine prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/driver/version_patches.h"
#include "tests/e2e/update_support.h"
#include "tests/servers/nginx_fixture.h"
#include "tests/servers/signing_fixture.h"
#include "ui/properties.h"

namespace {

using e2e::Delivery;
using e2e::kDeadlineMs;
using e2e::UpdateRun;

using testsrv::SigningFile;

// The bytes of a signed build, of an unsigned one of the demo builds ("demo_app_..."), or of
// the usual unsigned demo build for "".
std::string Build(const char* name, const std::string& unsignedBytes) {
  if (*name == '\0') return unsignedBytes;
  const std::string path =
      std::string(name).rfind("demo_app_", 0) == 0 ? driver::ProgramDirectory() + "\\" + name : SigningFile(name);
  return driver::ReadWholeFile(path).value_or("<missing " + std::string(name) + ">");
}

class SignedUpdate : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(testsrv::TrustSigningRoot()); }
};

// One update: what is installed and running, what the server delivers, and what must come of it.
struct SignedUpdateCase {
  const char* name;
  const char* installed;  // a signed build of the fixture, or "" for the unsigned old build
  const char* download;   // a signed build of the fixture, or "" for the unsigned new build
  const char* message;    // the box the updater shows, or "" when it installs
  std::string (*changeInstalled)(std::string) = nullptr;
};

TEST_F(SignedUpdate, KeepsTheInstalledExecutablesPublisherProductAndVersion) {
  constexpr char kRefused[] = "下载的文件签名无效，更新失败！";
  constexpr char kOlder[] = "下载的文件版本较旧，更新失败！";
  constexpr char kOtherProduct[] = "下载的文件不是本软件，更新失败！";
  constexpr char kUnreadable[] = "本软件的版本信息无法读取，更新失败！";
  const SignedUpdateCase cases[] = {
      {"same publisher", "old-signed.exe", "new-signed.exe", ""},
      {"renewed certificate", "old-signed.exe", "new-renewed.exe", ""},
      {"unsigned download", "old-signed.exe", "", kRefused},
      {"other publisher", "old-signed.exe", "new-other.exe", kRefused},
      {"publisher's name without a trusted root", "old-signed.exe", "new-selfsigned.exe", kRefused},
      {"one byte changed", "old-signed.exe", "new-tampered.exe", kRefused},
      {"signed over unsigned", "", "new-signed.exe", ""},
      // The installed file's signer binds the download even where its own signature fails.
      {"installed signer expired, same publisher", "old-expired.exe", "new-signed.exe", ""},
      {"installed signer expired, unsigned download", "old-expired.exe", "", kRefused},
      {"installed file changed, unsigned download", "old-tampered.exe", "", kRefused},
      {"installed file changed, other publisher", "old-tampered.exe", "new-other.exe", kRefused},
      {"Chinese publisher name", "old-zh.exe", "new-zh.exe", ""},
      {"publisher name one Chinese character apart", "old-zh.exe", "new-zh-other.exe", kRefused},
      {"older release of the same publisher", "new-signed.exe", "old-signed.exe", kOlder},
      {"the same release again", "old-signed.exe", "old-signed.exe", ""},
      {"another program of the same publisher", "old-signed.exe", "new-otherproduct.exe", kOtherProduct},
      // Where the installation carries version data, a download has to carry it too.
      {"signed, without version resource", "old-signed.exe", "new-noversion.exe", kOlder},
      {"signed, without product name", "old-signed.exe", "new-noproduct.exe", kOtherProduct},
      {"unsigned, without version resource", "", "demo_app_noversion.exe", kOlder},
      {"without version resource over an installation without one", "demo_app_noversion_old.exe",
       "demo_app_noversion.exe", ""},
      {"without product name over an installation without version data", "demo_app_noversion_old.exe",
       "demo_app_noproduct.exe", ""},
      {"an installed version resource that cannot be read", "", "", kUnreadable, driver::WithVersionResourcePastItsEnd},
  };
  for (const SignedUpdateCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string built = Build(c.installed, e2e::OldApplication());
    const std::string installed = c.changeInstalled ? c.changeInstalled(built) : built;
    const std::string download = Build(c.download, e2e::NewApplication());
    Delivery delivery;
    delivery.answer = testsrv::Ok(download);
    UpdateRun update(delivery);
    update.Prepare();
    ASSERT_TRUE(update.run().Write("Corvane.exe", installed));
    driver::Process& running = update.StartApplication(std::string(c.installed).rfind("new-", 0) == 0 ? "2.0" : "1.0");
    ASSERT_NE(update.StartUpdater(), nullptr);
    update.ClickButton();
    EXPECT_EQ(update.WaitForOutcome(), c.message);

    const bool refused = *c.message != '\0';
    EXPECT_EQ(update.run().Read("Corvane.exe"), refused ? installed : download);
    EXPECT_EQ(running.WaitForExit(refused ? 0 : kDeadlineMs).has_value(), !refused) << "the application's run";
    if (refused) {  // another try may be started
      EXPECT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return update.Text(ui::按钮2) == "开始更新"; })) << c.name;
      EXPECT_TRUE(IsWindowEnabled(update.Control(ui::按钮2))) << c.name;
    }
  }
}

// WinINet's own certificate check guards an https address: a server under a trusted root
// delivers, one with an untrusted certificate cannot be opened.
TEST_F(SignedUpdate, AnHttpsAddressNeedsATrustedServerCertificate) {
  const char* nginxDir = std::getenv("CORVANE_TLS_NGINX_DIR");
  ASSERT_NE(nginxDir, nullptr) << "run with the HTTPS nginx fixture";
  const std::string nginx = testsrv::WindowsPathOf(nginxDir);
  ASSERT_TRUE(driver::WriteWholeFile(nginx + "\\www\\Corvane.exe", e2e::NewApplication()));
  const struct {
    const char* portFile;
    const char* message;
  } servers[] = {{"tls-port", ""}, {"untrusted-tls-port", "不能打开该URL!"}};
  for (const auto& server : servers) {
    SCOPED_TRACE(server.portFile);
    const int port = std::atoi(driver::ReadWholeFile(nginx + "\\" + server.portFile).value_or("0").c_str());
    ASSERT_GT(port, 0);
    Delivery delivery;
    delivery.url = "https://127.0.0.1:" + std::to_string(port) + "/plain/Corvane.exe";
    UpdateRun update(delivery);
    update.Prepare();
    ASSERT_NE(update.StartUpdater(), nullptr);
    update.ClickButton();
    EXPECT_EQ(update.WaitForOutcome(), server.message);
    EXPECT_EQ(update.ApplicationState(), *server.message == '\0' ? "new" : "old");
  }
}

}  // namespace
