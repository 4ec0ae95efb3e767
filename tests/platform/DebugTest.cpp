#include "platform/bmrDebug.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/rtlSysUtils.h"
#include "tests/fakes/FakeWindows.h"

namespace {

struct Entry {
  int handler;
  TDebugEntryKind kind;
  TDebugType scope;
  bool hasSender;
  std::string senderClass;
  const std::exception* exception;
  std::string message;
  std::size_t argCount;
};

// Handlers are plain functions, so what they see goes into globals.
std::vector<Entry> g_entries;
std::vector<std::string> g_lines;

void Record(int handler, TDebugEntryKind kind, TDebugType scope, const TDebugSender* sender,
            const std::string& message, const TDebugArguments& args) {
  g_entries.push_back({handler, kind, scope, sender != nullptr, sender ? sender->ClassName : "",
                       sender ? sender->Exception : nullptr, message, args.size()});
}
void FirstHandler(TDebugEntryKind k, TDebugType s, const TDebugSender* o, const std::string& m,
                  const TDebugArguments& a) {
  Record(1, k, s, o, m, a);
}
void SecondHandler(TDebugEntryKind k, TDebugType s, const TDebugSender* o, const std::string& m,
                   const TDebugArguments& a) {
  Record(2, k, s, o, m, a);
}
void ThrowingHandler(TDebugEntryKind, TDebugType, const TDebugSender*, const std::string&, const TDebugArguments&) {
  throw std::runtime_error("handler failed");
}
void LineHandler(const std::string& line) { g_lines.push_back(line); }

class DebugTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitializeBmrDebugConsts();
    InitializeBmrDebug();
    g_entries.clear();
    g_lines.clear();
    // Nothing in the program registers a line handler; the test does, to read the lines.
    DebugHandlerData().LineHandlers.push_back(LineHandler);
  }
  void TearDown() override {
    FinalizeBmrDebug();
    FinalizeBmrDebugConsts();
    InitializeBmrDebug();  // later tests and modules find a live logger again
  }

  static std::string Prefix(const std::string& clock, const std::string& elapsed) {
    return "{TolvexQuietmark.exe} 1A2B:  3C [" + clock + " +" + elapsed + "]";
  }

  fakes::FakeWindows windows;
};

TEST_F(DebugTest, LevelTestDropsEntriesBelowFourButModuleTracesAlwaysPass) {
  RegisterLogHandler(FirstHandler);
  DebugLogger()->LogError("three", 3);
  DebugLogger()->LogInfo("zero", 0);
  DebugLogger()->LogEnterMethod("three", 3);
  DebugLogger()->LogLeaveMethod("three", 3);
  DebugLogger()->LogWin32Error(5, "three", 3);
  DebugLogger()->LogException(rtl::Exception("x"), "three", 3);
  EXPECT_TRUE(g_entries.empty());
  EXPECT_TRUE(g_lines.empty());

  DebugLogger()->LogError("four", 4);
  DebugLogger()->LogInfo("eight", 8);
  ASSERT_EQ(g_entries.size(), 2u);

  DebugLogger()->MinLevel = 200;
  DebugLogger()->LogUnitInitBegin("a");
  DebugLogger()->LogUnitInitEnd("a");
  DebugLogger()->LogUnitFinalBegin("a");
  DebugLogger()->LogUnitFinalEnd("a");
  DebugLogger()->LogError("dropped", 100);
  EXPECT_EQ(g_entries.size(), 6u);
}

TEST_F(DebugTest, EachOperationMakesItsKindAndScope) {
  RegisterLogHandler(FirstHandler);
  DebugLogger()->LogUnitInitBegin("bmrRegistry");
  DebugLogger()->LogUnitInitEnd("bmrRegistry");
  DebugLogger()->LogUnitFinalBegin("bmrRegCache");
  DebugLogger()->LogUnitFinalEnd("bmrRegCache");
  DebugLogger()->LogEnterMethod("enter", 8);
  DebugLogger()->LogLeaveMethod("leave", 8);
  DebugLogger()->LogError("error", 4);
  DebugLogger()->LogInfo("info", 8);
  const std::vector<std::pair<TDebugEntryKind, TDebugType>> expected = {
      {dekEnter, dtUnitConstructor}, {dekLeave, dtUnitConstructor}, {dekEnter, dtUnitDestructor},
      {dekLeave, dtUnitDestructor},  {dekEnter, dtMethod},          {dekLeave, dtMethod},
      {dekError, dtNone},            {dekInfo, dtNone},
  };
  ASSERT_EQ(g_entries.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(g_entries[i].kind, expected[i].first) << i;
    EXPECT_EQ(g_entries[i].scope, expected[i].second) << i;
    EXPECT_FALSE(g_entries[i].hasSender) << i;
    EXPECT_EQ(g_entries[i].argCount, 0u) << i;
  }
  EXPECT_EQ(g_entries[0].message, "bmrRegistry");
  EXPECT_EQ(g_entries[6].message, "error");

  const std::vector<std::string> tails = {
      " > [unit initialization] bmrRegistry", " < [unit initialization] bmrRegistry",
      " > [unit finalization] bmrRegCache",   " < [unit finalization] bmrRegCache",
      " > [method] enter",                    " < [method] leave",
      " ! error",                             " i info",
  };
  ASSERT_EQ(g_lines.size(), tails.size());
  for (std::size_t i = 1; i < tails.size(); ++i) {
    EXPECT_EQ(g_lines[i], Prefix("09:30:15.250", "00:00.000") + tails[i]);
  }
}

TEST_F(DebugTest, ElapsedTimeStartsFromTheDateEpochAndDropsWholeHours) {
  DebugLogger()->LogUnitInitBegin("bmrRegistry");
  windows.system.now = {2026, 12, 4, 10, 10, 32, 18, 254};  // 1 h 2 min 3.004 s later
  DebugLogger()->LogError("next", 4);
  windows.system.now = {2026, 12, 5, 11, 0, 0, 1, 0};  // over midnight
  DebugLogger()->LogError("after midnight", 4);
  windows.system.now = {2026, 12, 5, 11, 0, 0, 0, 500};  // the clock went back
  DebugLogger()->LogError("back", 4);
  ASSERT_EQ(g_lines.size(), 4u);
  // The first entry shows the minutes, seconds and milliseconds of the time of day.
  EXPECT_EQ(g_lines[0], Prefix("09:30:15.250", "30:15.250") + " > [unit initialization] bmrRegistry");
  EXPECT_EQ(g_lines[1], Prefix("10:32:18.254", "02:03.004") + " ! next");
  EXPECT_EQ(g_lines[2], Prefix("00:00:01.000", "27:42.746") + " ! after midnight");
  EXPECT_EQ(g_lines[3], Prefix("00:00:00.500", "00:00.500") + " ! back");

  // A restarted logger module starts from zero again.
  FinalizeBmrDebug();
  InitializeBmrDebug();
  DebugLogger()->LogError("fresh", 4);
  EXPECT_EQ(g_lines.back(), Prefix("00:00:00.500", "00:00.500") + " ! fresh");
}

TEST_F(DebugTest, LogExceptionPassesTheExceptionAsSender) {
  RegisterLogHandler(FirstHandler);
  const rtl::Exception error("the rule lookup failed");
  DebugLogger()->LogException(error, "TWindowsFirewall.BlockExists", 5);
  ASSERT_EQ(g_entries.size(), 1u);
  EXPECT_EQ(g_entries[0].kind, dekError);
  EXPECT_EQ(g_entries[0].scope, dtNone);
  EXPECT_TRUE(g_entries[0].hasSender);
  EXPECT_EQ(g_entries[0].exception, &error);
  EXPECT_EQ(g_entries[0].senderClass, "Exception");
  EXPECT_EQ(g_entries[0].message, "TWindowsFirewall.BlockExists");
  ASSERT_EQ(g_lines.size(), 1u);
  EXPECT_EQ(g_lines[0], Prefix("09:30:15.250", "30:15.250") + " ! Exception.TWindowsFirewall.BlockExists");

  DebugLogger()->LogException(std::runtime_error("x"), "TFoo.Bar", 5);
  EXPECT_EQ(g_entries[1].senderClass, "std::runtime_error");
}

TEST_F(DebugTest, LogWin32ErrorAddsCodeAndSystemText) {
  RegisterLogHandler(FirstHandler);
  windows.system.messages[0x80004005u] = "Unspecified error\r\n";
  DebugLogger()->LogWin32Error(5, "ITaskbarList3.SetProgressValue", 4);
  DebugLogger()->LogWin32Error(static_cast<std::int32_t>(0x80004005u), "ICustomDestinationList.BeginList", 4);
  DebugLogger()->LogWin32Error(12345, "Unknown", 4);
  ASSERT_EQ(g_entries.size(), 3u);
  // The system's text stands as the system gives it, line break included.
  EXPECT_EQ(g_entries[0].message, "ITaskbarList3.SetProgressValue (error code 5: Access is denied.\r\n)");
  EXPECT_EQ(g_entries[1].message, "ICustomDestinationList.BeginList (error code -2147467259: Unspecified error\r\n)");
  EXPECT_EQ(g_entries[2].message, "Unknown (error code 12345: )");
  EXPECT_FALSE(g_entries[0].hasSender);
}

TEST_F(DebugTest, HandlersRunInRegistrationOrderOncePerRegistration) {
  RegisterLogHandler(FirstHandler);
  RegisterLogHandler(SecondHandler);
  RegisterLogHandler(FirstHandler);
  RegisterLogHandler(nullptr);  // ignored rather than called
  DebugLogger()->LogError("a", 4);
  DebugLogger()->LogError("b", 4);
  std::vector<std::pair<int, std::string>> seen;
  for (const auto& e : g_entries) seen.emplace_back(e.handler, e.message);
  EXPECT_EQ(seen, (std::vector<std::pair<int, std::string>>{{1, "a"}, {2, "a"}, {1, "a"}, {1, "b"}, {2, "b"}, {1, "b"}}));
}

TEST_F(DebugTest, ARaisingHandlerEndsTheDispatchAndReachesTheCaller) {
  RegisterLogHandler(FirstHandler);
  RegisterLogHandler(ThrowingHandler);
  RegisterLogHandler(SecondHandler);
  EXPECT_THROW(DebugLogger()->LogError("a", 4), std::runtime_error);
  ASSERT_EQ(g_entries.size(), 1u);
  EXPECT_EQ(g_entries[0].handler, 1);
  // The logger still works afterwards.
  EXPECT_THROW(DebugLogger()->LogError("b", 4), std::runtime_error);
  EXPECT_EQ(g_entries.size(), 2u);

  // The lock was released: another thread gets it (a recursive lock would let this thread in
  // anyway).
  auto done = std::make_shared<std::promise<void>>();
  auto finished = done->get_future();
  std::thread([done] {
    try {
      DebugLogger()->LogError("c", 4);
    } catch (...) {
    }
    done->set_value();
  }).detach();
  EXPECT_EQ(finished.wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

TEST_F(DebugTest, AfterShutDownThereIsNoLoggerAndCallsDoNothing) {
  RegisterLogHandler(FirstHandler);
  ASSERT_NE(DebugLogger().get(), nullptr);
  EXPECT_EQ(DebugLogger().get(), DebugLogger().get());
  FinalizeBmrDebug();
  EXPECT_EQ(static_cast<TDebugLogger*>(DebugLogger()), nullptr);
  EXPECT_FALSE(DebugLogger());
  DebugLogger()->LogException(rtl::Exception("x"), "late", 5);
  DebugLogger()->LogUnitFinalEnd("bmrUIWindows7");
  DebugLogger()->LogWin32Error(5, "late", 4);
  EXPECT_TRUE(g_entries.empty());
  EXPECT_TRUE(g_lines.empty());
  EXPECT_EQ(DebugLogger().get(), nullptr);  // and nothing was created
}

TEST_F(DebugTest, LineShowsScopeSenderAndArguments) {
  TDebugLogger& logger = *DebugLogger();
  const std::string prefix = Prefix("09:30:15.250", "30:15.250");
  const TDebugSender named{"TFoo", nullptr};
  const TDebugSender unnamed{"", nullptr};
  const TDebugArguments three{std::int64_t{1}, true, std::string("x")};
  struct Case {
    TDebugEntryKind kind;
    TDebugType scope;
    const TDebugSender* sender;
    TDebugArguments args;
    std::string tail;
  };
  const std::vector<Case> cases = {
      {dekInfo, dtProcess, nullptr, {}, " i [process] m"},
      {dekInfo, dtThread, nullptr, {}, " i [thread] m"},
      {dekInfo, dtVariable, nullptr, {}, " i m"},
      {static_cast<TDebugEntryKind>(7), dtNone, nullptr, {}, " ? m"},
      {dekError, dtNone, &named, {}, " ! TFoo.m"},
      {dekError, dtNone, &unnamed, {}, " ! (unknown)m"},
      {dekEnter, dtMethod, nullptr, three, " > [method] m(1, True, 'x')"},
      {dekEnter, dtMethod, nullptr, {false}, " > [method] m(False)"},
      {dekLeave, dtMethod, nullptr, {std::string("done")}, " < [method] m = 'done'"},
      {dekLeave, dtMethod, nullptr, {std::int64_t{-3}}, " < [method] m = -3"},
      {dekLeave, dtMethod, nullptr, {std::monostate{}, std::string("")}, " < [method] m(?, '')"},
      {dekError, dtNone, nullptr, {std::int64_t{1}}, " ! m"},
      {dekInfo, dtNone, nullptr, three, " i m(1, True, 'x')"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(logger.BuildLine(c.kind, c.scope, c.sender, "m", c.args), prefix + c.tail);
  }
  // Building a line alone is no entry: the elapsed time still counts from zero.
  DebugLogger()->LogError("e", 4);
  EXPECT_EQ(g_lines.back(), prefix + " ! e");
}

TEST_F(DebugTest, LineUsesTheModuleFileNameWithoutFolder) {
  windows.process.moduleFileName = "D:\\Tools\\Other.exe";
  windows.process.processId = 0x12345;
  windows.process.threadId = 7;
  DebugLogger()->LogError("e", 4);
  ASSERT_EQ(g_lines.size(), 1u);
  EXPECT_EQ(g_lines[0].substr(0, 24), "{Other.exe} 12345:   7 [");
}

TEST_F(DebugTest, SilentTracesRecordNothing) {
  RegisterLogHandler(FirstHandler);
  TraceEnter(this, "THostsFile.Locate", 8);
  TraceLeave(this, "THostsFile.Locate", {std::string("x")}, 8);
  TraceLog("m", 8);
  TraceValue("name", "value", 0);
  TraceLog2(rtl::Exception("x"), "m", 5);
  TraceLog3(5, "m", 4);
  EXPECT_TRUE(g_entries.empty());
  EXPECT_TRUE(g_lines.empty());
}

}  // namespace
