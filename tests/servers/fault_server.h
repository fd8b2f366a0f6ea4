// A loopback HTTP server for tests, scripted per request, that can misbehave on purpose: bodies
// without a length or chunked, slow drips, connections closed or reset in the middle of a body,
// answers that never come. It records every request head byte for byte.
//
//   testsrv::FaultServer server(testsrv::Ok(testsrv::PatternBody(10241)));
//   ... fetch server.Url("/file.bin") ...
//   server.Requests()[0].headerLines  -> {"Accept: */*", "Accept-Language: zh-cn", ...}
//
// The server listens on 127.0.0.1 on a port of its own (chosen by the system) and serves each
// connection on a thread of its own. Destroying it stops it promptly, also while a connection
// stalls or a client has stopped reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/servers/pattern.h"

namespace testsrv {

// How the end of a body is made known to the client.
enum class Framing {
  ContentLength,   // the head gets "Content-Length: <body size>"
  CloseDelimited,  // no length: the body ends when the server closes the connection
  Chunked,         // the head gets "Transfer-Encoding: chunked"; the body goes out in chunks
};

// What happens to the connection after (part of) the response.
enum class Ending {
  Complete,  // the whole response; the connection stays open for the next request unless the
             // body is close-delimited
  Close,     // after `endAfter` bytes of the encoded body the server closes the connection
  Reset,     // ... waits 50 ms (the client takes in those bytes) and resets it (SO_LINGER 0,
             // then close: the client sees RST)
  Stall,     // ... sends nothing more, holding the connection open until the server stops
};

struct Response {
  std::string statusLine = "HTTP/1.1 200 OK";  // without CR LF
  std::vector<std::string> headers;            // further header lines, without CR LF
  std::string body;
  Framing framing = Framing::ContentLength;
  size_t chunkSize = 4096;  // Chunked: payload bytes per chunk
  Ending ending = Ending::Complete;
  size_t endAfter = 0;      // Close, Reset, Stall: bytes of the encoded body sent first
  bool headFirst = true;    // false: the ending comes before the head, so nothing is sent
  size_t dripPiece = 0;     // > 0: the body goes out in pieces of this many bytes ...
  uint32_t dripDelayMs = 0; // ... with this pause before each piece
  bool endless = false;     // Complete: the body goes out again and again, until the client
                            // stops taking it (use with CloseDelimited)
  bool gzip = false;        // the body goes out gzip-coded, with "Content-Encoding: gzip"
                            // (stored blocks: the coded body is a little longer than the body)

  // Status line, headers, the framing header and the blank line, as sent.
  std::string Head() const;
  // The body as framed on the wire (coded when gzip, chunk sizes and trailer included when
  // chunked).
  std::string EncodedBody() const;
  // The body as coded for the wire (gzip, or as it is), before any framing.
  std::string Payload() const;
};

// "HTTP/1.1 200 OK" with a Content-Length.
Response Ok(std::string body);
// Any status with a body, for example Status(404, "Not Found", "<html>...</html>").
Response Status(int code, const std::string& reason, std::string body);

// One request as the server received it.
struct Request {
  std::string head;                      // every byte up to and including the blank line
  std::string requestLine;               // for example "GET /a.bin HTTP/1.1"
  std::vector<std::string> headerLines;  // each line as received, without its CR LF

  // The request target of the request line: path and query.
  std::string Target() const;
  // The value of the first header line with this name (case-insensitive), or "" when absent.
  std::string Header(const std::string& name) const;
};

// A stored file as a server that serves ranges answers for it. `validator` names the file's
// version: sent as an ETag line when it starts with a quote or "W/", else as a Last-Modified line, and
// not at all when empty. A request with "Range: bytes=N-" (N within the file) gets 206 with
// the rest and its Content-Range, when its If-Range names this version or it has none; any
// other request, and every one when `ranges` is false, gets the whole file with 200. A cache
// that does not `honourIfRange` serves the range of what it holds whatever the If-Range says.
Response FileAnswer(const Request& request, const std::string& body, const std::string& validator, bool ranges = true,
                    bool honourIfRange = true);

// The body as a gzip stream of stored (uncompressed) blocks.
std::string GzipStored(const std::string& body);

class FaultServer {
 public:
  using Handler = std::function<Response(const Request&)>;

  // Answers every request with what `handler` returns for it; runs on the connection's thread.
  explicit FaultServer(Handler handler);
  // Answers every request with the same response.
  explicit FaultServer(Response always);
  ~FaultServer();
  FaultServer(const FaultServer&) = delete;
  FaultServer& operator=(const FaultServer&) = delete;

  uint16_t Port() const;
  // "http://127.0.0.1:<port>" followed by target, which starts with "/".
  std::string Url(const std::string& target) const;
  // Every request so far, in the order their heads were complete.
  std::vector<Request> Requests() const;
  // Waits until at least `count` requests arrived or `timeoutMs` passed; true when they did.
  bool WaitForRequests(size_t count, uint32_t timeoutMs) const;
  // Connections accepted so far (a client that reconnects shows here).
  size_t Connections() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace testsrv
