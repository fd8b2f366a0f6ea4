// How WinINet under the updater's calls behaves towards nginx and towards the fault server:
// the facts the updater's download relies on, pinned down with a bare loop.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "tests/download/bare_wininet.h"
#include "tests/servers/fault_server.h"
#include "tests/servers/nginx_fixture.h"

namespace bare {
namespace {

using testsrv::Ending;
using testsrv::FaultServer;
using testsrv::Framing;
using testsrv::PatternBody;
using testsrv::Response;

class BareLoopWithNginx : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(nginx.Ok()) << nginx.Problem(); }

  // A URL of the fixture whose request can be found again in the access log by `tag`.
  std::string Url(const std::string& path, const std::string& tag) const { return nginx.Url(path + "?t=" + tag); }

  testsrv::NginxFixture nginx;
};

// Bodies are compared by size and first difference: a binary diff helps nobody.
void ExpectSameBytes(const std::string& actual, const std::string& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  const auto differ = std::mismatch(actual.begin(), actual.end(), expected.begin());
  EXPECT_TRUE(differ.first == actual.end()) << "first difference at byte " << (differ.first - actual.begin());
}

// Every read but the last fills the whole buffer: a synchronous read waits for 10240 bytes.
void ExpectFullChunks(const FetchResult& r) {
  for (size_t i = 0; i + 1 < r.readSizes.size(); ++i) EXPECT_EQ(r.readSizes[i], ChunkSize) << "read " << i;
}

TEST_F(BareLoopWithNginx, StaticFilesArriveWholeWithTheirLength) {
  for (int size : {0, 1, 10240, 10241, 1048583}) {
    SCOPED_TRACE(size);
    const std::string name = "pattern-" + std::to_string(size) + ".bin";
    const std::string tag = testsrv::UniqueTag();
    const FetchResult r = FetchUrl(Url("/plain/" + name, tag));
    ASSERT_TRUE(r.opened) << r.openError;
    EXPECT_EQ(r.status, 200u);
    EXPECT_TRUE(r.lengthKnown);
    EXPECT_EQ(r.length, static_cast<DWORD>(size));
    EXPECT_FALSE(r.readFailed);
    ExpectSameBytes(r.body, nginx.ReadServedFile(name));
    ExpectSameBytes(r.body, PatternBody(size));
    EXPECT_EQ(r.readSizes.size(), (size + ChunkSize - 1) / ChunkSize);
    ExpectFullChunks(r);
  }
}

TEST_F(BareLoopWithNginx, SendsTheHeaderBlockWithItsOwnUserAgent) {
  const std::string tag = testsrv::UniqueTag();
  ASSERT_TRUE(FetchUrl(Url("/plain/pattern-1.bin", tag)).opened);
  const std::optional<testsrv::AccessEntry> seen = nginx.WaitForAccess(tag, 5000);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->request, "GET /plain/pattern-1.bin?t=" + tag + " HTTP/1.1");
  EXPECT_EQ(seen->accept, "*/*");
  EXPECT_EQ(seen->acceptLanguage, "zh-cn");
  EXPECT_EQ(seen->acceptEncoding, "gzip, deflate");
  EXPECT_EQ(seen->userAgent, "Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)");
  EXPECT_EQ(seen->range, "-");
}

TEST_F(BareLoopWithNginx, GzipBodiesArriveCompressedUnlessDecodingIsOn) {
  const std::string file = nginx.ReadServedFile("pattern-10241.bin");
  const std::string tag = testsrv::UniqueTag();
  const FetchResult raw = FetchUrl(Url("/gzip/pattern-10241.bin", tag));
  ASSERT_TRUE(raw.opened);
  EXPECT_EQ(raw.contentEncoding, "gzip");
  EXPECT_FALSE(raw.lengthKnown);  // compressed on the fly: chunked, no length
  ASSERT_GE(raw.body.size(), 2u);
  EXPECT_EQ(raw.body.substr(0, 2), "\x1f\x8b");
  EXPECT_NE(raw.body.size(), file.size());
  const std::optional<testsrv::AccessEntry> seen = nginx.WaitForAccess(tag, 5000);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->contentEncoding, "gzip");

  FetchOptions decoding;
  decoding.decode = true;
  const FetchResult decoded = FetchUrl(Url("/gzip/pattern-10241.bin", testsrv::UniqueTag()), decoding);
  ASSERT_TRUE(decoded.opened);
  EXPECT_TRUE(decoded.decodingSet);
  ExpectSameBytes(decoded.body, file);
  // The header goes with the encoding; the query for it then answers with another header's
  // value, so only the response head tells reliably whether a body is still encoded.
  EXPECT_NE(decoded.contentEncoding, "gzip");
  EXPECT_EQ(decoded.rawHeaders.find("Content-Encoding"), std::string::npos) << decoded.rawHeaders;
  EXPECT_NE(raw.rawHeaders.find("Content-Encoding: gzip\r\n"), std::string::npos) << raw.rawHeaders;
  EXPECT_FALSE(decoded.lengthKnown);

  // Decoding leaves an uncompressed answer, and its length, as they are.
  const FetchResult plain = FetchUrl(Url("/plain/pattern-10241.bin", testsrv::UniqueTag()), decoding);
  ExpectSameBytes(plain.body, file);
  EXPECT_TRUE(plain.lengthKnown);
  EXPECT_EQ(plain.length, 10241u);
}

TEST_F(BareLoopWithNginx, RangeRequestsGetPartialContent) {
  const std::string file = nginx.ReadServedFile("pattern-10241.bin");
  FetchOptions ranged;
  ranged.headers = HeadersWithRange(5000);
  const std::string tag = testsrv::UniqueTag();
  const FetchResult r = FetchUrl(Url("/plain/pattern-10241.bin", tag), ranged);
  ASSERT_TRUE(r.opened);
  EXPECT_EQ(r.status, 206u);
  EXPECT_EQ(r.length, 10241u - 5000u);  // the length of the part, not of the file
  ExpectSameBytes(r.body, file.substr(5000));
  const std::optional<testsrv::AccessEntry> seen = nginx.WaitForAccess(tag, 5000);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->range, "bytes=5000-");

  ranged.headers = HeadersWithRange(0);
  const FetchResult whole = FetchUrl(Url("/plain/pattern-10241.bin", testsrv::UniqueTag()), ranged);
  EXPECT_EQ(whole.status, 206u);
  ExpectSameBytes(whole.body, file);

  ranged.headers = HeadersWithRange(20000);  // beyond the end
  const FetchResult beyond = FetchUrl(Url("/plain/pattern-10241.bin", testsrv::UniqueTag()), ranged);
  ASSERT_TRUE(beyond.opened);
  EXPECT_EQ(beyond.status, 416u);
}

TEST_F(BareLoopWithNginx, AMissingFileStillOpensAndDeliversTheErrorPage) {
  const FetchResult r = FetchUrl(Url("/plain/no-such-file.bin", testsrv::UniqueTag()));
  ASSERT_TRUE(r.opened);
  EXPECT_EQ(r.status, 404u);
  EXPECT_NE(r.body.find("404 Not Found"), std::string::npos);
}

// The header block goes out line by line, its User-Agent in place of the session's agent;
// Wine puts its own "Accept: */*" before ours, writes the range line with a blank after the
// colon, and adds Host and the no-cache pragma (the reload flags).
TEST(BareLoopWithFaultServer, TheRequestCarriesTheHeaderBlockLineByLine) {
  FaultServer server(testsrv::Ok("x"));
  FetchOptions ranged;
  ranged.headers = HeadersWithRange(5000);
  ASSERT_TRUE(FetchUrl(server.Url("/update/Corvane.exe"), ranged).opened);
  ASSERT_TRUE(FetchUrl(server.Url("/update/Corvane.exe")).opened);
  const std::vector<testsrv::Request> requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  const std::string host = "Host: 127.0.0.1:" + std::to_string(server.Port());
  const std::string agent = "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";
  const std::vector<std::string> block = {"Accept: */*", "Accept: */*", "Accept-Language: zh-cn",
                                          "Accept-Encoding: gzip, deflate", agent};
  std::vector<std::string> expected = block;
  expected.insert(expected.end(), {"Range: bytes=5000-", host, "Pragma: no-cache"});
  EXPECT_EQ(requests[0].requestLine, "GET /update/Corvane.exe HTTP/1.1");
  EXPECT_EQ(requests[0].headerLines, expected) << requests[0].head;
  expected = block;
  expected.insert(expected.end(), {host, "Pragma: no-cache"});
  EXPECT_EQ(requests[1].headerLines, expected) << requests[1].head;
}

TEST(BareLoopWithFaultServer, BodiesWithoutALengthArriveWholeButTheSizeQueryFails) {
  Response closeDelimited = testsrv::Ok(PatternBody(25000));
  closeDelimited.framing = Framing::CloseDelimited;
  Response chunked = testsrv::Ok(PatternBody(25000));
  chunked.framing = Framing::Chunked;
  chunked.chunkSize = 3000;
  for (const Response& script : {closeDelimited, chunked}) {
    FaultServer server(script);
    const FetchResult r = FetchUrl(server.Url("/a"));
    ASSERT_TRUE(r.opened);
    EXPECT_FALSE(r.lengthKnown);
    EXPECT_EQ(r.lengthError, static_cast<DWORD>(ERROR_HTTP_HEADER_NOT_FOUND));
    EXPECT_FALSE(r.readFailed);
    ExpectSameBytes(r.body, PatternBody(25000));
    ExpectFullChunks(r);
  }
}

TEST(BareLoopWithFaultServer, ErrorStatusesAndEmptyBodies) {
  {
    FaultServer server(testsrv::Status(500, "Internal Server Error", "<html>broken</html>"));
    const FetchResult r = FetchUrl(server.Url("/a"));
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.status, 500u);
    ExpectSameBytes(r.body, "<html>broken</html>");
  }
  {
    FaultServer server(testsrv::Ok(""));
    const FetchResult r = FetchUrl(server.Url("/a"));
    ASSERT_TRUE(r.opened);
    EXPECT_TRUE(r.lengthKnown);
    EXPECT_EQ(r.length, 0u);
    EXPECT_TRUE(r.readSizes.empty());
    EXPECT_FALSE(r.readFailed);
  }
  for (size_t size : {size_t{10240}, size_t{10241}}) {
    FaultServer server(testsrv::Ok(PatternBody(size)));
    const FetchResult r = FetchUrl(server.Url("/a"));
    ExpectSameBytes(r.body, PatternBody(size));
    EXPECT_EQ(r.readSizes.size(), size == 10240 ? 1u : 2u);
  }
}

// 30000 bytes announced, the connection ended after 15000 of them.
FetchResult FetchEndedMidBody(Ending ending) {
  Response response = testsrv::Ok(PatternBody(30000));
  response.ending = ending;
  response.endAfter = 15000;
  FaultServer server(response);
  return FetchUrl(server.Url("/a"));
}

TEST(BareLoopWithFaultServer, AConnectionClosedMidBodyEndsLikeACompleteOne) {
  const FetchResult r = FetchEndedMidBody(Ending::Close);
  ASSERT_TRUE(r.opened);
  EXPECT_TRUE(r.lengthKnown);
  EXPECT_EQ(r.length, 30000u);
  EXPECT_FALSE(r.readFailed);  // silent truncation: only the length tells
  ExpectSameBytes(r.body, PatternBody(15000));
}

// Unlike a close, a reset is a failing read, and the bytes of the unfinished chunk are lost.
TEST(BareLoopWithFaultServer, AResetMidBodyFailsTheRead) {
  const FetchResult r = FetchEndedMidBody(Ending::Reset);
  ASSERT_TRUE(r.opened);
  EXPECT_TRUE(r.readFailed);
  EXPECT_EQ(r.readError, static_cast<DWORD>(WSAECONNRESET));
  ExpectSameBytes(r.body, PatternBody(10240));
}

TEST(BareLoopWithFaultServer, ADripFillsWholeChunks) {
  Response drip = testsrv::Ok(PatternBody(25000));
  drip.dripPiece = 1000;
  drip.dripDelayMs = 5;
  FaultServer server(drip);
  const FetchResult r = FetchUrl(server.Url("/a"));
  ExpectSameBytes(r.body, PatternBody(25000));
  EXPECT_EQ(r.readSizes, (std::vector<DWORD>{10240, 10240, 4520}));
}

TEST(BareLoopWithFaultServer, AStalledAnswerEndsShortWhenTheServerGoesAway) {
  Response stall = testsrv::Ok(PatternBody(30000));
  stall.ending = Ending::Stall;
  stall.endAfter = 12000;
  auto server = std::make_unique<FaultServer>(stall);
  FetchResult r;
  std::thread client([&r, url = server->Url("/a")] { r = FetchUrl(url); });
  ASSERT_TRUE(server->WaitForRequests(1, 5000));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  server.reset();
  client.join();
  ASSERT_TRUE(r.opened);
  EXPECT_EQ(r.length, 30000u);
  EXPECT_FALSE(r.readFailed);
  ExpectSameBytes(r.body, PatternBody(12000));
}

// A connection closed before any answer still "opens": status 0, no headers, an empty body
// read without failure. Only the status tells it from an empty file.
TEST(BareLoopWithFaultServer, NoAnswerAtAllStillOpensWithStatusZero) {
  Response silent = testsrv::Ok("x");
  silent.ending = Ending::Close;
  silent.headFirst = false;
  FaultServer server(silent);
  const FetchResult r = FetchUrl(server.Url("/a"));
  ASSERT_TRUE(r.opened) << r.openError;
  EXPECT_EQ(r.status, 0u);
  EXPECT_FALSE(r.lengthKnown);
  EXPECT_EQ(r.bytes, 0u);
  EXPECT_FALSE(r.readFailed);
}

TEST(BareLoopWithFaultServer, NothingListeningFailsTheOpen) {
  uint16_t port;
  {
    FaultServer gone(testsrv::Ok(""));
    port = gone.Port();
  }
  const FetchResult r = FetchUrl("http://127.0.0.1:" + std::to_string(port) + "/a");
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(r.openError, static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));
}

}  // namespace
}  // namespace bare
