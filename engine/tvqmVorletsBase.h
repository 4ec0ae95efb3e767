#pragma once
// The immunizer base, its class descriptor, and the immunizer kinds. An immunizer knows a
// fixed set of items, counts them and how many are in place, puts them in place (Immunize)
// and takes them back (Remove), and reports through its one log event.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/bmrWindows.h"
#include "platform/os/Registry.h"

enum TImmunizationLogLevel : std::uint8_t {
  ilSuccess = 0,
  ilError = 1,
  ilInformation = 2,
};

class TWindows10Immunization;
class TWindows10ImmunizationClass;

// Sender, level, message (UTF-8). The receiving object is whatever the callable captures.
using TImmunizationLogEvent =
    std::function<void(TWindows10Immunization& sender, TImmunizationLogLevel level, const std::string& msg)>;

// The abstract immunizer. A concrete class also answers, as static members, what its class
// descriptor answers without an instance: kClassName, SupportedWindowsVersions, GetDisplayName
// and GetHint (the defaults below are taken where a class does not declare its own).
class TWindows10Immunization {
 public:
  TWindows10Immunization() = default;
  virtual ~TWindows10Immunization() = default;
  TWindows10Immunization(const TWindows10Immunization&) = delete;
  TWindows10Immunization& operator=(const TWindows10Immunization&) = delete;

  TImmunizationLogEvent OnLog;

  virtual std::int32_t GetCount() = 0;
  virtual std::int32_t GetImmunizedCount() = 0;
  virtual void Immunize() = 0;
  virtual void Remove() = 0;
  virtual std::string GetDetailsText() { return {}; }

  // The descriptor of the object's own class.
  virtual TWindows10ImmunizationClass ClassType() const = 0;
  // The class name of the object's class (the external identifier).
  std::string ClassName() const;

  // Class-level defaults.
  static TOperatingSystems SupportedWindowsVersions() { return {osWindows10}; }
  static std::string GetHint() { return {}; }

  // Hands the message to OnLog with this immunizer as sender; nothing without a handler.
  void DoLog(TImmunizationLogLevel level, const std::string& msg);
};

// The class descriptor: creates an immunizer of its class without arguments and answers the
// class-level questions without an instance. A small value that compares by class.
class TWindows10ImmunizationClass {
 public:
  struct Record {
    const char* className;
    std::unique_ptr<TWindows10Immunization> (*create)();
    TOperatingSystems (*supportedWindowsVersions)();
    std::string (*getDisplayName)();
    std::string (*getHint)();
  };

  constexpr explicit TWindows10ImmunizationClass(const Record* record) : record_(record) {}

  // The declared name, exactly as the tables write it ("TWindows10AITRegistryImmunization").
  std::string ClassName() const { return record_->className; }
  std::unique_ptr<TWindows10Immunization> Create() const { return record_->create(); }
  TOperatingSystems SupportedWindowsVersions() const { return record_->supportedWindowsVersions(); }
  std::string GetDisplayName() const { return record_->getDisplayName(); }
  std::string GetHint() const { return record_->getHint(); }

  friend bool operator==(TWindows10ImmunizationClass a, TWindows10ImmunizationClass b) {
    return a.record_ == b.record_;
  }

 private:
  const Record* record_;
};

// The descriptor of the concrete class T, built from T's static members.
template <class T>
TWindows10ImmunizationClass ImmunizationClassOf() {
  static const TWindows10ImmunizationClass::Record record{
      T::kClassName,
      [] { return std::unique_ptr<TWindows10Immunization>(std::make_unique<T>()); },
      &T::SupportedWindowsVersions,
      &T::GetDisplayName,
      &T::GetHint,
  };
  return TWindows10ImmunizationClass(&record);
}

// Derive a concrete class from TImmunizationClass<Self, Kind> to give it its ClassType.
template <class Self, class Kind>
class TImmunizationClass : public Kind {
 public:
  using Kind::Kind;
  TWindows10ImmunizationClass ClassType() const override { return ImmunizationClassOf<Self>(); }
};

// Windows 7, 8, 8.1 and 10: the set of the classes that are not for Windows 10 alone.
inline constexpr TOperatingSystems kWindows7To10{osWindows7, osWindows8, osWindows81, osWindows10};

// The view flag the registry immunizers open their keys with: the native view, so that a
// 32-bit process on 64-bit Windows writes where Windows reads (SOFTWARE\Microsoft\PolicyManager
// would otherwise land in Wow6432Node).
std::uint32_t NativeRegistryView();

// ---------------------------------------------------------------------------------------------
// Registry kind: REG_DWORD values written on Immunize and deleted on Remove.

// The registry type a setting expects; every setting of the program is an integer.
enum TRegistryDataType : std::uint32_t {
  rsdUnknown = 0,
  rsdString = 1,
  rsdExpandString = 2,
  rsdBinary = 3,
  rsdInteger = 4,  // REG_DWORD
};

struct TRegistrySetting {
  os::RegKey RootKey = os::kHKeyLocalMachine;
  // Below the root, with a leading and a trailing backslash.
  std::string Key;
  std::string ValueName;
  TRegistryDataType DataType = rsdInteger;
  // What Immunize writes; in place when the registry holds exactly this number.
  std::int32_t Value = 0;

  // "Registry: HKEY_LOCAL_MACHINE\SOFTWARE\...\ValueName"
  std::string DetailsText() const;
};

using TRegistrySettings = std::vector<TRegistrySetting>;

// A concrete class only lists its settings. Every step opens its own key in the native view.
class TCustomWindows10RegistryImmunization : public TWindows10Immunization {
 public:
  std::int32_t GetCount() override;
  std::int32_t GetImmunizedCount() override;
  void Immunize() override;
  // Deletes the values; restores nothing.
  void Remove() override;
  std::string GetDetailsText() override;
  virtual TRegistrySettings GetRegistrySettings() { return {}; }

 private:
  std::int32_t IsSettingApplied(const TRegistrySetting& setting);
  void WriteSetting(const TRegistrySetting& setting);
  void DeleteSetting(const TRegistrySetting& setting);
  // Opens (creating what is missing) the setting's key with all access; on failure reports
  // the key and answers false.
  bool OpenKeyForWriting(const TRegistrySetting& setting, os::RegKey& key);
};
