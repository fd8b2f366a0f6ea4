#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/external_functions.h"
#include "runtime/program_path.h"
#include "tests/driver/debug_output.h"
#include "tests/driver/driver.h"
#include "tests/driver/test_clock.h"
#include "tests/driver/test_files.h"
#include "tests/servers/fault_server.h"
#include "tests/servers/nginx_fixture.h"
#include "tests/servers/pattern.h"
#include "updater/declared_functions.h"
#include "updater/http_download.h"

namespace updater {
namespace {

using testsrv::Ending;
using testsrv::FaultServer;
using testsrv::Framing;
using testsrv::PatternBody;
using testsrv::Response;

struct Progress {
  int32_t total, downloaded, elapsedMs, fetched;
};

std::mutex g_progressLock;
std::vector<Progress> g_progress;
// What a test does on the download's thread before it starts, and after each callback.
std::function<void()> g_onDownloadThread, g_afterProgress;

intptr_t __stdcall RecordProgress(uintptr_t total, uint32_t downloaded, uintptr_t elapsedMs, intptr_t fetched) {
  {
    std::lock_guard<std::mutex> hold(g_progressLock);
    g_progress.push_back({static_cast<int32_t>(total), static_cast<int32_t>(downloaded),
                          static_cast<int32_t>(elapsedMs), static_cast<int32_t>(fetched)});
  }
  if (g_afterProgress) g_afterProgress();
  return 0;
}

// The download's clock is the test's for as long as this lives: it stands still but for the
// given step after each callback.
class ClockOfTheDownload {
 public:
  ClockOfTheDownload(uint32_t start, uint32_t stepAfterEachCallback) : clock_(start) {
    g_onDownloadThread = [this] { clock_.FollowOnThisThread(); };
    g_afterProgress = [this, stepAfterEachCallback] { clock_.Advance(stepAfterEachCallback); };
  }
  ~ClockOfTheDownload() { g_onDownloadThread = g_afterProgress = nullptr; }
  bool Ok() const { return clock_.Ok(); }

 private:
  driver::TestClock clock_;
};

struct Outcome {
  int32_t result = 99;
  std::string message;  // the box the download showed, "" when none
  std::vector<Progress> progress;
};

// Runs one download on a thread of its own, answering the message box it may show.
Outcome Download(const std::string& url, const std::string& path, int32_t offset = 0, bool resume = false,
                 DownloadContinuation* continuation = nullptr) {
  {
    std::lock_guard<std::mutex> hold(g_progressLock);
    g_progress.clear();
  }
  Outcome outcome;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    if (g_onDownloadThread) g_onDownloadThread();
    outcome.result = HttpDownload(url.c_str(), path.c_str(), RecordProgress, offset, resume, continuation);
    done = true;
  });
  driver::WaitUntil(60000,
      [&] {
        if (done) return true;
        for (HWND window : driver::TopLevelWindowsOf(GetCurrentProcessId())) {
          if (driver::ClassOf(window) == "#32770" && IsWindowVisible(window)) {
            // A box may be visible a moment before its text is there.
            const std::string text = driver::ReadText(GetDlgItem(window, 0xFFFF));
            if (text.empty()) return false;
            outcome.message = text;
            EXPECT_EQ(driver::ReadText(window), "信息：");
            driver::PressOk(window);
            return false;
          }
        }
        return false;
      });
  worker.join();
  std::lock_guard<std::mutex> hold(g_progressLock);
  outcome.progress = g_progress;
  return outcome;
}

class HttpDownloadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    rt::SetProgramPath(self);
    rt::PrepareExternalFunctions(DeclaredFunctions, DeclaredFunctionCount);
  }
  driver::TempDirectory dir_{"download"};
  std::string target_ = dir_ / "更新文件.tmp";
  std::string Stored() const { return driver::ReadWholeFile(target_).value_or("<no file>"); }
};

// ---- nginx ----

class NginxDownloadTest : public HttpDownloadTest {
 protected:
  void SetUp() override { ASSERT_TRUE(nginx_.Ok()) << nginx_.Problem(); }
  testsrv::NginxFixture nginx_;
  std::string tag_ = testsrv::UniqueTag();
  std::string Url(const std::string& path) const { return nginx_.Url(path + "?t=" + tag_); }
};

TEST_F(NginxDownloadTest, StoresTheBodyWithACallbackAfterEveryChunk) {
  const Outcome outcome = Download(Url("/plain/pattern-1048583.bin"), target_);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(outcome.message, "");
  EXPECT_EQ(Stored(), nginx_.ReadServedFile("pattern-1048583.bin"));
  ASSERT_EQ(outcome.progress.size(), 1048583u / 10240 + 1);
  int32_t previous = 0;
  for (const Progress& p : outcome.progress) {
    EXPECT_EQ(p.total, 1048583);
    EXPECT_EQ(p.fetched, p.downloaded);
    EXPECT_GT(p.elapsedMs, 0);
    EXPECT_EQ(p.downloaded - previous, p.downloaded == 1048583 ? 1048583 % 10240 : 10240);
    previous = p.downloaded;
  }
  const auto seen = nginx_.WaitForAccess(tag_, 5000);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->acceptLanguage, "zh-cn");
  EXPECT_EQ(seen->acceptEncoding, "gzip, deflate");
  EXPECT_EQ(seen->userAgent, "Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)");
  EXPECT_EQ(seen->range, "-");
}

TEST_F(NginxDownloadTest, ACompressedAnswerIsStoredDecoded) {
  const Outcome outcome = Download(Url("/gzip/pattern-1048583.bin"), target_);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(Stored(), nginx_.ReadServedFile("pattern-1048583.bin"));
  const auto seen = nginx_.WaitForAccess(tag_, 5000);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->contentEncoding, "gzip") << "the server did compress it";
}

TEST_F(NginxDownloadTest, ResumeAppendsAfterTheKeptBytes) {
  const std::string whole = nginx_.ReadServedFile("pattern-1048583.bin");
  driver::WriteWholeFile(target_, whole.substr(0, 5000));
  const Outcome outcome = Download(Url("/plain/pattern-1048583.bin"), target_, 5000, true);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(Stored(), whole);
  ASSERT_FALSE(outcome.progress.empty());
  EXPECT_EQ(outcome.progress.front().downloaded, 5000 + 10240);
  EXPECT_EQ(outcome.progress.front().fetched, 10240);
  EXPECT_EQ(outcome.progress.front().total, 1048583) << "the whole file's size";
  EXPECT_EQ(outcome.progress.back().downloaded, 1048583);
  const auto seen = nginx_.WaitForAccess(tag_, 5000);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->range, "bytes=5000-");
  EXPECT_EQ(seen->status, "206");
}

TEST_F(NginxDownloadTest, ResumeCutsALongerFileAndRefetchesAShorterOne) {
  const std::string whole = nginx_.ReadServedFile("pattern-10241.bin");
  driver::WriteWholeFile(target_, whole.substr(0, 3000) + std::string(20000, 'x'));
  EXPECT_EQ(Download(Url("/plain/pattern-10241.bin"), target_, 3000, true).result, 0);
  EXPECT_EQ(Stored(), whole);

  driver::WriteWholeFile(target_, whole.substr(0, 100));
  const std::string tag = testsrv::UniqueTag();
  const Outcome outcome = Download(nginx_.Url("/plain/pattern-10241.bin?t=" + tag), target_, 3000, true);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(Stored(), whole);
  ASSERT_FALSE(outcome.progress.empty());
  EXPECT_EQ(outcome.progress.front().downloaded, 10240);
  const auto seen = nginx_.WaitForAccess(tag, 5000);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->range, "-") << "fetched whole, without a range";
}

TEST_F(NginxDownloadTest, AMissingFileIsRefusedTracedAndTheLocalFileKept) {
  driver::WriteWholeFile(target_, "previous contents");
  driver::DebugOutputRecorder trace;
  const Outcome outcome = Download(Url("/plain/no-such-file.bin"), target_);
  EXPECT_EQ(outcome.result, -1);
  EXPECT_EQ(outcome.message, "不能打开该URL!");
  EXPECT_EQ(Stored(), "previous contents");
  EXPECT_TRUE(outcome.progress.empty());
  // The user learns that the address failed; a maintainer learns the answer's status.
  EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
            std::vector<std::string>{"CorvaneUpdater: download: answer refused status=404 resume=0"});
}

TEST_F(NginxDownloadTest, EmptyAndChunkSizedBodies) {
  driver::WriteWholeFile(target_, "old");
  Outcome outcome = Download(Url("/plain/pattern-0.bin"), target_);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(Stored(), "");
  EXPECT_TRUE(outcome.progress.empty());

  outcome = Download(Url("/plain/pattern-10240.bin"), target_);
  EXPECT_EQ(outcome.result, 0);
  ASSERT_EQ(outcome.progress.size(), 1u);
  EXPECT_EQ(outcome.progress[0].downloaded, 10240);
  outcome = Download(Url("/plain/pattern-10241.bin"), target_);
  ASSERT_EQ(outcome.progress.size(), 2u);
  EXPECT_EQ(outcome.progress[1].downloaded, 10241);
  EXPECT_EQ(Stored(), PatternBody(10241));
}

// The largest body a download takes is stored whole (one byte more is refused, below).
TEST_F(NginxDownloadTest, ABodyOfExactlyTheLimitIsStored) {
  const std::string name = "zeros-536870912.bin";
  ASSERT_TRUE(driver::WriteZeroFile(nginx_.ServedFile(name), 536870912));
  const Outcome outcome = Download(Url("/plain/" + name), target_);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(outcome.message, "");
  ASSERT_FALSE(outcome.progress.empty());
  EXPECT_EQ(outcome.progress.back().downloaded, 536870912);
  EXPECT_EQ(driver::FileSizeAt(target_), 536870912);
}

// ---- our own server ----

TEST_F(HttpDownloadTest, TheRequestCarriesTheHeaderBlock) {
  FaultServer server(testsrv::Ok(PatternBody(100)));
  ASSERT_EQ(Download(server.Url("/Corvane.exe"), target_).result, 0);
  const std::vector<testsrv::Request> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const testsrv::Request& request = requests[0];
  EXPECT_EQ(request.requestLine, "GET /Corvane.exe HTTP/1.1");
  EXPECT_EQ(request.Header("Accept-Language"), "zh-cn");
  EXPECT_EQ(request.Header("Accept-Encoding"), "gzip, deflate");
  EXPECT_EQ(request.Header("User-Agent"), "Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)");
  EXPECT_EQ(request.Header("Range"), "");
  EXPECT_EQ(request.Header("Pragma"), "no-cache");
}

// Each callback gets the milliseconds since the first read as the 32-bit count's difference,
// across its wrap; a chunk read within the first millisecond counts 10.
TEST_F(HttpDownloadTest, TheElapsedTimeIsTheClocksDifferenceAndNeverZero) {
  FaultServer server(testsrv::Ok(PatternBody(25000)));
  for (uint32_t start : {0u, 0x7FFFFFF0u, 0xFFFFFFF0u}) {
    ClockOfTheDownload clock(start, 40);
    ASSERT_TRUE(clock.Ok());
    const Outcome outcome = Download(server.Url("/f"), target_);
    ASSERT_EQ(outcome.result, 0);
    std::vector<int32_t> elapsed;
    for (const Progress& p : outcome.progress) elapsed.push_back(p.elapsedMs);
    EXPECT_EQ(elapsed, (std::vector<int32_t>{10, 40, 80})) << "from " << start;
  }
}

// The proxy bit of the connection state chooses the access type; Wine never reports a proxy,
// so this is where the choice is seen.
TEST(InternetAccessTest, TheSystemSettingsWithDiscoveryOnlyWhereTheStateReportsAProxy) {
  struct Case {
    uint32_t state, access;
  };
  for (const Case& c : {Case{0, 4}, Case{0x12, 4}, Case{0x04, 0}, Case{0x06, 0}, Case{0xFFFFFFFB, 4},
                        Case{0xFFFFFFFF, 0}}) {
    EXPECT_EQ(InternetAccessFor(c.state), c.access) << "state " << c.state;
  }
}

TEST_F(HttpDownloadTest, ResumeSendsTheRangeLine) {
  FaultServer server(testsrv::Status(206, "Partial Content", PatternBody(50)));
  driver::WriteWholeFile(target_, std::string(5000, 'k'));
  Download(server.Url("/f"), target_, 5000, true);
  ASSERT_EQ(server.Requests().size(), 1u);
  // WinINet puts a blank after the colon of the line it was given.
  EXPECT_EQ(server.Requests()[0].Header("Range"), "bytes=5000-");
}

// A partial answer is appended only when it is exactly the rest of the file the part was cut
// from; any other drops the part, and the next try fetches the file whole. Here the part holds
// 5000 bytes of a 5050-byte file named "v1".
TEST_F(HttpDownloadTest, OnlyTheRestOfTheSameFileIsAppended) {
  const std::string held(5000, 'k');
  const struct {
    const char* what;
    std::vector<std::string> lines;  // the 206's header lines
    bool appended;
    bool gzip = false;
  } cases[] = {
      {"the rest", {"Content-Range: bytes 5000-5049/5050", "ETag: \"v1\""}, true},
      {"another start", {"Content-Range: bytes 0-49/5050"}, false},
      {"capped before the end", {"Content-Range: bytes 5000-5039/5050"}, false},
      {"another total, the same length", {"Content-Range: bytes 5000-5049/5051"}, false},
      {"a malformed range", {"Content-Range: bytes 5000-/5050"}, false},
      {"no range", {}, false},
      {"another file's tail (a cache that ignores If-Range)", {"Content-Range: bytes 5000-5049/5050", "ETag: \"v2\""}, false},
      {"compressed", {"Content-Range: bytes 5000-5049/5050"}, false, true},
  };
  for (const auto& c : cases) {
    Response part = testsrv::Status(206, "Partial Content", PatternBody(50, 5000));
    part.headers = c.lines;
    part.gzip = c.gzip;
    FaultServer server(part);
    driver::WriteWholeFile(target_, held);
    DownloadContinuation continuation;
    continuation.anotherTryFollows = true;
    continuation.validator = "\"v1\"";
    continuation.wholeSize = 5050;
    driver::DebugOutputRecorder trace;
    const Outcome outcome = Download(server.Url("/f"), target_, 5000, true, &continuation);
    EXPECT_EQ(outcome.result, c.appended ? 0 : -1) << c.what;
    EXPECT_EQ(outcome.message, "") << c.what;
    EXPECT_EQ(Stored(), c.appended ? held + PatternBody(50, 5000) : "<no file>") << c.what;
    EXPECT_EQ(continuation.brokeOff, !c.appended) << c.what << ": another try follows";
    EXPECT_FALSE(continuation.continuable) << c.what << ": it fetches the file whole";
    if (!c.appended) {
      const std::string range = c.lines.empty() ? "" : c.lines[0].substr(15);
      const std::string etag = c.lines.size() > 1 ? c.lines[1].substr(6) : "";
      EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
                std::vector<std::string>{"CorvaneUpdater: download: the part is not the rest of the file range=\"" +
                                         range + "\" etag=\"" + etag + "\" held=5000 whole=5050"})
          << c.what;
    }
  }
  // The last try tells it.
  Response capped = testsrv::Status(206, "Partial Content", PatternBody(40, 5000));
  capped.headers = {"Content-Range: bytes 5000-5039/5050"};
  FaultServer server(capped);
  driver::WriteWholeFile(target_, held);
  EXPECT_EQ(Download(server.Url("/f"), target_, 5000, true).message, "不能打开该URL!");
  EXPECT_EQ(Stored(), "<no file>");
}

// An answer to a resumed request: an outage (a 5xx) is a break that keeps the part for the next
// try, a 416 (the part reaches the end already) one whose next try fetches the file whole, and
// any other refusal drops the part at once.
TEST_F(HttpDownloadTest, AnOutageAtTheResumeIsABreakARefusalDropsThePart) {
  const struct {
    int status;
    bool brokeOff, continuable;
    const char* message;
    bool kept;
  } cases[] = {
      {503, true, true, "", true},
      {500, true, true, "", true},
      {416, true, false, "", true},
      {404, false, false, "不能打开该URL!", false},
      {403, false, false, "不能打开该URL!", false},
  };
  for (const auto& c : cases) {
    FaultServer server(testsrv::Status(c.status, "Whatever", "<html>error page</html>"));
    driver::WriteWholeFile(target_, PatternBody(12000));
    DownloadContinuation continuation;
    continuation.anotherTryFollows = true;
    continuation.validator = "\"v1\"";
    continuation.wholeSize = 20000;
    const Outcome outcome = Download(server.Url("/f"), target_, 12000, true, &continuation);
    EXPECT_EQ(outcome.result, -1) << c.status;
    EXPECT_EQ(outcome.message, c.message) << c.status;
    EXPECT_EQ(continuation.brokeOff, c.brokeOff) << c.status;
    EXPECT_EQ(continuation.continuable, c.continuable) << c.status;
    EXPECT_EQ(Stored(), c.kept ? PatternBody(12000) : "<no file>") << c.status;
  }
}

TEST_F(HttpDownloadTest, AWholeAnswerToARangedRequestRestartsFromZero) {
  FaultServer server(testsrv::Ok(PatternBody(20000)));
  driver::WriteWholeFile(target_, std::string(7000, 'k'));
  const Outcome outcome = Download(server.Url("/f"), target_, 7000, true);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(Stored(), PatternBody(20000));
  ASSERT_EQ(outcome.progress.size(), 2u);
  EXPECT_EQ(outcome.progress[0].downloaded, 10240);
  EXPECT_EQ(outcome.progress[0].fetched, 10240);
  EXPECT_EQ(outcome.progress[1].downloaded, 20000);
}

TEST_F(HttpDownloadTest, ErrorStatusesAreRefusedBeforeTheFileIsTouched) {
  for (int code : {404, 500, 301, 204}) {
    FaultServer server(testsrv::Status(code, "Whatever", "<html>error page</html>"));
    driver::WriteWholeFile(target_, "keep me");
    const Outcome outcome = Download(server.Url("/f"), target_);
    EXPECT_EQ(outcome.result, -1) << code;
    EXPECT_EQ(outcome.message, "不能打开该URL!") << code;
    EXPECT_EQ(Stored(), "keep me") << code;
  }
}

TEST_F(HttpDownloadTest, NoLengthOrChunkedBodiesHaveTotalZero) {
  for (Framing framing : {Framing::CloseDelimited, Framing::Chunked}) {
    Response response = testsrv::Ok(PatternBody(25000));
    response.framing = framing;
    FaultServer server(response);
    const Outcome outcome = Download(server.Url("/f"), target_);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(Stored(), PatternBody(25000));
    ASSERT_FALSE(outcome.progress.empty());
    for (const Progress& p : outcome.progress) EXPECT_EQ(p.total, 0);
    EXPECT_EQ(outcome.progress.back().downloaded, 25000);
  }
}

TEST_F(HttpDownloadTest, ABodyWithoutEndIsRefusedAtTheLimitAndItsFileRemoved) {
  Response response = testsrv::Ok(PatternBody(1 << 20));
  response.framing = Framing::CloseDelimited;
  response.endless = true;
  FaultServer server(response);
  driver::DebugOutputRecorder trace;
  const Outcome outcome = Download(server.Url("/endless"), target_);
  EXPECT_EQ(outcome.result, -1);
  EXPECT_EQ(outcome.message, "下载的文件过大，更新失败！");
  EXPECT_FALSE(driver::FileExistsAt(target_));
  // 512 MiB: the last whole chunk within it was written; the one that passes it was not.
  ASSERT_FALSE(outcome.progress.empty());
  EXPECT_EQ(outcome.progress.back().downloaded, 52428 * 10240);
  EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
            std::vector<std::string>{
                "CorvaneUpdater: download: the answer passes the limit received=536872960 limit=536870912"});
}

TEST_F(HttpDownloadTest, ABodyCutShortOfItsLengthIsAReadError) {
  for (Ending ending : {Ending::Close, Ending::Reset}) {
    Response response = testsrv::Ok(PatternBody(30000));
    response.ending = ending;
    response.endAfter = 12000;
    FaultServer server(response);
    const Outcome outcome = Download(server.Url("/f"), target_);
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.message, "读文件出错!");
    const std::string stored = Stored();
    EXPECT_LE(stored.size(), 12000u);
    EXPECT_EQ(stored, PatternBody(stored.size())) << "what arrived stays in the file";
    EXPECT_TRUE(DeleteFileA(target_.c_str())) << "the file was closed";
  }
}

// A body that breaks off is tried again. It is continued from the bytes the file holds when the
// first answer named the file's version strongly (RFC 9110): a strong ETag, or without any ETag
// a Last-Modified date at least a second before the answer's Date. The resumed request asks for
// the bytes uncompressed and carries the version as If-Range; a 206 appends, and a changed file
// (another version) comes whole with 200. Without such a name, or after a compressed answer,
// the next try fetches the file whole. The break itself is not told while another try follows.
TEST_F(HttpDownloadTest, ABreakIsContinuedWhereTheFileNamedItsVersion) {
  const std::string body = PatternBody(30000);
  const std::string changed = PatternBody(25000, 7);
  constexpr char kModified[] = "Wed, 09 Dec 2026 06:00:00 GMT";
  const struct {
    const char* what;
    std::string validator;    // how the server names the version
    std::string date;         // the answers' Date line, "" for none
    std::string resumedWith;  // the If-Range it gets back; "" when the next try fetches whole
    bool changes = false;     // the file changes between the two requests
    bool gzip = false;        // the first answer comes compressed
  } cases[] = {
      {"an ETag", "\"v1\"", "", "\"v1\""},
      {"a Last-Modified date a second before the answer", kModified, "Wed, 09 Dec 2026 06:00:01 GMT", kModified},
      {"a Last-Modified date of the answer's second", kModified, "Wed, 09 Dec 2026 06:00:00 GMT", ""},
      {"a Last-Modified date and no Date", kModified, "", ""},
      {"a weak ETag", "W/\"v1\"", "", ""},
      {"no name", "", "", ""},
      {"a changed file", "\"v1\"", "", "\"v1\"", true},
      {"a compressed answer", "\"v1\"", "", "", false, true},
  };
  for (const auto& c : cases) {
    std::atomic<int> served{0};
    FaultServer server([&](const testsrv::Request& request) {
      const bool first = served++ == 0;
      Response answer = testsrv::FileAnswer(request, first || !c.changes ? body : changed,
                                            first || !c.changes ? c.validator : "\"v2\"");
      if (!c.date.empty()) answer.headers.push_back("Date: " + c.date);
      if (first) {
        answer.gzip = c.gzip;
        // A decoding WinINet takes a compressed body that ends early for a whole one; a reset
        // connection is a break.
        answer.ending = c.gzip ? Ending::Reset : Ending::Close;
        answer.endAfter = 12000;
      }
      return answer;
    });
    DownloadContinuation continuation;
    continuation.anotherTryFollows = true;
    const Outcome broken = Download(server.Url("/f"), target_, 0, false, &continuation);
    const bool resumable = !c.resumedWith.empty();
    EXPECT_EQ(broken.result, -1) << c.what;
    EXPECT_EQ(broken.message, "") << c.what;
    EXPECT_TRUE(continuation.brokeOff) << c.what;
    EXPECT_EQ(continuation.continuable, resumable) << c.what;
    EXPECT_EQ(continuation.validator, c.gzip ? c.validator : c.resumedWith) << c.what;
    EXPECT_EQ(continuation.wholeSize, c.gzip ? 0 : 30000) << c.what;

    // The next try, as the worker makes it.
    const auto held = resumable ? static_cast<int32_t>(Stored().size()) : 0;
    ASSERT_TRUE(!resumable || held > 0) << c.what;
    const Outcome next = Download(server.Url("/f"), target_, held, resumable, &continuation);
    EXPECT_EQ(next.result, 0) << c.what;
    EXPECT_EQ(next.message, "") << c.what;
    EXPECT_EQ(Stored(), c.changes ? changed : body) << c.what;
    ASSERT_EQ(server.Requests().size(), 2u) << c.what;
    const testsrv::Request second = server.Requests()[1];
    EXPECT_EQ(second.Header("Range"), resumable ? "bytes=" + std::to_string(held) + "-" : "") << c.what;
    EXPECT_EQ(second.Header("If-Range"), c.resumedWith) << c.what;
    EXPECT_EQ(second.Header("Accept-Encoding"), resumable ? "identity" : "gzip, deflate") << c.what;
    // The statistics go on from the bytes held, with the whole file's size; a changed file
    // starts again from 0.
    ASSERT_FALSE(next.progress.empty()) << c.what;
    const Progress& first = next.progress.front();
    const int32_t chunk = resumable && !c.changes ? std::min(10240, 30000 - held) : 10240;
    EXPECT_EQ(first.total, c.changes ? 25000 : 30000) << c.what;
    EXPECT_EQ(first.downloaded, (c.changes ? 0 : held) + chunk) << c.what;
    EXPECT_EQ(first.fetched, chunk) << c.what;
    EXPECT_FALSE(continuation.brokeOff) << c.what;
  }
}

// No download brings more than 512 MiB, all its parts together: a length or a range's total
// past it is refused before a byte is written, and a part that would take the file past it is
// stopped at the chunk that would.
TEST_F(HttpDownloadTest, TheLimitHoldsForTheWholeDownload) {
  for (const char* line : {"Content-Length: 536870913", "Content-Range: bytes 5000-536870912/536870913"}) {
    const bool partial = std::string(line).rfind("Content-Range", 0) == 0;
    Response announced = partial ? testsrv::Status(206, "Partial Content", PatternBody(100)) : testsrv::Ok(PatternBody(100));
    announced.framing = Framing::CloseDelimited;
    announced.headers = {line};
    FaultServer server(announced);
    driver::WriteWholeFile(target_, std::string(5000, 'k'));
    driver::DebugOutputRecorder trace;
    const Outcome outcome = Download(server.Url("/f"), target_, partial ? 5000 : 0, partial);
    EXPECT_EQ(outcome.message, "下载的文件过大，更新失败！") << line;
    EXPECT_TRUE(outcome.progress.empty()) << line;
    EXPECT_FALSE(driver::FileExistsAt(target_)) << line;
    EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
              std::vector<std::string>{
                  "CorvaneUpdater: download: the answer passes the limit announced=536870913 limit=536870912"})
        << line;
  }
  // A part held just short of the limit, and a rest that does not end where it says.
  constexpr int32_t kHeld = 536870912 - 5000;
  ASSERT_TRUE(driver::WriteZeroFile(target_, kHeld));
  Response rest = testsrv::Status(206, "Partial Content", PatternBody(1 << 20));
  rest.framing = Framing::CloseDelimited;
  rest.endless = true;
  rest.headers = {"Content-Range: bytes " + std::to_string(kHeld) + "-536870911/536870912"};
  FaultServer server(rest);
  DownloadContinuation continuation;
  continuation.validator = "\"v1\"";
  driver::DebugOutputRecorder trace;
  const Outcome outcome = Download(server.Url("/f"), target_, kHeld, true, &continuation);
  EXPECT_EQ(outcome.message, "下载的文件过大，更新失败！");
  EXPECT_TRUE(outcome.progress.empty());
  EXPECT_FALSE(driver::FileExistsAt(target_));
  EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
            std::vector<std::string>{"CorvaneUpdater: download: the answer passes the limit received=" +
                                     std::to_string(kHeld + 10240) + " limit=536870912"});
}

// A server that goes quiet in the middle is a break once the limit has passed: traced, not told
// while another try follows, and resumable.
TEST_F(HttpDownloadTest, AStallIsABreak) {
  Response stalled = testsrv::FileAnswer({}, PatternBody(30000), "\"v1\"");
  stalled.ending = Ending::Stall;
  stalled.endAfter = 12000;
  FaultServer server(stalled);
  DownloadContinuation continuation;
  continuation.anotherTryFollows = true;
  continuation.stallLimitMs = 1500;
  driver::DebugOutputRecorder trace;
  const Outcome outcome = Download(server.Url("/f"), target_, 0, false, &continuation);
  EXPECT_EQ(outcome.result, -1);
  EXPECT_EQ(outcome.message, "");
  EXPECT_TRUE(continuation.brokeOff);
  const std::string held = Stored();
  EXPECT_EQ(held, PatternBody(held.size())) << "what arrived stays";
  EXPECT_EQ(trace.LinesWith("CorvaneUpdater:"),
            std::vector<std::string>{"CorvaneUpdater: download: the answer stalled error=10060 received=" +
                                     std::to_string(held.size())});
  // An answer whose head never comes is no answer at all.
  Response silent = testsrv::Ok(PatternBody(100));
  silent.ending = Ending::Stall;
  silent.headFirst = false;
  FaultServer mute(silent);
  continuation.anotherTryFollows = false;
  EXPECT_EQ(Download(mute.Url("/f"), target_, 0, false, &continuation).message, "不能打开该URL!");
}

// A server that is gone when the resume comes is one more break: traced, not told while
// another try follows, and the part is kept for the next.
TEST_F(HttpDownloadTest, AServerGoneAtTheResumeIsABreak) {
  driver::WriteWholeFile(target_, PatternBody(12000));
  DownloadContinuation continuation;
  continuation.anotherTryFollows = true;
  continuation.validator = "\"v1\"";
  const int32_t held = 12000;
  uint16_t port;
  {
    FaultServer gone(testsrv::Ok(""));
    port = gone.Port();
  }
  const std::string nowhere = "http://127.0.0.1:" + std::to_string(port) + "/f";
  const Outcome resumed = Download(nowhere, target_, held, true, &continuation);
  EXPECT_EQ(resumed.result, -1);
  EXPECT_EQ(resumed.message, "");
  EXPECT_TRUE(continuation.brokeOff);
  EXPECT_EQ(static_cast<int32_t>(Stored().size()), held) << "the part is kept";
  continuation.anotherTryFollows = false;  // the last try tells it
  EXPECT_EQ(Download(nowhere, target_, held, true, &continuation).message, "不能打开该URL!");
}

TEST_F(HttpDownloadTest, ASlowDripArrivesWhole) {
  Response response = testsrv::Ok(PatternBody(30000));
  response.dripPiece = 3000;
  response.dripDelayMs = 20;
  FaultServer server(response);
  const Outcome outcome = Download(server.Url("/f"), target_);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(Stored(), PatternBody(30000));
  ASSERT_FALSE(outcome.progress.empty());
  EXPECT_GE(outcome.progress.back().elapsedMs, 100);
}

TEST_F(HttpDownloadTest, NothingListeningCannotBeOpened) {
  uint16_t port;
  {
    FaultServer gone(testsrv::Ok(""));
    port = gone.Port();
  }
  driver::WriteWholeFile(target_, "keep me");
  const Outcome outcome = Download("http://127.0.0.1:" + std::to_string(port) + "/f", target_);
  EXPECT_EQ(outcome.result, -1);
  EXPECT_EQ(outcome.message, "不能打开该URL!");
  EXPECT_EQ(Stored(), "keep me");
}

TEST_F(HttpDownloadTest, ALocalFileThatCannotBeOpened) {
  FaultServer server(testsrv::Ok("body"));
  const Outcome outcome = Download(server.Url("/f"), dir_ / "missing-dir\\更新文件.tmp");
  EXPECT_EQ(outcome.result, -1);
  EXPECT_EQ(outcome.message, "不能打开本地的文件!");
}

TEST_F(HttpDownloadTest, AnEmptyUrlCannotBeOpened) {
  const Outcome outcome = Download("", target_);
  EXPECT_EQ(outcome.result, -1);
  EXPECT_EQ(outcome.message, "不能打开该URL!");
  EXPECT_FALSE(driver::FileExistsAt(target_));
}

}  // namespace
}  // namespace updater
