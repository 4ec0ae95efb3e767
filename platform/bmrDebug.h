#pragma once
// The debug logger: the one diagnostic channel for failed system calls, caught exceptions,
// module start-up and shut-down traces and the folder-lookup details. Each operation builds an
// entry, formats its text line and hands the line to the line handlers and the entry to the
// entry handlers. The logger writes nothing itself.
//
// Calling it: DebugLogger()->LogError("TFoo.Bar", 4);
// DebugLogger() gives a TDebugLoggerRef rather than a raw pointer: it converts to the
// TDebugLogger* (null once FinalizeBmrDebug() has run), and its operator-> never yields null.
// Without a logger it yields an inert logger whose operations do nothing, so callers may call
// an operation on the result at any time without testing it, and no call goes through a null
// pointer.
// Every entry reads the clock (os::System()) and the process ids and module name
// (os::Process()), so those must be installed.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>

#include "platform/bmrDebugConsts.h"

enum TDebugEntryKind : std::uint8_t {
  dekEnter = 0,
  dekLeave = 1,
  dekError = 2,
  dekInfo = 3,
};

// The object an entry is about. LogException fills it with the exception.
struct TDebugSender {
  // Empty when it cannot be told; the line then shows "(unknown)".
  std::string ClassName;
  const std::exception* Exception = nullptr;
};

class TDebugLogger {
 public:
  TDebugLogger() = default;
  TDebugLogger(const TDebugLogger&) = delete;
  TDebugLogger& operator=(const TDebugLogger&) = delete;

  // Entries below this level are dropped (the module traces are not tested against it).
  std::uint8_t MinLevel = 4;

  // Module start-up and shut-down traces, level 6, always made.
  void LogUnitInitBegin(const std::string& unit);
  void LogUnitInitEnd(const std::string& unit);
  void LogUnitFinalBegin(const std::string& unit);
  void LogUnitFinalEnd(const std::string& unit);

  void LogEnterMethod(const std::string& message, std::uint8_t level);
  void LogLeaveMethod(const std::string& message, std::uint8_t level);
  void LogError(const std::string& message, std::uint8_t level);
  void LogInfo(const std::string& message, std::uint8_t level);
  // An error entry "message (error code code: system text)"; a negative HRESULT keeps its sign.
  void LogWin32Error(std::int32_t code, const std::string& message, std::uint8_t level);
  // An error entry with the exception as sender; message names the operation that caught it.
  void LogException(const std::exception& error, const std::string& message, std::uint8_t level);

  // The text line of an entry made now:
  //   "{module} pid:tid [hh:nn:ss.zzz +nn:ss.zzz] M [scope] Sender.message(args)"
  // Reads the clock and the process ids; does not move the previous-entry time.
  std::string BuildLine(TDebugEntryKind kind, TDebugType scope, const TDebugSender* sender,
                        const std::string& message, const TDebugArguments& args) const;

 private:
  friend class TDebugLoggerRef;
  struct InertTag {};
  explicit TDebugLogger(InertTag) : inert_(true) {}

  void Log(TDebugEntryKind kind, TDebugType scope, const TDebugSender* sender, const std::string& message,
           std::uint8_t level, bool levelTest);

  bool inert_ = false;
  mutable std::recursive_mutex lock_;
};

// What DebugLogger() gives: the logger, or none once the logger is finished.
class TDebugLoggerRef {
 public:
  constexpr TDebugLoggerRef(TDebugLogger* logger = nullptr) noexcept : logger_(logger) {}

  // The logger, or the inert one without a logger; never null.
  TDebugLogger* operator->() const { return logger_ != nullptr ? logger_ : &Inert(); }
  TDebugLogger& operator*() const { return *operator->(); }
  // The logger itself; null once the logger is finished.
  operator TDebugLogger*() const noexcept { return logger_; }
  TDebugLogger* get() const noexcept { return logger_; }

 private:
  static TDebugLogger& Inert();
  TDebugLogger* logger_;
};

// The logger; the first call creates it. After FinalizeBmrDebug() it is none and nothing is
// created.
TDebugLoggerRef DebugLogger();

// Appends an entry handler (no duplicate check: one registered twice is called twice). A
// handler runs inside the logger's lock and may log again. An exception from a handler ends
// the dispatch of that entry and reaches the caller of the log operation.
void RegisterLogHandler(TDebugEntryHandler handler);

// Start-up: clears the finished flag and the previous-entry time.
void InitializeBmrDebug();
// Shut-down: sets the finished flag and frees the logger; later calls do nothing.
void FinalizeBmrDebug();

// Silent traces: they take what the logger's operations take and record nothing.
inline void TraceEnter(const void* /*sender*/, const std::string& /*method*/, std::uint8_t /*level*/) {}
inline void TraceLeave(const void* /*sender*/, const std::string& /*method*/, const TDebugArguments& /*args*/,
                       std::uint8_t /*level*/) {}
inline void TraceLog(const std::string& /*message*/, std::uint8_t /*level*/) {}
inline void TraceValue(const std::string& /*name*/, const std::string& /*value*/, std::uint8_t /*flags*/) {}
inline void TraceLog2(const std::exception& /*error*/, const std::string& /*message*/, std::uint8_t /*level*/) {}
inline void TraceLog3(std::int32_t /*code*/, const std::string& /*message*/, std::uint8_t /*level*/) {}
