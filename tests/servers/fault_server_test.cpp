// The fault server seen from a plain socket: the exact bytes it sends for each script, what it
// records of a request, and that stopping it never hangs.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <memory>
#include <string>
#include <thread>

#include "tests/servers/fault_server.h"

namespace testsrv {
namespace {

// A blocking loopback client with a receive timeout, so a test fails instead of hanging.
class RawClient {
 public:
  explicit RawClient(uint16_t port) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    s_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    DWORD timeout = 5000;
    setsockopt(s_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    connected_ = connect(s_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawClient() {
    closesocket(s_);
    WSACleanup();
  }

  bool connected() const { return connected_; }
  void Send(const std::string& bytes) { send(s_, bytes.data(), static_cast<int>(bytes.size()), 0); }

  // Reads until `size` bytes came, the peer closed (error 0) or failed (its WSA error).
  std::string Read(size_t size = SIZE_MAX) {
    std::string received;
    char buffer[8192];
    while (received.size() < size) {
      const int n = recv(s_, buffer, sizeof buffer, 0);
      if (n <= 0) {
        error_ = n == 0 ? 0 : WSAGetLastError();
        ended_ = true;
        break;
      }
      ++pieces_;
      received.append(buffer, n);
    }
    return received;
  }

  bool ended() const { return ended_; }
  int error() const { return error_; }
  int pieces() const { return pieces_; }

 private:
  SOCKET s_;
  bool connected_ = false;
  bool ended_ = false;
  int error_ = 0;
  int pieces_ = 0;
};

const std::string SimpleGet = "GET /x HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

std::string Answered(const Response& response) { return response.Head() + response.EncodedBody(); }

TEST(FaultServer, RecordsTheRequestHeadExactlyAsReceived) {
  FaultServer server(Ok("hello"));
  RawClient client(server.Port());
  ASSERT_TRUE(client.connected());
  const std::string head =
      "GET /dir/a.bin?x=1&t=2 HTTP/1.1\r\nAccept: */*\r\nX-Odd:  two spaces \r\nrange:bytes=5-\r\n"
      "User-Agent: Mozilla/4.0(compatible; MSIE 6.0)\r\n\r\n";
  client.Send(head);
  EXPECT_EQ(client.Read(Answered(Ok("hello")).size()), "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");

  const std::vector<Request> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const Request& r = requests[0];
  EXPECT_EQ(r.head, head);
  EXPECT_EQ(r.requestLine, "GET /dir/a.bin?x=1&t=2 HTTP/1.1");
  EXPECT_EQ(r.Target(), "/dir/a.bin?x=1&t=2");
  EXPECT_EQ(r.headerLines, (std::vector<std::string>{"Accept: */*", "X-Odd:  two spaces ", "range:bytes=5-",
                                                     "User-Agent: Mozilla/4.0(compatible; MSIE 6.0)"}));
  EXPECT_EQ(r.Header("Range"), "bytes=5-");
  EXPECT_EQ(r.Header("x-odd"), "two spaces ");
  EXPECT_EQ(r.Header("Accept-Encoding"), "");
}

TEST(FaultServer, AnswersRequestsOnOneConnectionInTurn) {
  FaultServer server([](const Request& r) { return Ok("body of " + r.Target()); });
  RawClient client(server.Port());
  client.Send("GET /one HTTP/1.1\r\n\r\nGET /two HTTP/1.1\r\n\r\n");  // pipelined
  EXPECT_EQ(client.Read(Answered(Ok("body of /one")).size() + Answered(Ok("body of /two")).size()),
            Answered(Ok("body of /one")) + Answered(Ok("body of /two")));
  ASSERT_TRUE(server.WaitForRequests(2, 5000));
  EXPECT_EQ(server.Requests()[1].requestLine, "GET /two HTTP/1.1");
  EXPECT_EQ(server.Connections(), 1u);
}

TEST(FaultServer, FramesBodiesByLengthByChunksOrByClosing) {
  Response chunked = Ok("0123456789");
  chunked.framing = Framing::Chunked;
  chunked.chunkSize = 4;
  EXPECT_EQ(chunked.Head(), "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
  EXPECT_EQ(chunked.EncodedBody(), "4\r\n0123\r\n4\r\n4567\r\n2\r\n89\r\n0\r\n\r\n");
  Response emptyChunked = Ok("");
  emptyChunked.framing = Framing::Chunked;
  EXPECT_EQ(emptyChunked.EncodedBody(), "0\r\n\r\n");

  Response closeDelimited = Status(404, "Not Found", "<html>missing</html>");
  closeDelimited.framing = Framing::CloseDelimited;
  closeDelimited.headers = {"Content-Type: text/html"};
  FaultServer server(closeDelimited);
  RawClient client(server.Port());
  client.Send(SimpleGet);
  EXPECT_EQ(client.Read(), "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n<html>missing</html>");
  EXPECT_TRUE(client.ended());
  EXPECT_EQ(client.error(), 0);  // an orderly close
}

TEST(FaultServer, GeneratedBodiesOfTheBoundarySizes) {
  for (size_t size : {size_t{0}, size_t{10240}, size_t{10241}}) {
    SCOPED_TRACE(size);
    FaultServer server(Ok(PatternBody(size)));
    RawClient client(server.Port());
    client.Send(SimpleGet);
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
    EXPECT_EQ(client.Read(head.size() + size), head + PatternBody(size));
  }
  EXPECT_NE(PatternBody(10240), PatternBody(10240, 10240));  // chunks differ from one another
  EXPECT_EQ(PatternBody(10241).substr(10240), PatternBody(1, 10240));
}

TEST(FaultServer, CutsResetsOrWithholdsTheAnswer) {
  Response cut = Ok(PatternBody(10240));
  cut.ending = Ending::Close;
  cut.endAfter = 100;
  {
    FaultServer server(cut);
    RawClient client(server.Port());
    client.Send(SimpleGet);
    EXPECT_EQ(client.Read(), cut.Head() + PatternBody(100));  // Content-Length still says 10240
    EXPECT_EQ(client.error(), 0);
  }
  Response reset = cut;
  reset.ending = Ending::Reset;
  {
    FaultServer server(reset);
    RawClient client(server.Port());
    client.Send(SimpleGet);
    const std::string received = client.Read();
    EXPECT_EQ(client.error(), WSAECONNRESET);
    EXPECT_LE(received.size(), cut.Head().size() + 100);
  }
  Response silent = cut;
  silent.headFirst = false;
  {
    FaultServer server(silent);
    RawClient client(server.Port());
    client.Send(SimpleGet);
    EXPECT_EQ(client.Read(), "");
    EXPECT_EQ(client.error(), 0);
  }
}

TEST(FaultServer, DripsTheBodyInPiecesWithPauses) {
  Response drip = Ok("aaaaabbbbbccccc");
  drip.dripPiece = 5;
  drip.dripDelayMs = 60;
  FaultServer server(drip);
  RawClient client(server.Port());
  const DWORD start = GetTickCount();
  client.Send(SimpleGet);
  EXPECT_EQ(client.Read(Answered(drip).size()), Answered(drip));
  EXPECT_GE(GetTickCount() - start, 3u * 60u - 20u);  // a pause before each of the three pieces
  EXPECT_GE(client.pieces(), 2);
}

// Stopping must not wait for a stalled answer, nor for a client that has stopped reading.
TEST(FaultServer, StopsPromptlyWhileAConnectionStallsOrAClientDoesNotRead) {
  Response stall = Ok(PatternBody(10240));
  stall.ending = Ending::Stall;
  stall.endAfter = 10;
  Response huge = Ok(std::string(64 << 20, 'x'));
  for (const Response* script : {&stall, &huge}) {
    auto server = std::make_unique<FaultServer>(*script);
    RawClient client(server->Port());
    client.Send(SimpleGet);
    ASSERT_TRUE(server->WaitForRequests(1, 5000));
    if (script == &stall) {
      EXPECT_EQ(client.Read(stall.Head().size() + 10), stall.Head() + PatternBody(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the server block in its answer
    const DWORD start = GetTickCount();
    server.reset();
    EXPECT_LT(GetTickCount() - start, 2000u);
  }
}

}  // namespace
}  // namespace testsrv
