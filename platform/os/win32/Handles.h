#pragma once
// Move-only owners of Win32 handles, one type per handle kind. Each owner closes its handle
// with the function that kind needs; Put() hands out the slot for an API's out parameter.

#include <windows.h>

#include <cstdint>
#include <utility>

namespace os::win32 {

template <class Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  ~UniqueHandle() { Reset(); }

  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return Traits::IsOwned(handle_); }

  Handle Release() noexcept { return std::exchange(handle_, Traits::Empty()); }
  void Reset(Handle handle = Traits::Empty()) noexcept {
    Handle old = std::exchange(handle_, handle);
    if (Traits::IsOwned(old)) Traits::Close(old);
  }
  // Closes the current handle and gives the address an API writes the new one to.
  Handle* Put() noexcept {
    Reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Empty();
};

// The predefined keys (HKEY_LOCAL_MACHINE, ...) are not closed: they are not ours.
inline bool IsPredefinedKey(HKEY key) noexcept {
  const auto value = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(key));
  const auto wide = reinterpret_cast<std::intptr_t>(key);
  return value >= 0x80000000u && value <= 0x80000006u &&
         wide == static_cast<std::intptr_t>(static_cast<std::int32_t>(value));
}

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Empty() noexcept { return nullptr; }
  static bool IsOwned(Handle key) noexcept { return key != nullptr && !IsPredefinedKey(key); }
  static void Close(Handle key) noexcept { RegCloseKey(key); }
};

// Kernel objects: processes, threads, events, mappings, files. Both "no handle" values that
// the API uses count as empty.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() noexcept { return nullptr; }
  static bool IsOwned(Handle handle) noexcept { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) noexcept { CloseHandle(handle); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Empty() noexcept { return nullptr; }
  static bool IsOwned(Handle module) noexcept { return module != nullptr; }
  static void Close(Handle module) noexcept { FreeLibrary(module); }
};

// Memory the system hands out with LocalAlloc (CommandLineToArgvW, FormatMessage with
// FORMAT_MESSAGE_ALLOCATE_BUFFER, security descriptors).
template <class Pointer>
struct LocalMemoryTraits {
  using Handle = Pointer;
  static Handle Empty() noexcept { return nullptr; }
  static bool IsOwned(Handle memory) noexcept { return memory != nullptr; }
  static void Close(Handle memory) noexcept { LocalFree(reinterpret_cast<HLOCAL>(memory)); }
};

struct MapViewTraits {
  using Handle = void*;
  static Handle Empty() noexcept { return nullptr; }
  static bool IsOwned(Handle view) noexcept { return view != nullptr; }
  static void Close(Handle view) noexcept { UnmapViewOfFile(view); }
};

using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
template <class Pointer>
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits<Pointer>>;
using UniqueMapView = UniqueHandle<MapViewTraits>;

}  // namespace os::win32
