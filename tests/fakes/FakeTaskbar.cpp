#include "tests/fakes/FakeTaskbar.h"

#include <cstdio>
#include <string>

namespace fakes {

namespace {

std::size_t CountPrefix(const std::vector<std::string>& calls, const std::string& prefix) {
  std::size_t count = 0;
  for (const auto& call : calls) {
    if (call.compare(0, prefix.size(), prefix) == 0) ++count;
  }
  return count;
}

std::string Hex(std::uintptr_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
  return buffer;
}

class FakeTaskbarList final : public os::ITaskbarList3 {
 public:
  explicit FakeTaskbarList(FakeTaskbar& owner) : owner_(owner) {}
  os::HResult SetProgressValue(os::WindowHandle window, std::uint64_t completed, std::uint64_t total) override {
    const auto code = owner_.Enter("ITaskbarList3::SetProgressValue",
                                   Hex(window) + " " + std::to_string(completed) + " " + std::to_string(total));
    return code.value_or(os::taskbar::kSOk);
  }
  os::HResult SetProgressState(os::WindowHandle window, std::int32_t flags) override {
    const auto code = owner_.Enter("ITaskbarList3::SetProgressState", Hex(window) + " " + std::to_string(flags));
    return code.value_or(os::taskbar::kSOk);
  }

 private:
  FakeTaskbar& owner_;
};

class FakePropertyStore final : public os::IPropertyStore {
 public:
  FakePropertyStore(FakeTaskbar& owner, std::shared_ptr<FakeShellLinkState> state)
      : owner_(owner), state_(std::move(state)) {}
  os::HResult SetTitle(const std::string& title) override {
    const auto code = owner_.Enter("IPropertyStore::SetValue", "PKEY_Title " + title);
    if (code && *code < 0) return *code;
    state_->title = title;
    return code.value_or(os::taskbar::kSOk);
  }
  os::HResult Commit() override {
    const auto code = owner_.Enter("IPropertyStore::Commit", {});
    if (code && *code < 0) return *code;
    state_->committed = true;
    return code.value_or(os::taskbar::kSOk);
  }

 private:
  FakeTaskbar& owner_;
  std::shared_ptr<FakeShellLinkState> state_;
};

class FakeShellLink final : public os::IShellLinkA {
 public:
  FakeShellLink(FakeTaskbar& owner, std::shared_ptr<FakeShellLinkState> state)
      : owner_(owner), state_(std::move(state)) {}
  const std::shared_ptr<FakeShellLinkState>& State() const { return state_; }

  os::HResult SetPath(const std::string& path) override { return Set("SetPath", path, state_->path); }
  os::HResult SetArguments(const std::string& arguments) override {
    return Set("SetArguments", arguments, state_->arguments);
  }
  os::HResult SetIconLocation(const std::string& iconPath, std::int32_t iconIndex) override {
    const auto code = owner_.Enter("IShellLinkA::SetIconLocation", iconPath + "," + std::to_string(iconIndex));
    if (code && *code < 0) return *code;
    state_->iconPath = iconPath;
    state_->iconIndex = iconIndex;
    return code.value_or(os::taskbar::kSOk);
  }
  os::HResult SetDescription(const std::string& description) override {
    return Set("SetDescription", description, state_->description);
  }
  os::HResult QueryPropertyStore(std::shared_ptr<os::IPropertyStore>& store) override {
    store.reset();
    const auto code = owner_.Enter("IShellLinkA::QueryInterface", "IPropertyStore");
    if (code && *code < 0) return *code;
    store = std::make_shared<FakePropertyStore>(owner_, state_);
    return code.value_or(os::taskbar::kSOk);
  }

 private:
  os::HResult Set(const char* method, const std::string& value, std::string& field) {
    const auto code = owner_.Enter(std::string("IShellLinkA::") + method, value);
    if (code && *code < 0) return *code;
    field = value;
    return code.value_or(os::taskbar::kSOk);
  }

  FakeTaskbar& owner_;
  std::shared_ptr<FakeShellLinkState> state_;
};

class FakeObjectArray : public os::IObjectArray {};

class FakeObjectCollection final : public os::IObjectCollection {
 public:
  explicit FakeObjectCollection(FakeTaskbar& owner) : owner_(owner) {}
  std::vector<std::shared_ptr<FakeShellLinkState>> items;
  os::HResult AddObject(os::IShellLinkA* link) override {
    const auto code = owner_.Enter("IObjectCollection::AddObject", link ? "link" : "nil");
    if (code && *code < 0) return *code;
    auto* fake = dynamic_cast<FakeShellLink*>(link);
    items.push_back(fake ? fake->State() : nullptr);
    return code.value_or(os::taskbar::kSOk);
  }

 private:
  FakeTaskbar& owner_;
};

class FakeDestinationList final : public os::ICustomDestinationList {
 public:
  explicit FakeDestinationList(FakeTaskbar& owner) : owner_(owner) {}
  os::HResult BeginList(std::uint32_t& minSlots, std::shared_ptr<os::IObjectArray>& removed) override {
    removed.reset();
    const auto code = owner_.Enter("ICustomDestinationList::BeginList", {});
    if (code && *code < 0) return *code;
    minSlots = 10;
    removed = std::make_shared<FakeObjectArray>();
    begun_ = true;
    pending_.clear();
    return code.value_or(os::taskbar::kSOk);
  }
  os::HResult AddUserTasks(os::IObjectArray& tasks) override {
    const auto code = owner_.Enter("ICustomDestinationList::AddUserTasks", {});
    if (code && *code < 0) return *code;
    if (auto* collection = dynamic_cast<FakeObjectCollection*>(&tasks)) {
      pending_.insert(pending_.end(), collection->items.begin(), collection->items.end());
    }
    return code.value_or(os::taskbar::kSOk);
  }
  os::HResult CommitList() override {
    const auto code = owner_.Enter("ICustomDestinationList::CommitList", {});
    if (code && *code < 0) return *code;
    // Windows refuses a commit without BeginList (E_UNEXPECTED).
    if (!begun_) return static_cast<os::HResult>(0x8000FFFFu);
    owner_.jumpListTasks = pending_;
    ++owner_.commits;
    begun_ = false;
    return code.value_or(os::taskbar::kSOk);
  }

 private:
  FakeTaskbar& owner_;
  bool begun_ = false;
  std::vector<std::shared_ptr<FakeShellLinkState>> pending_;
};

}  // namespace

std::size_t FakeTaskbar::CallCount(const std::string& prefix) const { return CountPrefix(calls, prefix); }

std::optional<os::HResult> FakeTaskbar::Enter(const std::string& call, const std::string& args,
                                              const std::string& subject) {
  calls.push_back(args.empty() ? call : call + " " + args);
  const auto code = failures.Check(call, subject.empty() ? args : subject);
  if (!code) return std::nullopt;
  return static_cast<os::HResult>(*code);
}

os::HResult FakeTaskbar::InitializeCom(std::uint32_t coInit) {
  if (const auto code = Enter("CoInitializeEx", std::to_string(coInit)); code && *code < 0) return *code;
  ++comReferences;
  return initializeResult;
}

void FakeTaskbar::UninitializeCom() {
  calls.push_back("CoUninitialize");
  --comReferences;
}

template <class Object, class Interface>
static os::HResult CreateObject(FakeTaskbar& owner, const char* className, std::shared_ptr<Interface>& object) {
  object.reset();
  const auto code = owner.Enter("CoCreateInstance", className);
  if (code && *code < 0) return *code;
  object = std::make_shared<Object>(owner);
  return code.value_or(os::taskbar::kSOk);
}

os::HResult FakeTaskbar::CreateTaskbarList(std::shared_ptr<os::ITaskbarList3>& list) {
  return CreateObject<FakeTaskbarList>(*this, "TaskbarList", list);
}

os::HResult FakeTaskbar::CreateDestinationList(std::shared_ptr<os::ICustomDestinationList>& list) {
  return CreateObject<FakeDestinationList>(*this, "DestinationList", list);
}

os::HResult FakeTaskbar::CreateShellLink(std::shared_ptr<os::IShellLinkA>& link) {
  link.reset();
  const auto code = Enter("CoCreateInstance", "ShellLink");
  if (code && *code < 0) return *code;
  auto state = std::make_shared<FakeShellLinkState>();
  links.push_back(state);
  link = std::make_shared<FakeShellLink>(*this, state);
  return code.value_or(os::taskbar::kSOk);
}

os::HResult FakeTaskbar::CreateObjectCollection(std::shared_ptr<os::IObjectCollection>& collection) {
  return CreateObject<FakeObjectCollection>(*this, "EnumerableObjectCollection", collection);
}

// ---------------------------------------------------------------------------------------------

namespace {
constexpr os::LibraryHandle kDwmHandle = 0x70000000;
constexpr os::ProcAddress kIsCompositionEnabled = 0x70001000;
constexpr os::ProcAddress kExtendFrame = 0x70002000;
}  // namespace

std::size_t FakeWindowing::CallCount(const std::string& prefix) const { return CountPrefix(calls, prefix); }

bool FakeWindowing::ShowWindowCmd(os::WindowHandle window, std::int32_t command) {
  calls.push_back("ShowWindow " + Hex(window) + " " + std::to_string(command));
  return true;
}

std::int32_t FakeWindowing::WindowLong(os::WindowHandle window, std::int32_t index) {
  calls.push_back("GetWindowLongA " + Hex(window) + " " + std::to_string(index));
  return index == os::kGwlExStyle ? exStyles[window] : 0;
}

std::int32_t FakeWindowing::SetWindowLongValue(os::WindowHandle window, std::int32_t index, std::int32_t value) {
  calls.push_back("SetWindowLongA " + Hex(window) + " " + std::to_string(index) + " " +
                  Hex(static_cast<std::uint32_t>(value)));
  if (index != os::kGwlExStyle) return 0;
  const std::int32_t previous = exStyles[window];
  exStyles[window] = value;
  return previous;
}

std::uint32_t FakeWindowing::RegisterMessage(const std::string& name) {
  calls.push_back("RegisterWindowMessageA " + name);
  auto [it, added] = messages.emplace(name, static_cast<std::uint32_t>(0xC000 + messages.size()));
  return it->second;
}

bool FakeWindowing::DrawMenuBarOf(os::WindowHandle window) {
  calls.push_back("DrawMenuBar " + Hex(window));
  return true;
}

os::LibraryHandle FakeWindowing::LoadLibraryNamed(const std::string& name) {
  calls.push_back("LoadLibraryA " + name);
  if (failures.Check("LoadLibraryA", name) || !dwmPresent || name != "dwmapi.dll") return 0;
  ++loadedLibraries;
  return kDwmHandle;
}

os::ProcAddress FakeWindowing::ProcAddressOf(os::LibraryHandle library, const std::string& name) {
  calls.push_back("GetProcAddress " + name);
  if (library != kDwmHandle || failures.Check("GetProcAddress", name)) return 0;
  if (name == "DwmIsCompositionEnabled") return kIsCompositionEnabled;
  if (name == "DwmExtendFrameIntoClientArea") return kExtendFrame;
  return 0;
}

bool FakeWindowing::FreeLibraryHandle(os::LibraryHandle library) {
  calls.push_back("FreeLibrary");
  if (library != kDwmHandle || loadedLibraries == 0) return false;
  --loadedLibraries;
  return true;
}

os::HResult FakeWindowing::CallDwmIsCompositionEnabled(os::ProcAddress function, std::int32_t& enabled) {
  calls.push_back("DwmIsCompositionEnabled");
  if (function != kIsCompositionEnabled) return os::taskbar::kEFail;
  enabled = compositionEnabled ? 1 : 0;
  return os::taskbar::kSOk;
}

os::HResult FakeWindowing::CallDwmExtendFrameIntoClientArea(os::ProcAddress function, os::WindowHandle window,
                                                            const os::Margins& margins) {
  calls.push_back("DwmExtendFrameIntoClientArea " + Hex(window) + " " + std::to_string(margins.cxLeftWidth) + "," +
                  std::to_string(margins.cxRightWidth) + "," + std::to_string(margins.cyTopHeight) + "," +
                  std::to_string(margins.cyBottomHeight));
  return function == kExtendFrame ? os::taskbar::kSOk : os::taskbar::kEFail;
}

}  // namespace fakes
