#pragma once
// The Win32 calls behind the command-line help window class: the class record, its icon,
// cursor and fonts, and RegisterClassA with a window procedure that asks the record's
// handler what to do with each message.

#include <cstdint>
#include <string>

#include "platform/os/Library.h"
#include "platform/os/Seams.h"

namespace os {

// IDI_APPLICATION and IDC_ARROW, as the resource ids LoadIconA and LoadCursorA take.
inline constexpr std::uintptr_t kIdiApplication = 32512;
inline constexpr std::uintptr_t kIdcArrow = 32512;
// COLOR_HIGHLIGHTTEXT; a class background brush may be a colour index plus one.
inline constexpr std::uintptr_t kColorHighlightText = 14;
inline constexpr std::uint8_t kDefaultCharset = 1;

// What the window procedure does with a message.
enum class HelpMessageAnswer {
  Default,          // DefWindowProcA
  TransparentText,  // WM_CTLCOLORSTATIC: SetBkMode(TRANSPARENT) on the device context
  Halt,             // the record's halt runs
};

// WNDCLASSA, its window procedure given as the two functions it calls.
struct WindowClassRecord {
  HelpMessageAnswer (*handler)(std::uint32_t message, std::uintptr_t wParam) = nullptr;
  void (*halt)() = nullptr;
  std::uint32_t style = 0;
  std::int32_t classExtra = 0;
  std::int32_t windowExtra = 0;
  ModuleHandle instance = 0;
  std::uintptr_t icon = 0;
  std::uintptr_t cursor = 0;
  std::uintptr_t background = 0;
  std::string menuName;
  std::string className;
};

class IHelpWindowApi {
 public:
  virtual ~IHelpWindowApi() = default;

  // GetModuleHandleA(nullptr).
  virtual ModuleHandle ProgramModule() = 0;
  // LoadIconA(nullptr, id) and LoadCursorA(nullptr, id); 0 on failure.
  virtual std::uintptr_t LoadSystemIcon(std::uintptr_t id) = 0;
  virtual std::uintptr_t LoadSystemCursor(std::uintptr_t id) = 0;
  // CreateFontIndirectA of a LOGFONTA with this face and character set, the rest 0; the
  // HFONT, 0 on failure.
  virtual std::uintptr_t CreateFontWithFace(const std::string& face, std::uint8_t charSet) = 0;
  // RegisterClassA of the record: the atom, 0 on failure.
  virtual std::uint16_t RegisterHelpClass(const WindowClassRecord& record) = 0;
  // GetLastError.
  virtual std::uint32_t LastError() = 0;
};

inline IHelpWindowApi& HelpWindowApi() { return Get<IHelpWindowApi>(); }

}  // namespace os
