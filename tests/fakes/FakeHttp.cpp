#include "tests/fakes/FakeHttp.h"

#include <algorithm>

namespace fakes {
namespace {

class FakeHttpClient : public os::IHttpClient {
 public:
  explicit FakeHttpClient(FakeHttp& http) : http_(http) { ++http_.clientsAlive; }
  ~FakeHttpClient() override { --http_.clientsAlive; }

  void SetUserAgent(const std::string& userAgent) override { userAgent_ = userAgent; }
  void SetStatusCallback(os::HttpStatusCallback callback) override { callback_ = std::move(callback); }
  void SetLimits(const os::HttpLimits& limits) override { limits_ = limits; }

  bool Get(const std::string& url) override {
    http_.requests.push_back({url, userAgent_});
    code_ = 0;
    reason_.clear();
    document_.clear();
    size_ = 0;
    error_.clear();
    passed_ = os::HttpLimit::None;
    os::HttpLimitGuard guard(limits_);
    const auto it = http_.replies.find(url);
    if (it == http_.replies.end()) {
      error_ = "The server name or address could not be resolved";
      return false;
    }
    const FakeHttp::Reply& reply = it->second;
    Status(os::HttpStatusReason::Connect, url);
    code_ = reply.status;
    reason_ = reply.reason;
    size_ = reply.length ? std::max<std::int64_t>(*reply.length, 0) : static_cast<std::int64_t>(reply.body.size());
    if (reply.headerBytes > 0) Read(reply.headerBytes);
    if (!guard.AllowsSize(size_) || !guard.InTime()) return Passed(guard);
    // The chunks, then the rest in one read unless the transfer fails after the chunks.
    std::vector<std::size_t> reads = reply.chunks;
    std::size_t chunked = 0;
    for (const std::size_t chunk : reads) chunked += chunk;
    if (!reply.error && chunked < reply.body.size()) reads.push_back(reply.body.size() - chunked);
    std::size_t at = 0;
    for (const std::size_t chunk : reads) {
      const std::size_t n = std::min(chunk, reply.body.size() - at);
      document_ += reply.body.substr(at, n);
      at += n;
      Read(n);
      if (!guard.AllowsSize(static_cast<std::int64_t>(document_.size())) || !guard.InTime()) return Passed(guard);
    }
    if (reply.error) {
      error_ = *reply.error;
      return false;
    }
    return true;
  }

  int ResultCode() const override { return code_; }
  const std::string& ResultString() const override { return reason_; }
  const std::string& Document() const override { return document_; }
  std::int64_t DownloadSize() const override { return size_; }
  std::string LastErrorText() const override { return error_; }
  os::HttpLimit LimitPassed() const override { return passed_; }

 private:
  bool Passed(const os::HttpLimitGuard& guard) {
    passed_ = guard.Passed();
    return false;
  }
  void Status(os::HttpStatusReason reason, const std::string& value) {
    if (callback_) callback_(reason, value);
  }
  void Read(std::size_t bytes) {
    Status(os::HttpStatusReason::ReadCount, std::to_string(bytes));
    if (http_.duringRead) http_.duringRead();
  }

  FakeHttp& http_;
  std::string userAgent_;
  os::HttpStatusCallback callback_;
  os::HttpLimits limits_;
  os::HttpLimit passed_ = os::HttpLimit::None;
  int code_ = 0;
  std::string reason_;
  std::string document_;
  std::int64_t size_ = 0;
  std::string error_;
};

}  // namespace

std::unique_ptr<os::IHttpClient> FakeHttp::CreateClient() { return std::make_unique<FakeHttpClient>(*this); }

}  // namespace fakes
