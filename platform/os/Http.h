#pragma once
// HTTP GET as the update check and the download make it: a user agent, a status callback that
// reports each count of bytes read, the reply's status, body and announced length, and the
// text of the last connection error. The Win32 implementation is WinHTTP with the system's
// TLS and certificate store.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/os/Seams.h"

namespace os {

// Why the status callback was called. ReadCount carries the number of bytes just read from
// the connection as decimal text; Connect the host being connected to.
enum class HttpStatusReason { Connect, ReadCount };

using HttpStatusCallback = std::function<void(HttpStatusReason reason, const std::string& value)>;

// The time-out of every step of a request (name, connect, send, receive), in milliseconds.
inline constexpr int kHttpTimeoutMs = 90000;

// One client makes one request after another; each Get replaces the last reply.
class IHttpClient {
 public:
  virtual ~IHttpClient() = default;

  virtual void SetUserAgent(const std::string& userAgent) = 0;
  // Called on the caller's thread from inside Get.
  virtual void SetStatusCallback(HttpStatusCallback callback) = 0;
  // GET of url. True when a whole reply arrived, whatever its status (a 404 too); false when
  // the transfer failed: no connection, a name that does not resolve, a time-out, TLS that
  // cannot be set up, or a body that ended before its announced length.
  virtual bool Get(const std::string& url) = 0;

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
