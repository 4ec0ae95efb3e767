// <winhttp.h> and <wininet.h> declare the same names: only the first is included here.
#include "platform/os/win32/Win32Http.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <charconv>
#include <new>
#include <string>
#include <vector>

#include "platform/os/win32/Handles.h"
#include "platform/os/win32/Text.h"

namespace os::win32 {
namespace {

struct InternetTraits {
  using Handle = HINTERNET;
  static Handle Empty() noexcept { return nullptr; }
  static bool IsOwned(Handle handle) noexcept { return handle != nullptr; }
  static void Close(Handle handle) noexcept { WinHttpCloseHandle(handle); }
};
using UniqueInternet = UniqueHandle<InternetTraits>;

// Older systems know no TLS 1.3 flag (and refuse the whole option for it); Windows 7 knows
// TLS 1.2 only with its update for WinHTTP.
constexpr DWORD kTls12 = 0x00000800;  // WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2
constexpr DWORD kTls13 = 0x00002000;  // WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3

std::string ErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM |
                      FORMAT_MESSAGE_FROM_HMODULE;
  const DWORD length = FormatMessageW(flags, GetModuleHandleW(L"winhttp.dll"), code, 0,
                                      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length != 0 && buffer != nullptr) text = WideToUtf8(std::wstring_view(buffer, length));
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
  if (!text.empty()) text += " ";
  return text + "(error " + std::to_string(code) + ")";
}

std::wstring QueryHeader(HINTERNET request, DWORD info) {
  DWORD bytes = 0;
  WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes, WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return {};
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &bytes,
                           WINHTTP_NO_HEADER_INDEX)) {
    return {};
  }
  value.resize(bytes / sizeof(wchar_t));
  return value;
}

class Win32HttpClient final : public os::IHttpClient {
 public:
  void SetUserAgent(const std::string& userAgent) override { userAgent_ = userAgent; }
  void SetStatusCallback(HttpStatusCallback callback) override { callback_ = std::move(callback); }
  void SetLimits(const HttpLimits& limits) override { limits_ = limits; }

  bool Get(const std::string& url) override {
    code_ = 0;
    reason_.clear();
    document_.clear();
    size_ = 0;
    error_.clear();
    passed_ = HttpLimit::None;
    HttpLimitGuard guard(limits_);
    try {
      if (Transfer(Utf8ToWide(url), guard)) return true;
    } catch (const std::bad_alloc&) {
      document_.clear();
      document_.shrink_to_fit();
      error_ = ErrorText(ERROR_NOT_ENOUGH_MEMORY);
    }
    passed_ = guard.Passed();
    return false;
  }

  int ResultCode() const override { return code_; }
  const std::string& ResultString() const override { return reason_; }
  const std::string& Document() const override { return document_; }
  std::int64_t DownloadSize() const override { return size_; }
  std::string LastErrorText() const override { return error_; }
  HttpLimit LimitPassed() const override { return passed_; }

 private:
  bool Fail() {
    error_ = ErrorText(GetLastError());
    return false;
  }
  // A step that failed once the request's time was up failed for that bound.
  bool FailInTime(HttpLimitGuard& guard) {
    const DWORD code = GetLastError();
    if (guard.InTime()) error_ = ErrorText(code);
    return false;
  }
  void Status(HttpStatusReason reason, const std::string& value) {
    if (callback_) callback_(reason, value);
  }

  bool Transfer(const std::wstring& url, HttpLimitGuard& guard) {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return Fail();
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    // The fragment belongs to the client; a server never sees it.
    if (const std::size_t fragment = path.find(L'#'); fragment != std::wstring::npos) path.resize(fragment);
    if (path.empty()) path = L"/";
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    UniqueInternet session(WinHttpOpen(Utf8ToWide(userAgent_).c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return Fail();
    DWORD protocols = kTls12 | kTls13;
    if (!WinHttpSetOption(session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof(protocols))) {
      protocols = kTls12;
      WinHttpSetOption(session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof(protocols));
    }
    if (!WinHttpSetTimeouts(session.Get(), kHttpTimeoutMs, kHttpTimeoutMs, kHttpTimeoutMs, kHttpTimeoutMs)) {
      return Fail();
    }

    Status(HttpStatusReason::Connect, WideToUtf8(host));
    UniqueInternet connection(WinHttpConnect(session.Get(), host.c_str(), parts.nPort, 0));
    if (!connection) return Fail();
    UniqueInternet request(WinHttpOpenRequest(connection.Get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                              WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return Fail();
    // A redirect may not lead from TLS to plain HTTP (WinHTTP's default, made sure of).
    DWORD redirects = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
    WinHttpSetOption(request.Get(), WINHTTP_OPTION_REDIRECT_POLICY, &redirects, sizeof(redirects));
    if (!WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
      return Fail();
    }
    if (!WinHttpReceiveResponse(request.Get(), nullptr)) return Fail();

    DWORD code = 0;
    DWORD codeBytes = sizeof(code);
    if (!WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &code, &codeBytes, WINHTTP_NO_HEADER_INDEX)) {
      return Fail();
    }
    code_ = static_cast<int>(code);
    reason_ = WideToUtf8(QueryHeader(request.Get(), WINHTTP_QUERY_STATUS_TEXT));
    // The length header as text: its number does not fit the 32 bits of the number flag for
    // every body.
    const std::string length = WideToUtf8(QueryHeader(request.Get(), WINHTTP_QUERY_CONTENT_LENGTH));
    std::int64_t announced = 0;
    const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), announced);
    size_ = (error == std::errc() && end == length.data() + length.size() && announced > 0) ? announced : 0;
    // The header's bytes were read from the connection too.
    const std::wstring headers = QueryHeader(request.Get(), WINHTTP_QUERY_RAW_HEADERS_CRLF);
    if (!headers.empty()) Status(HttpStatusReason::ReadCount, std::to_string(headers.size()));
    if (!guard.AllowsSize(size_) || !guard.InTime()) return false;

    std::vector<char> buffer(kReadBytes);
    for (;;) {
      // A server that sends a byte now and then keeps each step short of its time-out: no step
      // should wait past the request's own bound. (Wine keeps the time-out the request was sent
      // with; there the bound holds at the next read, at worst one step's time-out late.)
      DWORD wait = static_cast<DWORD>(guard.StepMs(kHttpTimeoutMs));
      WinHttpSetOption(request.Get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &wait, sizeof(wait));
      DWORD available = 0;
      if (!WinHttpQueryDataAvailable(request.Get(), &available)) return FailInTime(guard);
      if (available == 0) break;
      DWORD read = 0;
      if (!WinHttpReadData(request.Get(), buffer.data(), std::min<DWORD>(available, kReadBytes), &read)) {
        return FailInTime(guard);
      }
      if (read == 0) break;
      document_.append(buffer.data(), read);
      Status(HttpStatusReason::ReadCount, std::to_string(read));
      if (!guard.AllowsSize(static_cast<std::int64_t>(document_.size())) || !guard.InTime()) return false;
    }
    if (size_ > 0 && static_cast<std::int64_t>(document_.size()) < size_) {
      error_ = "The connection was closed after " + std::to_string(document_.size()) + " of " +
               std::to_string(size_) + " bytes.";
      return false;
    }
    return true;
  }

  static constexpr DWORD kReadBytes = 64 * 1024;

  std::string userAgent_;
  HttpStatusCallback callback_;
  HttpLimits limits_;
  HttpLimit passed_ = HttpLimit::None;
  int code_ = 0;
  std::string reason_;
  std::string document_;
  std::int64_t size_ = 0;
  std::string error_;
};

}  // namespace

std::unique_ptr<os::IHttpClient> Win32Http::CreateClient() { return std::make_unique<Win32HttpClient>(); }

}  // namespace os::win32
