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

  bool Get(const std::string& url) override {
    http_.requests.push_back({url, userAgent_});
    code_ = 0;
    reason_.clear();
    document_.clear();
    size_ = 0;
    error_.clear();
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
    std::size_t at = 0;
    for (const std::size_t chunk : reply.chunks) {
      const std::size_t n = std::min(chunk, reply.body.size() - at);
      document_ += reply.body.substr(at, n);
      at += n;
      Read(n);
    }
    if (reply.error) {
      error_ = *reply.error;
      return false;
    }
    if (at < reply.body.size()) {
      document_ += reply.body.substr(at);
      Read(reply.body.size() - at);
    }
    return true;
  }

  int ResultCode() const override { return code_; }
  const std::string& ResultString() const override { return reason_; }
  const std::string& Document() const override { return document_; }
  std::int64_t DownloadSize() const override { return size_; }
  std::string LastErrorText() const override { return error_; }

 private:
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
  int code_ = 0;
  std::string reason_;
  std::string document_;
  std::int64_t size_ = 0;
  std::string error_;
};

}  // namespace

std::unique_ptr<os::IHttpClient> FakeHttp::CreateClient() { return std::make_unique<FakeHttpClient>(*this); }

}  // namespace fakes
