#include "app/bmrUIVista.h"

#include "platform/os/DynamicLibrary.h"
#include "platform/os/System.h"

namespace {

constexpr const char* kDwmLibrary = "dwmapi.dll";

// Loads the window manager's library, runs fn with it and frees it again whatever fn does.
template <class Fn>
void WithDwmLibrary(Fn&& fn) {
  os::IDynamicLibrary& libraries = os::DynamicLibrary();
  const os::LibraryHandle library = libraries.LoadLibraryNamed(kDwmLibrary);
  if (library == 0) return;
  struct Release {
    os::IDynamicLibrary& libraries;
    os::LibraryHandle library;
    ~Release() { libraries.FreeLibraryHandle(library); }
  } release{libraries, library};
  fn(libraries, library);
}

}  // namespace

bool IsWindowsVistaOrLater() {
  os::OsVersionInfo info;
  os::System().VersionInfo(info);
  return info.majorVersion >= 6;
}

bool IsCompositionEnabled() {
  if (!IsWindowsVistaOrLater()) return false;
  bool enabled = false;
  WithDwmLibrary([&](os::IDynamicLibrary& libraries, os::LibraryHandle library) {
    const os::ProcAddress function = libraries.ProcAddressOf(library, "DwmIsCompositionEnabled");
    if (function == 0) return;
    std::int32_t value = 0;
    libraries.CallDwmIsCompositionEnabled(function, value);
    enabled = (value & 0xFF) != 0;
  });
  return enabled;
}

void ExtendFrameIntoClientArea(ui::WindowHandle window, const ui::Rect& margins) {
  if (!IsWindowsVistaOrLater() || !IsCompositionEnabled()) return;
  WithDwmLibrary([&](os::IDynamicLibrary& libraries, os::LibraryHandle library) {
    const os::ProcAddress function = libraries.ProcAddressOf(library, "DwmExtendFrameIntoClientArea");
    if (function == 0) return;
    libraries.CallDwmExtendFrameIntoClientArea(
        function, window, os::Margins{margins.left, margins.Right(), margins.top, margins.Bottom()});
  });
}

void RepaintUIStateControls(ui::Control& control) {
  if (dynamic_cast<ui::Button*>(&control) || dynamic_cast<ui::CheckBox*>(&control)) {
    control.Repaint();
    return;
  }
  auto* container = dynamic_cast<ui::Container*>(&control);
  // Labels, images and shapes have no window of their own; memos and the like no children.
  if (!container) return;
  if (auto* page = dynamic_cast<ui::TabSheet*>(container)) {
    if (ui::PageControl* pages = page->GetPageControl(); pages && page->PageIndex() != pages->ActivePageIndex()) return;
  }
  for (int i = 0; i < container->ControlCount(); ++i) RepaintUIStateControls(container->GetControl(i));
}

TVistaForm::TVistaForm(std::string name) : TWindowsXPForm(std::move(name)) {
  HideApplicationTaskbarButton();
  UpdateGlass();
}

void TVistaForm::WndProc(ui::Message& message) {
  TWindowsXPForm::WndProc(message);
  if (message.msg == ui::WM_UPDATEUISTATE_) {
    try {
      RepaintUIStateControls(*this);
    } catch (...) {
      // A repaint that failed is no reason to disturb the message.
    }
  }
}

void TVistaForm::UpdateGlass() {
  if (IsCompositionEnabled() && WantsGlass()) {
    SetColor(ui::clBlack);
    ExtendFrameIntoClientArea(Handle(), ui::Rect{0, 0, 0, 0});
  }
}
