#pragma once
// The few window calls the form bases make on windows the toolkit created: showing state,
// the extended style, registered window messages and the menu bar. Method names avoid the windows.h
// macros (GetWindowLong, SetWindowLong, RegisterWindowMessage).

#include <cstdint>
#include <string>

#include "platform/os/Seams.h"

namespace os {

using WindowHandle = std::uintptr_t;

inline constexpr std::int32_t kSwHide = 0;
inline constexpr std::int32_t kSwMinimize = 6;
inline constexpr std::int32_t kSwRestore = 9;
inline constexpr std::int32_t kGwlExStyle = -20;

class IWindowing {
 public:
  virtual ~IWindowing() = default;
  // ShowWindow: whether the window was visible before.
  virtual bool ShowWindowCmd(WindowHandle window, std::int32_t command) = 0;
  // GetWindowLongA and SetWindowLongA (the latter gives the previous value).
  virtual std::int32_t WindowLong(WindowHandle window, std::int32_t index) = 0;
  virtual std::int32_t SetWindowLongValue(WindowHandle window, std::int32_t index, std::int32_t value) = 0;
  // RegisterWindowMessageA: the message's number, 0 on failure.
  virtual std::uint32_t RegisterMessage(const std::string& name) = 0;
  // DrawMenuBar (after the system menu changed).
  virtual bool DrawMenuBarOf(WindowHandle window) = 0;
};

inline IWindowing& Windowing() { return Get<IWindowing>(); }

}  // namespace os
