// One table of what a download server can do wrong, each case run through the real updater:
// the message it shows, its exit code, and whether Corvane.exe is then the old or the new
// file (never anything else). The table is printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/update_support.h"
#include "tests/servers/nginx_fixture.h"
#include "ui/properties.h"

namespace {

using e2e::Delivery;
using e2e::kDeadlineMs;
using e2e::NewApplication;
using e2e::UpdateRun;
using testsrv::Ending;
using testsrv::Framing;
using testsrv::Response;

struct FaultCase {
  const char* name;
  Delivery delivery;
  const char* message;      // what the updater says, "" when it installs
  const char* application;  // "old" or "new" afterwards
};

Response CutAt(double share) {
  Response answer = testsrv::Ok(NewApplication());
  answer.ending = Ending::Close;
  answer.endAfter = static_cast<size_t>(static_cast<double>(NewApplication().size()) * share);
  return answer;
}

Response Framed(Framing framing) {
  Response answer = testsrv::Ok(NewApplication());
  answer.framing = framing;
  return answer;
}

Response ChunkedCutInHalf() {
  Response answer = Framed(Framing::Chunked);
  answer.ending = Ending::Close;
  answer.endAfter = NewApplication().size() / 2;
  return answer;
}

Response LongerThanAnnounced() {
  // The head announces 4000 bytes fewer than the body that follows.
  Response answer = testsrv::Ok(NewApplication());
  answer.framing = Framing::CloseDelimited;
  answer.headers.push_back("Content-Length: " + std::to_string(NewApplication().size() - 4000));
  return answer;
}

std::string RefusedAddress() {
  uint16_t port;
  {
    testsrv::FaultServer gone(testsrv::Ok(""));
    port = gone.Port();
  }
  return "http://127.0.0.1:" + std::to_string(port) + "/Corvane.exe";
}

std::string Served(testsrv::NginxFixture& nginx, const std::string& location) {
  driver::WriteWholeFile(nginx.ServedFile("Corvane-new.exe"), NewApplication());
  return nginx.Url(location + "Corvane-new.exe");
}

constexpr char kCannotOpen[] = "不能打开该URL!";
constexpr char kReadFailed[] = "读文件出错!";
constexpr char kEmpty[] = "下载的文件是空的，更新失败！";
constexpr char kIncomplete[] = "下载的文件不是完整的程序，更新失败！";

TEST(ServerFaults, EachEndsInItsOutcomeAndTheApplicationIsOldOrNew) {
  testsrv::NginxFixture nginx;
  ASSERT_TRUE(nginx.Ok()) << nginx.Problem();
  const std::vector<FaultCase> cases = {
      {"refused connection", {.url = RefusedAddress()}, kCannotOpen, "old"},
      {"404 with a page", {.status = 404}, kCannotOpen, "old"},
      {"500 with a page", {.status = 500}, kCannotOpen, "old"},
      {"empty body", {.empty = true}, kEmpty, "old"},
      {"chunked", {.answer = Framed(Framing::Chunked)}, "", "new"},
      {"no length", {.answer = Framed(Framing::CloseDelimited)}, "", "new"},
      {"gzip (nginx)", {.url = Served(nginx, "/gzip/")}, "", "new"},
      {"range-capable (nginx)", {.url = Served(nginx, "/plain/")}, "", "new"},
      {"cut at 0 %", {.answer = CutAt(0)}, kReadFailed, "old"},
      {"cut at 50 %", {.answer = CutAt(0.5)}, kReadFailed, "old"},
      {"cut at 99 %", {.answer = CutAt(0.99)}, kReadFailed, "old"},
      {"chunked, cut at 50 %", {.answer = ChunkedCutInHalf()}, kIncomplete, "old"},
      {"longer than announced", {.answer = LongerThanAnnounced()}, kIncomplete, "old"},
      {"stall, then the user closes", {.stall = true}, "<nothing>", "old"},
  };
  std::printf("[ table    ] %-30s | %-40s | %-4s | %s\n", "server", "message", "exit", "Corvane.exe");
  for (const FaultCase& c : cases) {
    UpdateRun update(c.delivery);
    update.Prepare();
    ASSERT_NE(update.StartUpdater(), nullptr) << c.name;
    update.ClickButton();
    // A stalled download never ends on its own: the user gives up after a while.
    const std::string message = update.WaitForOutcome(std::string(c.message) == "<nothing>" ? 1500 : kDeadlineMs);
    driver::Click(update.Control(ui::超级按钮1));
    const std::optional<DWORD> code = update.updater().WaitForExit(kDeadlineMs);
    const std::string state = update.ApplicationState();
    std::printf("[ table    ] %-30s | %-40s | %-4s | %s\n", c.name, message.empty() ? "(installed)" : message.c_str(),
                code ? std::to_string(static_cast<int>(*code)).c_str() : "none", state.c_str());
    EXPECT_EQ(message, c.message) << c.name;
    EXPECT_EQ(code, 0u) << c.name;
    EXPECT_EQ(state, c.application) << c.name;
  }
}

}  // namespace
