#pragma once
// The Windows 7 taskbar through its shell objects: the taskbar list (progress on a window's
// button), the application's custom destination list (the jump list), shell links with their
// property store, and the object collection that carries the links to the list. Each method
// is one COM call and returns its HRESULT; objects come back through shared_ptr arguments
// (empty on failure). Texts are UTF-8 on this side: the IShellLinkA calls hand them on in the
// ANSI code page, the property store as a wide string.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/os/Seams.h"

namespace os {

using HResult = std::int32_t;
// An HWND as a number.
using WindowHandle = std::uintptr_t;

namespace taskbar {

inline constexpr HResult kSOk = 0;
inline constexpr HResult kSFalse = 1;
inline constexpr HResult kENotImpl = static_cast<HResult>(0x80004001u);
inline constexpr HResult kENoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kEClassNotRegistered = static_cast<HResult>(0x80040154u);

// TBPFLAG.
inline constexpr std::int32_t kTbpfNoProgress = 0;
inline constexpr std::int32_t kTbpfIndeterminate = 1;
inline constexpr std::int32_t kTbpfNormal = 2;
inline constexpr std::int32_t kTbpfError = 4;
inline constexpr std::int32_t kTbpfPaused = 8;

// COINIT_MULTITHREADED.
inline constexpr std::uint32_t kCoInitMultithreaded = 0;

}  // namespace taskbar

// ITaskbarList3: progress on a window's taskbar button.
class ITaskbarList3 {
 public:
  virtual ~ITaskbarList3() = default;
  virtual HResult SetProgressValue(WindowHandle window, std::uint64_t completed, std::uint64_t total) = 0;
  virtual HResult SetProgressState(WindowHandle window, std::int32_t flags) = 0;
};

// IPropertyStore of a shell link: the one property the jump list reads, PKEY_Title
// ({F29F85E0-4FF9-1068-AB91-08002B27B3D9}, 2), set as VT_LPWSTR.
class IPropertyStore {
 public:
  virtual ~IPropertyStore() = default;
  virtual HResult SetTitle(const std::string& title) = 0;
  virtual HResult Commit() = 0;
};

// IShellLinkA (CLSID_ShellLink).
class IShellLinkA {
 public:
  virtual ~IShellLinkA() = default;
  virtual HResult SetPath(const std::string& path) = 0;
  virtual HResult SetArguments(const std::string& arguments) = 0;
  virtual HResult SetIconLocation(const std::string& iconPath, std::int32_t iconIndex) = 0;
  virtual HResult SetDescription(const std::string& description) = 0;
  // QueryInterface for IID_IPropertyStore.
  virtual HResult QueryPropertyStore(std::shared_ptr<IPropertyStore>& store) = 0;
};

// IObjectArray: what BeginList gives back (the removed destinations); nothing reads it.
class IObjectArray {
 public:
  virtual ~IObjectArray() = default;
};

// IObjectCollection (CLSID_EnumerableObjectCollection), which is an IObjectArray too.
class IObjectCollection : public IObjectArray {
 public:
  // AddObject; link may be null (the object then added is none).
  virtual HResult AddObject(IShellLinkA* link) = 0;
};

// ICustomDestinationList (CLSID_DestinationList).
class ICustomDestinationList {
 public:
  virtual ~ICustomDestinationList() = default;
  // BeginList(&minSlots, IID_IObjectArray, &removed).
  virtual HResult BeginList(std::uint32_t& minSlots, std::shared_ptr<IObjectArray>& removed) = 0;
  virtual HResult AddUserTasks(IObjectArray& tasks) = 0;
  virtual HResult CommitList() = 0;
};

// The installed seam: COM for the thread and the four objects (CoCreateInstance in process,
// each asked for the interface named).
class ITaskbarLibrary {
 public:
  virtual ~ITaskbarLibrary() = default;
  // CoInitializeEx(nullptr, coInit).
  virtual HResult InitializeCom(std::uint32_t coInit) = 0;
  // CoUninitialize.
  virtual void UninitializeCom() = 0;
  virtual HResult CreateTaskbarList(std::shared_ptr<ITaskbarList3>& list) = 0;
  virtual HResult CreateDestinationList(std::shared_ptr<ICustomDestinationList>& list) = 0;
  virtual HResult CreateShellLink(std::shared_ptr<IShellLinkA>& link) = 0;
  virtual HResult CreateObjectCollection(std::shared_ptr<IObjectCollection>& collection) = 0;
};

inline ITaskbarLibrary& TaskbarLibrary() { return Get<ITaskbarLibrary>(); }

}  // namespace os
