#pragma once
// HTTP GET as the update check and the download make it: a user agent, a status callback that
// reports each count of bytes read, bounds on the body's size and the request's whole time,
// the reply's status, body and announced length, and the text of the last connection error.
// The Win32 implementation is WinHTTP with the system's TLS and certificate store.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/os/Seams.h"
#include "platform/os/System.h"

namespace os {

// Why the status callback was called. ReadCount carries the number of bytes just read from
// the connection as decimal text; Connect the host being connected to.
enum class HttpStatusReason { Connect, ReadCount };

using HttpStatusCallback = std::function<void(HttpStatusReason reason, const std::string& value)>;

// The time-out of every step of a request (name, connect, send, receive), in milliseconds.
inline constexpr int kHttpTimeoutMs = 90000;

// Bounds of a Get besides the time-out of each step; 0 is no bound. A body longer than
// maxBodyBytes (announced or arriving) and a request still running maxMilliseconds after it
// began end the transfer as failed.
struct HttpLimits {
  std::int64_t maxBodyBytes = 0;
  std::uint64_t maxMilliseconds = 0;
};

// The bound that ended the last Get, if one did.
enum class HttpLimit { None, Size, Time };

// What a client checks as the bytes come: made when a Get begins, timed on the system's
// monotonic clock (asked only when there is a time bound).
class HttpLimitGuard {
 public:
  explicit HttpLimitGuard(const HttpLimits& limits)
      : limits_(limits), start_(limits.maxMilliseconds > 0 ? System().TickCount() : 0) {}

  // False, noting the size bound, when a body of bytes is past it.
  bool AllowsSize(std::int64_t bytes) {
    if (limits_.maxBodyBytes <= 0 || bytes <= limits_.maxBodyBytes) return true;
    passed_ = HttpLimit::Size;
    return false;
  }
  // False, noting the time bound, once the request has run past it.
  bool InTime() {
    if (limits_.maxMilliseconds == 0 || Elapsed() <= limits_.maxMilliseconds) return true;
    passed_ = HttpLimit::Time;
    return false;
  }
  // How long the next step may wait: at most stepMs, and no longer than the time left (at
  // least 1 ms, so that a step never waits without end).
  std::uint64_t StepMs(std::uint64_t stepMs) const {
    if (limits_.maxMilliseconds == 0) return stepMs;
    const std::uint64_t elapsed = Elapsed();
    const std::uint64_t left = elapsed < limits_.maxMilliseconds ? limits_.maxMilliseconds - elapsed : 0;
    return left == 0 ? 1 : (left < stepMs ? left : stepMs);
  }
  HttpLimit Passed() const { return passed_; }

 private:
  std::uint64_t Elapsed() const { return System().TickCount() - start_; }

  HttpLimits limits_;
  std::uint64_t start_;
  HttpLimit passed_ = HttpLimit::None;
};

// One client makes one request after another; each Get replaces the last reply.
class IHttpClient {
 public:
  virtual ~IHttpClient() = default;

  virtual void SetUserAgent(const std::string& userAgent) = 0;
  // Called on the caller's thread from inside Get.
  virtual void SetStatusCallback(HttpStatusCallback callback) = 0;
  // Bounds of the Gets that follow (none until set).
  virtual void SetLimits(const HttpLimits& limits) = 0;
  // GET of url. True when a whole reply arrived, whatever its status (a 404 too); false when
  // the transfer failed: no connection, a name that does not resolve, a time-out, TLS that
  // cannot be set up, a body that ended before its announced length, or a bound passed.
  virtual bool Get(const std::string& url) = 0;
  // After a failed Get: the bound it passed (None when it failed otherwise).
  virtual HttpLimit LimitPassed() const = 0;

  // The status code and reason phrase of the last reply (0 and empty when none came).
  virtual int ResultCode() const = 0;
  virtual const std::string& ResultString() const = 0;
  // The body of the last reply.
  virtual const std::string& Document() const = 0;
  // The body's size as the reply's Content-Length announced it; 0 when it had none.
  virtual std::int64_t DownloadSize() const = 0;
  // After a failed Get: what went wrong, in the system's words (may be empty).
  virtual std::string LastErrorText() const = 0;
};

class IHttp {
 public:
  virtual ~IHttp() = default;
  virtual std::unique_ptr<IHttpClient> CreateClient() = 0;
};

inline IHttp& Http() { return Get<IHttp>(); }

}  // namespace os
