#include "tests/wine/TaskScheduler10Support.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/os/win32/Text.h"

namespace winetest {

std::string CurrentAccount() {
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD computerSize = MAX_COMPUTERNAME_LENGTH + 1;
  wchar_t user[257] = {};
  DWORD userSize = 257;
  GetComputerNameW(computer, &computerSize);
  GetUserNameW(user, &userSize);
  return os::win32::WideToUtf8(computer) + "\\" + os::win32::WideToUtf8(user);
}

bool DeleteJob10(os::ITaskScheduler10& scheduler, const std::string& name) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    const std::int32_t code = scheduler.Delete(name);
    if (code == os::ts10::kSOk || code == os::ts10::kFileNotFound) return true;
    if (code != os::ts10::kSharingViolation) return false;
    Sleep(100);
  }
  return false;
}

void ExpectSameTrigger10(const os::TaskTrigger10& expected, const os::TaskTrigger10& actual) {
  EXPECT_EQ(expected.cbTriggerSize, actual.cbTriggerSize);
  EXPECT_EQ(expected.wBeginYear, actual.wBeginYear);
  EXPECT_EQ(expected.wBeginMonth, actual.wBeginMonth);
  EXPECT_EQ(expected.wBeginDay, actual.wBeginDay);
  EXPECT_EQ(expected.wEndYear, actual.wEndYear);
  EXPECT_EQ(expected.wEndMonth, actual.wEndMonth);
  EXPECT_EQ(expected.wEndDay, actual.wEndDay);
  EXPECT_EQ(expected.wStartHour, actual.wStartHour);
  EXPECT_EQ(expected.wStartMinute, actual.wStartMinute);
  EXPECT_EQ(expected.MinutesDuration, actual.MinutesDuration);
  EXPECT_EQ(expected.MinutesInterval, actual.MinutesInterval);
  EXPECT_EQ(expected.rgFlags, actual.rgFlags);
  EXPECT_EQ(expected.TriggerType, actual.TriggerType);
  // The union's bytes beyond the kind's fields are padding: compare the fields of the kind.
  switch (expected.TriggerType) {
    case os::ts10::kTimeTriggerDaily:
      EXPECT_EQ(expected.Type.Daily.DaysInterval, actual.Type.Daily.DaysInterval);
      break;
    case os::ts10::kTimeTriggerWeekly:
      EXPECT_EQ(expected.Type.Weekly.WeeksInterval, actual.Type.Weekly.WeeksInterval);
      EXPECT_EQ(expected.Type.Weekly.rgfDaysOfTheWeek, actual.Type.Weekly.rgfDaysOfTheWeek);
      break;
    case os::ts10::kTimeTriggerMonthlyDate:
      EXPECT_EQ(expected.Type.MonthlyDate.rgfDays, actual.Type.MonthlyDate.rgfDays);
      EXPECT_EQ(expected.Type.MonthlyDate.rgfMonths, actual.Type.MonthlyDate.rgfMonths);
      break;
    case os::ts10::kTimeTriggerMonthlyDoW:
      EXPECT_EQ(expected.Type.MonthlyDOW.wWhichWeek, actual.Type.MonthlyDOW.wWhichWeek);
      EXPECT_EQ(expected.Type.MonthlyDOW.rgfDaysOfTheWeek, actual.Type.MonthlyDOW.rgfDaysOfTheWeek);
      EXPECT_EQ(expected.Type.MonthlyDOW.rgfMonths, actual.Type.MonthlyDOW.rgfMonths);
      break;
    default:
      break;
  }
  EXPECT_EQ(expected.wRandomMinutesInterval, actual.wRandomMinutesInterval);
}

}  // namespace winetest
