// One table of what a download server can do wrong, each case run through the real updater:
// the message it shows, its exit code, and whether Corvane.exe is then the old or the new
// file (never anything else). The table is printed.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
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

// A server that serves ranges and names its file's version, scripted request by request: the
// answers listed first, each cut after its share of the body (a share of 1 is whole), refused
// with an error status or not given at all, then the file whole or in the range asked for.
struct Script {
  struct Answer {
    double share = 1;          // of the body sent before the connection is closed ...
    bool stall = false;        // ... or before the server goes quiet, holding the connection
    bool reset = false;        // ... or before it is reset
    int status = 0;            // an error page with this status instead
    bool silent = false;       // the connection closed before any answer
    std::string body;          // "" for the new application
    std::string validator = "\"v1\"";
    bool gzip = false;         // a whole answer sent compressed
    bool honourIfRange = true; // false: a cache that serves the range of what it holds
    std::string range;         // a Content-Range line of this value in place of the true one
  };
  std::vector<Answer> first;   // the first answers, in order
  bool ranges = true;          // the server answers ranges (else always the whole file)
  uint32_t dripDelayMs = 0;    // the later answers go out 10240 bytes per pause
  std::string later;           // what the later answers serve ("" for the new application) ...
  std::string laterValidator = "\"v1\"";  // ... and how they name it

  testsrv::FaultServer::Handler Handler() const {
    auto served = std::make_shared<std::atomic<size_t>>(0);
    return [script = *this, served](const testsrv::Request& request) {
      const size_t index = (*served)++;
      if (index < script.first.size()) {
        const Answer& a = script.first[index];
        if (a.status != 0) return testsrv::Status(a.status, "Whatever", "<html>not now</html>");
        const std::string& body = a.body.empty() ? NewApplication() : a.body;
        Response answer = testsrv::FileAnswer(request, body, a.validator, script.ranges, a.honourIfRange);
        if (!a.range.empty()) {
          std::erase_if(answer.headers, [](const std::string& line) { return line.rfind("Content-Range:", 0) == 0; });
          answer.headers.push_back("Content-Range: " + a.range);
        }
        answer.gzip = a.gzip;
        if (a.silent) {
          answer.ending = Ending::Close;
          answer.headFirst = false;
        } else if (a.share < 1) {
          answer.ending = a.stall ? Ending::Stall : a.reset ? Ending::Reset : Ending::Close;
          answer.endAfter = static_cast<size_t>(static_cast<double>(answer.EncodedBody().size()) * a.share);
        }
        return answer;
      }
      const std::string& body = script.later.empty() ? NewApplication() : script.later;
      Response answer = testsrv::FileAnswer(request, body, script.laterValidator, script.ranges);
      if (script.dripDelayMs > 0) {
        answer.dripPiece = 10240;
        answer.dripDelayMs = script.dripDelayMs;
      }
      return answer;
    };
  }
};

size_t Share(double share) { return static_cast<size_t>(static_cast<double>(NewApplication().size()) * share); }

// The bytes the file holds after answers cut at these shares, each a range after the last.
size_t HeldAfter(std::initializer_list<double> shares) {
  size_t held = 0;
  for (double share : shares) held += static_cast<size_t>(static_cast<double>(NewApplication().size() - held) * share);
  return held;
}

std::string KbText(size_t bytes) {
  char text[64];
  std::snprintf(text, sizeof text, "%.13g", std::floor(static_cast<double>(bytes) / 1024.0 * 100.0 + 0.5) / 100.0);
  return text;
}

// Another build of the same size: the new application with one byte of its padding changed.
std::string AnotherBuild() {
  std::string build = NewApplication();
  build[build.size() / 2] = static_cast<char>(build[build.size() / 2] ^ 0x5A);
  return build;
}

// A cache that ignores If-Range: after the first answer breaks off, the server holds another
// build of the same size, and the cache serves its tail for the range asked for.
Script StitchingCache() {
  Script script{{{.share = 0.5}, {.body = AnotherBuild(), .validator = "\"v2\"", .honourIfRange = false}}};
  script.later = AnotherBuild();
  script.laterValidator = "\"v2\"";
  return script;
}

// A connection that breaks off costs nothing: the updater tries again by itself, continuing the
// file (If-Range with the version's name) where the server named it, else fetching it whole,
// and installs it whole. A partial answer that is not exactly the rest of the file (another
// file's tail, one cut short of the end, of another size, or not read) is never appended: the
// part goes and the file comes whole.
TEST(Resume, ABrokenDownloadIsContinuedAndInstalledWhole) {
  const std::string other = testsrv::PatternBody(NewApplication().size());
  const std::string half = "bytes=" + std::to_string(Share(0.5)) + "-";
  const std::string size = std::to_string(NewApplication().size());
  const struct {
    const char* name;
    Script script;
    std::vector<std::string> ranges;  // the Range line of each request after the first ("" none)
  } cases[] = {
      {"cut at 10 %", {{{.share = 0.1}}}, {"bytes=" + std::to_string(Share(0.1)) + "-"}},
      {"cut at 50 %", {{{.share = 0.5}}}, {"bytes=" + std::to_string(Share(0.5)) + "-"}},
      {"cut at 99 %", {{{.share = 0.99}}}, {"bytes=" + std::to_string(Share(0.99)) + "-"}},
      {"cut, then the file changed", {{{.share = 0.5, .body = other, .validator = "\"v0\""}}},
       {"bytes=" + std::to_string(Share(0.5)) + "-"}},
      {"cut, and ranges ignored", {{{.share = 0.5}}, false}, {"bytes=" + std::to_string(Share(0.5)) + "-"}},
      {"quiet for 30 s at 50 %", {{{.share = 0.5, .stall = true}}}, {}},
      {"cut twice", {{{.share = 0.3}, {.share = 0.5}}},
       {"bytes=" + std::to_string(HeldAfter({0.3})) + "-", "bytes=" + std::to_string(HeldAfter({0.3, 0.5})) + "-"}},
      {"cut without a version name", {{{.share = 0.5, .validator = ""}}}, {""}},
      {"cut, compressed (reset)", {{{.share = 0.5, .reset = true, .gzip = true}}}, {""}},
      {"cut, then 503", {{{.share = 0.5}, {.status = 503}}}, {half, half}},
      {"cut, then no answer", {{{.share = 0.5}, {.silent = true}}}, {half, half}},
      {"cut, then another file's tail (a cache that ignores If-Range)", StitchingCache(), {half, ""}},
      {"cut, then a part that ends short of the file",
       {{{.share = 0.5}, {.range = "bytes " + std::to_string(Share(0.5)) + "-" + std::to_string(Share(0.75)) + "/" + size}}},
       {half, ""}},
      {"cut, then a part of another total",
       {{{.share = 0.5}, {.range = "bytes " + std::to_string(Share(0.5)) + "-" + size + "/" + std::to_string(NewApplication().size() + 1)}}},
       {half, ""}},
      {"cut, then a malformed range", {{{.share = 0.5}, {.range = "bytes " + std::to_string(Share(0.5)) + "-"}}}, {half, ""}},
  };
  for (const auto& c : cases) {
    UpdateRun update({.script = c.script.Handler()});
    update.Prepare();
    ASSERT_NE(update.StartUpdater(), nullptr) << c.name;
    update.ClickButton();
    EXPECT_EQ(update.WaitForOutcome(kDeadlineMs + 30000), "") << c.name;
    const std::string& installed = c.script.later.empty() ? NewApplication() : c.script.later;
    EXPECT_EQ(update.run().Read("Corvane.exe") == installed, true) << c.name << ": installed whole, byte for byte";
    const std::vector<testsrv::Request> requests = update.server().Requests();
    ASSERT_EQ(requests.size(), c.ranges.size() + 1 + (c.script.first[0].stall ? 1 : 0)) << c.name;
    EXPECT_EQ(requests[0].Header("Range"), "") << c.name;
    if (c.script.first[0].stall) {
      // The read that was waiting when the limit passed gives up its bytes; the file held the
      // chunks before it.
      ASSERT_EQ(requests.size(), 2u) << c.name;
      const std::string range = requests[1].Header("Range");
      const size_t held = std::strtoull(range.c_str() + 6, nullptr, 10);
      EXPECT_EQ(range, "bytes=" + std::to_string(held) + "-") << c.name;
      EXPECT_EQ(held % 10240, 0u) << c.name;
      EXPECT_LE(held, Share(0.5)) << c.name;
      EXPECT_GT(held, 0u) << c.name;
      EXPECT_EQ(requests[1].Header("If-Range"), "\"v1\"") << c.name;
    }
    for (size_t i = 0; i < c.ranges.size(); ++i) {
      const bool whole = c.ranges[i].empty();
      EXPECT_EQ(requests[i + 1].Header("Range"), c.ranges[i]) << c.name << " request " << i + 1;
      EXPECT_EQ(requests[i + 1].Header("If-Range"), whole ? "" : c.script.first[0].validator) << c.name << " request " << i + 1;
      EXPECT_EQ(requests[i + 1].Header("Accept-Encoding"), whole ? "gzip, deflate" : "identity") << c.name << " request " << i + 1;
    }
    // The statistics count the whole file, also after a resume.
    EXPECT_EQ(update.Text(ui::标签6), "文件大小:" + KbText(NewApplication().size()) + "KB") << c.name;
    EXPECT_EQ(update.Text(ui::标签7), "已下载:" + KbText(NewApplication().size()) + "KB\r\n") << c.name;
    driver::Click(update.Control(ui::超级按钮1));
    EXPECT_EQ(update.updater().WaitForExit(kDeadlineMs), 0u) << c.name;
  }
}

// Every failed download can be tried again: after its box "开始更新" is enabled, and a click
// fetches the file anew, or continues what a download that kept breaking off left.
TEST(Resume, AfterAFailureTheButtonTriesAgain) {
  const struct {
    const char* name;
    Script script;
    const char* message;
    size_t requestsBeforeTheClick;
    std::string rangeOfTheClick;
  } cases[] = {
      {"404, then the file is there", {{{.status = 404}}}, kCannotOpen, 1, ""},
      {"cut four times in a row",
       {{{.share = 0.2}, {.share = 0.01}, {.share = 0.01}, {.share = 0.01}}},
       kReadFailed,
       4,
       "bytes=" + std::to_string(HeldAfter({0.2, 0.01, 0.01, 0.01})) + "-"},
      {"cut four times without a version name",
       {{{.share = 0.5, .validator = ""}, {.share = 0.5, .validator = ""}, {.share = 0.5, .validator = ""},
         {.share = 0.5, .validator = ""}}},
       kReadFailed,
       4,
       ""},
      {"cut, then a refusal of the resume", {{{.share = 0.5}, {.status = 404}}}, kCannotOpen, 2, ""},
  };
  for (const auto& c : cases) {
    UpdateRun update({.script = c.script.Handler()});
    update.Prepare();
    ASSERT_NE(update.StartUpdater(), nullptr) << c.name;
    update.ClickButton();
    EXPECT_EQ(update.WaitForOutcome(), c.message) << c.name;
    EXPECT_EQ(update.server().Requests().size(), c.requestsBeforeTheClick) << c.name << ": the box comes after the last try";
    ASSERT_TRUE(driver::WaitUntil(kDeadlineMs, [&] { return update.Text(ui::按钮2) == "开始更新"; })) << c.name;
    EXPECT_TRUE(IsWindowEnabled(update.Control(ui::按钮2))) << c.name;
    EXPECT_EQ(update.ApplicationState(), "old") << c.name;
    update.ClickButton();
    EXPECT_EQ(update.WaitForOutcome(), "") << c.name;
    EXPECT_EQ(update.ApplicationState(), "new") << c.name;
    EXPECT_EQ(update.server().Requests().back().Header("Range"), c.rangeOfTheClick) << c.name;
    driver::Click(update.Control(ui::超级按钮1));
    EXPECT_EQ(update.updater().WaitForExit(kDeadlineMs), 0u) << c.name;
  }
}

// Leaving while the updater waits to resume, or while the resumed request runs: exit code 0,
// and Corvane.exe is the old file, whole.
TEST(Resume, LeavingBetweenTriesOrDuringTheResumeKeepsTheOldApplication) {
  for (const bool duringTheResume : {false, true}) {
    for (const bool escape : {false, true}) {
      Script script{{{.share = 0.5}}};
      script.dripDelayMs = duringTheResume ? 200 : 0;
      UpdateRun update({.script = script.Handler()});
      update.Prepare();
      ASSERT_NE(update.StartUpdater(), nullptr);
      update.ClickButton();
      ASSERT_TRUE(update.server().WaitForRequests(duringTheResume ? 2 : 1, kDeadlineMs));
      Sleep(300);  // within the wait of 1 s, or a piece or two into the resumed body
      if (escape) {
        EXPECT_TRUE(driver::PressKey(update.window(), VK_ESCAPE));
      } else {
        driver::Click(update.Control(ui::超级按钮1));
      }
      EXPECT_EQ(update.updater().WaitForExit(kDeadlineMs), 0u) << duringTheResume << escape;
      EXPECT_EQ(update.ApplicationState(), "old") << duringTheResume << escape;
      EXPECT_EQ(update.server().Requests().size(), duringTheResume ? 2u : 1u) << duringTheResume << escape;
    }
  }
}

}  // namespace
