#pragma once
// os::ITaskScheduler10Library over mstask's COM objects. COM must be initialized on the
// calling thread; every object is used on the thread that created it.

#include "platform/os/TaskScheduler10.h"

namespace os::win32 {

class Win32TaskScheduler10Library final : public os::ITaskScheduler10Library {
 public:
  std::int32_t CreateInstance(std::shared_ptr<ITaskScheduler10>& aScheduler) override;
};

}  // namespace os::win32
