// Any eight bytes as a date-time value (NaN, infinities and every magnitude included): the
// texts of the Task Scheduler come out in their fixed forms and never from an overflow.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/bmrTaskScheduler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(double)) return 0;
  double value = 0;
  std::memcpy(&value, data, sizeof value);

  const std::string text = DateTimeToISO8601(value);
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':') {
    std::abort();
  }
  const std::int32_t minutes = MinutesOfTime(value);
  if (minutes < 0 || minutes > 1439) std::abort();
  const std::string duration = DurationToISO8601(value);
  if ((value == 0) != duration.empty()) std::abort();
  if (!duration.empty() && duration.find('P') > 1) std::abort();
  return 0;
}
