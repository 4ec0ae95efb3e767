#include "platform/bmrDebug.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/os/Process.h"
#include "platform/os/System.h"
#include "platform/rtlSysUtils.h"

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86400000;

std::unique_ptr<TDebugLogger> g_logger;
bool g_finished = false;
// Milliseconds since the date-time epoch 1899-12-30 00:00; zero until the first entry, so the
// first entry's elapsed time is the time of day.
std::int64_t g_previousEntryTime = 0;

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

std::int64_t ToMilliseconds(const os::SystemTime& t) {
  const std::int64_t days = DaysFromCivil(t.year, t.month, t.day) - DaysFromCivil(1899, 12, 30);
  return days * kMillisecondsPerDay + ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.milliseconds;
}

std::int64_t I(std::int64_t value) { return value; }

// "nn:ss.zzz" of a difference: the time-of-day part of it, whole hours and days dropped.
std::string ElapsedText(std::int64_t difference) {
  const std::int64_t ms = std::llabs(difference) % kMillisecondsPerDay;
  return rtl::Format("%.2d:%.2d.%.3d", {I(ms / 60000 % 60), I(ms / 1000 % 60), I(ms % 1000)});
}

std::string ModuleName() {
  const std::string path = os::Process().ModuleFileName();
  const std::size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

char Marker(TDebugEntryKind kind) {
  switch (kind) {
    case dekEnter:
      return '>';
    case dekLeave:
      return '<';
    case dekError:
      return '!';
    case dekInfo:
      return 'i';
  }
  return '?';
}

const char* ScopeText(TDebugType scope) {
  switch (scope) {
    case dtProcess:
      return "process";
    case dtThread:
      return "thread";
    case dtMethod:
      return "method";
    case dtUnitConstructor:
      return "unit initialization";
    case dtUnitDestructor:
      return "unit finalization";
    default:
      return nullptr;
  }
}

std::string ArgumentText(const TDebugArgument& argument) {
  if (const auto* number = std::get_if<std::int64_t>(&argument)) return std::to_string(*number);
  if (const auto* flag = std::get_if<bool>(&argument)) return *flag ? "True" : "False";
  if (const auto* text = std::get_if<std::string>(&argument)) return "'" + *text + "'";
  return "?";
}

std::string ComposeLine(const os::SystemTime& now, TDebugEntryKind kind, TDebugType scope, const TDebugSender* sender,
                        const std::string& message, const TDebugArguments& args) {
  os::IProcess& process = os::Process();
  const std::string clock = rtl::Format(
      "%.2d:%.2d:%.2d.%.3d", {I(now.hour), I(now.minute), I(now.second), I(now.milliseconds)});
  std::string line = rtl::Format(
      "{%s} %4x:%4x [%s +%s]", {ModuleName(), I(process.CurrentProcessId()), I(process.CurrentThreadId()), clock,
                                ElapsedText(ToMilliseconds(now) - g_previousEntryTime)});
  line += ' ';
  line += Marker(kind);
  line += ' ';
  if (const char* scopeText = ScopeText(scope)) line += std::string("[") + scopeText + "] ";
  if (sender != nullptr) line += sender->ClassName.empty() ? std::string("(unknown)") : sender->ClassName + ".";
  line += message;
  if (!args.empty()) {
    if (kind == dekEnter || args.size() > 1) {
      line += '(';
      for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) line += ", ";
        line += ArgumentText(args[i]);
      }
      line += ')';
    } else if (kind == dekLeave) {
      line += " = " + ArgumentText(args.front());
    }
  }
  return line;
}

}  // namespace

TDebugLogger& TDebugLoggerRef::Inert() {
  static TDebugLogger inert{TDebugLogger::InertTag{}};
  return inert;
}

std::string TDebugLogger::BuildLine(TDebugEntryKind kind, TDebugType scope, const TDebugSender* sender,
                                    const std::string& message, const TDebugArguments& args) const {
  return ComposeLine(os::System().LocalTime(), kind, scope, sender, message, args);
}

void TDebugLogger::Log(TDebugEntryKind kind, TDebugType scope, const TDebugSender* sender, const std::string& message,
                       std::uint8_t level, bool levelTest) {
  if (inert_) return;
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (levelTest && level < MinLevel) return;

  const TDebugArguments args;  // no operation of the logger passes arguments
  const os::SystemTime now = os::System().LocalTime();
  const std::string line = ComposeLine(now, kind, scope, sender, message, args);
  g_previousEntryTime = ToMilliseconds(now);

  // Copies: a handler may register another handler while it runs.
  THandlerData& handlers = DebugHandlerData();
  const std::vector<TDebugLineHandler> lineHandlers = handlers.LineHandlers;
  const std::vector<TDebugEntryHandler> entryHandlers = handlers.EntryHandlers;
  for (TDebugLineHandler handler : lineHandlers) handler(line);
  for (TDebugEntryHandler handler : entryHandlers) handler(kind, scope, sender, message, args);
}

void TDebugLogger::LogUnitInitBegin(const std::string& unit) { Log(dekEnter, dtUnitConstructor, nullptr, unit, 6, false); }
void TDebugLogger::LogUnitInitEnd(const std::string& unit) { Log(dekLeave, dtUnitConstructor, nullptr, unit, 6, false); }
void TDebugLogger::LogUnitFinalBegin(const std::string& unit) { Log(dekEnter, dtUnitDestructor, nullptr, unit, 6, false); }
void TDebugLogger::LogUnitFinalEnd(const std::string& unit) { Log(dekLeave, dtUnitDestructor, nullptr, unit, 6, false); }

void TDebugLogger::LogEnterMethod(const std::string& message, std::uint8_t level) {
  Log(dekEnter, dtMethod, nullptr, message, level, true);
}

void TDebugLogger::LogLeaveMethod(const std::string& message, std::uint8_t level) {
  Log(dekLeave, dtMethod, nullptr, message, level, true);
}

void TDebugLogger::LogError(const std::string& message, std::uint8_t level) {
  Log(dekError, dtNone, nullptr, message, level, true);
}

void TDebugLogger::LogInfo(const std::string& message, std::uint8_t level) {
  Log(dekInfo, dtNone, nullptr, message, level, true);
}

void TDebugLogger::LogWin32Error(std::int32_t code, const std::string& message, std::uint8_t level) {
  if (inert_) return;
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (level < MinLevel) return;  // no system text asked for an entry that is dropped
  const std::string text = rtl::Format(
      "%s (error code %d: %s)", {message, I(code), os::System().SystemMessageText(static_cast<std::uint32_t>(code))});
  Log(dekError, dtNone, nullptr, text, level, true);
}

void TDebugLogger::LogException(const std::exception& error, const std::string& message, std::uint8_t level) {
  const TDebugSender sender{rtl::ExceptionClassName(error), &error};
  Log(dekError, dtNone, &sender, message, level, true);
}

TDebugLoggerRef DebugLogger() {
  if (g_finished) return {};
  if (!g_logger) g_logger = std::make_unique<TDebugLogger>();
  return g_logger.get();
}

void RegisterLogHandler(TDebugEntryHandler handler) {
  if (handler == nullptr) return;  // would crash the next entry
  DebugHandlerData().EntryHandlers.push_back(handler);
}

void InitializeBmrDebug() {
  g_finished = false;
  g_previousEntryTime = 0;
}

void FinalizeBmrDebug() {
  g_finished = true;
  g_logger.reset();
}
