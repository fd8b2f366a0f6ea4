#include "updater/http_request.h"

#include <windows.h>
#include <wininet.h>

#include "runtime/args.h"
#include "runtime/text_ops.h"
#include "updater/declared_functions.h"

namespace updater {

namespace {

// The cache flags of every download: always from the server, nothing kept.
constexpr uint32_t kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
static_assert(kRequestFlags == 0x84000100);

// The parts of an address, each in a buffer of its own.
struct AddressParts {
  char scheme[16], host[256], user[128], password[128], path[2048], query[2048];
  URL_COMPONENTSA parts{};

  bool Crack(const char* url) {
    parts.dwStructSize = sizeof parts;
    auto into = [](char* buffer, DWORD size, LPSTR& field, DWORD& length) {
      field = buffer;
      length = size;
    };
    into(scheme, sizeof scheme, parts.lpszScheme, parts.dwSchemeLength);
    into(host, sizeof host, parts.lpszHostName, parts.dwHostNameLength);
    into(user, sizeof user, parts.lpszUserName, parts.dwUserNameLength);
    into(password, sizeof password, parts.lpszPassword, parts.dwPasswordLength);
    into(path, sizeof path, parts.lpszUrlPath, parts.dwUrlPathLength);
    into(query, sizeof query, parts.lpszExtraInfo, parts.dwExtraInfoLength);
    return url[0] != '\0' && CallDeclared(Declared::InternetCrackUrlA, {rt::Word(url), 0, 0, rt::Word(&parts)}) != 0 &&
           (parts.nScheme == INTERNET_SCHEME_HTTP || parts.nScheme == INTERNET_SCHEME_HTTPS);
  }
};

void Close(uintptr_t handle) {
  if (handle != 0) CallDeclared(Declared::InternetCloseHandle, {handle});
}

}  // namespace

HttpRequest::HttpRequest(uintptr_t session, const char* url, const char* headers, uint32_t quietLimitMs) {
  AddressParts address;
  if (!address.Crack(url)) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return;
  }
  connection_ = CallDeclaredHandle(
      Declared::InternetConnectA,
      {session, rt::Word(address.host), address.parts.nPort, rt::Word(address.user[0] != '\0' ? address.user : nullptr),
       rt::Word(address.password[0] != '\0' ? address.password : nullptr), INTERNET_SERVICE_HTTP, 0, 0});
  if (connection_ == 0) return;
  rt::OwnedText target(rt::ConcatTexts(2, address.path[0] != '\0' ? address.path : "/", address.query));
  const uint32_t secure = address.parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0;
  const uintptr_t request = CallDeclaredHandle(
      Declared::HttpOpenRequestA,
      {connection_, rt::Word("GET"), rt::Word(target.get()), 0, 0, 0, kRequestFlags | secure, 0});
  if (request == 0) return;
  for (uint32_t option : {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
    CallDeclared(Declared::InternetSetOptionA, {request, option, rt::Word(&quietLimitMs), sizeof quietLimitMs});
  }
  if (CallDeclared(Declared::HttpSendRequestA,
                   {request, rt::Word(headers), static_cast<uint32_t>(rt::TextLength(headers)), 0, 0}) == 0) {
    const DWORD error = GetLastError();
    Close(request);
    SetLastError(error);
    return;
  }
  request_ = request;
}

HttpRequest::~HttpRequest() {
  Close(request_);
  Close(connection_);
}

}  // namespace updater
