#include "platform/os/win32/Win32Taskbar.h"

#include <windows.h>
// windows.h first: the shell headers need its types.
#include <objbase.h>
#include <objidl.h>
#include <propidl.h>
#include <propsys.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "platform/os/win32/Text.h"

namespace os::win32 {

namespace {

using Microsoft::WRL::ComPtr;

// The identities, spelled out: the import libraries of older SDKs lack some of them.
constexpr CLSID kClsidTaskbarList = {0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
constexpr IID kIidTaskbarList3 = {0xEA1AFB91, 0x9E28, 0x4B86, {0x90, 0xE9, 0x9E, 0x9F, 0x8A, 0x5E, 0xEF, 0xAF}};
constexpr CLSID kClsidDestinationList = {0x77F10CF0, 0x3DB5, 0x4966, {0xB5, 0x20, 0xB7, 0xC5, 0x4F, 0xD3, 0x5E, 0xD6}};
constexpr IID kIidCustomDestinationList = {0x6332DEBF, 0x87B5, 0x4670, {0x90, 0xC0, 0x5E, 0x57, 0xB4, 0x08, 0xA4, 0x9E}};
constexpr IID kIidObjectArray = {0x92CA9DCD, 0x5622, 0x4BBA, {0xA8, 0x05, 0x5E, 0x9F, 0x54, 0x1B, 0xD8, 0xC9}};
constexpr CLSID kClsidShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidShellLinkA = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidPropertyStore = {0x886D8EEB, 0x8CF2, 0x4446, {0x8D, 0x02, 0xCD, 0xBA, 0x1D, 0xBD, 0xCF, 0x99}};
constexpr CLSID kClsidEnumerableObjectCollection = {
    0x2D3468C1, 0x36A7, 0x43B6, {0xAC, 0x24, 0xD3, 0xF0, 0x2F, 0xD9, 0x60, 0x7A}};
constexpr IID kIidObjectCollection = {0x5632B1A4, 0xE38A, 0x400A, {0x92, 0x8A, 0xD4, 0xCD, 0x63, 0x23, 0x02, 0x95}};
constexpr PROPERTYKEY kPkeyTitle = {{0xF29F85E0, 0x4FF9, 0x1068, {0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9}}, 2};

template <class Interface>
HRESULT Create(const CLSID& clsid, const IID& iid, ComPtr<Interface>& object) {
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid,
                          reinterpret_cast<void**>(object.ReleaseAndGetAddressOf()));
}

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

class Win32TaskbarList final : public os::ITaskbarList3 {
 public:
  explicit Win32TaskbarList(ComPtr<::ITaskbarList3> list) : list_(std::move(list)) {}
  HResult SetProgressValue(WindowHandle window, std::uint64_t completed, std::uint64_t total) override {
    return list_->SetProgressValue(Hwnd(window), completed, total);
  }
  HResult SetProgressState(WindowHandle window, std::int32_t flags) override {
    return list_->SetProgressState(Hwnd(window), static_cast<TBPFLAG>(flags));
  }

 private:
  ComPtr<::ITaskbarList3> list_;
};

class Win32PropertyStore final : public os::IPropertyStore {
 public:
  explicit Win32PropertyStore(ComPtr<::IPropertyStore> store) : store_(std::move(store)) {}
  HResult SetTitle(const std::string& title) override {
    std::wstring wide = Utf8ToWide(title);
    PROPVARIANT value;
    PropVariantInit(&value);
    value.vt = VT_LPWSTR;
    value.pwszVal = wide.data();
    // The store copies the value; the text stays ours.
    return store_->SetValue(kPkeyTitle, value);
  }
  HResult Commit() override { return store_->Commit(); }

 private:
  ComPtr<::IPropertyStore> store_;
};

class Win32ShellLink final : public os::IShellLinkA {
 public:
  explicit Win32ShellLink(ComPtr<::IShellLinkA> link) : link_(std::move(link)) {}
  ::IShellLinkA* Native() const { return link_.Get(); }
  HResult SetPath(const std::string& path) override { return link_->SetPath(Utf8ToAnsi(path).c_str()); }
  HResult SetArguments(const std::string& arguments) override {
    return link_->SetArguments(Utf8ToAnsi(arguments).c_str());
  }
  HResult SetIconLocation(const std::string& iconPath, std::int32_t iconIndex) override {
    return link_->SetIconLocation(Utf8ToAnsi(iconPath).c_str(), iconIndex);
  }
  HResult SetDescription(const std::string& description) override {
    return link_->SetDescription(Utf8ToAnsi(description).c_str());
  }
  HResult QueryPropertyStore(std::shared_ptr<os::IPropertyStore>& store) override {
    store.reset();
    ComPtr<::IPropertyStore> native;
    const HRESULT hr = link_->QueryInterface(kIidPropertyStore, reinterpret_cast<void**>(native.GetAddressOf()));
    if (SUCCEEDED(hr) && native) store = std::make_shared<Win32PropertyStore>(std::move(native));
    return hr;
  }

 private:
  ComPtr<::IShellLinkA> link_;
};

class Win32ObjectArray : public os::IObjectArray {
 public:
  explicit Win32ObjectArray(ComPtr<::IObjectArray> array) : array_(std::move(array)) {}
  ::IObjectArray* NativeArray() const { return array_.Get(); }

 private:
  ComPtr<::IObjectArray> array_;
};

class Win32ObjectCollection final : public os::IObjectCollection {
 public:
  Win32ObjectCollection(ComPtr<::IObjectCollection> collection, ComPtr<::IObjectArray> array)
      : collection_(std::move(collection)), array_(std::move(array)) {}
  ::IObjectArray* NativeArray() const { return array_.Get(); }
  HResult AddObject(os::IShellLinkA* link) override {
    // Only links this library made reach here.
    return collection_->AddObject(link ? static_cast<Win32ShellLink*>(link)->Native() : nullptr);
  }

 private:
  ComPtr<::IObjectCollection> collection_;
  ComPtr<::IObjectArray> array_;
};

::IObjectArray* NativeArrayOf(os::IObjectArray& array) {
  if (auto* collection = dynamic_cast<Win32ObjectCollection*>(&array)) return collection->NativeArray();
  if (auto* plain = dynamic_cast<Win32ObjectArray*>(&array)) return plain->NativeArray();
  return nullptr;
}

class Win32DestinationList final : public os::ICustomDestinationList {
 public:
  explicit Win32DestinationList(ComPtr<::ICustomDestinationList> list) : list_(std::move(list)) {}
  HResult BeginList(std::uint32_t& minSlots, std::shared_ptr<os::IObjectArray>& removed) override {
    removed.reset();
    UINT slots = 0;
    ComPtr<::IObjectArray> native;
    const HRESULT hr = list_->BeginList(&slots, kIidObjectArray, reinterpret_cast<void**>(native.GetAddressOf()));
    minSlots = slots;
    if (SUCCEEDED(hr) && native) removed = std::make_shared<Win32ObjectArray>(std::move(native));
    return hr;
  }
  HResult AddUserTasks(os::IObjectArray& tasks) override { return list_->AddUserTasks(NativeArrayOf(tasks)); }
  HResult CommitList() override { return list_->CommitList(); }

 private:
  ComPtr<::ICustomDestinationList> list_;
};

}  // namespace

HResult Win32TaskbarLibrary::InitializeCom(std::uint32_t coInit) { return CoInitializeEx(nullptr, coInit); }

void Win32TaskbarLibrary::UninitializeCom() { CoUninitialize(); }

HResult Win32TaskbarLibrary::CreateTaskbarList(std::shared_ptr<os::ITaskbarList3>& list) {
  list.reset();
  ComPtr<::ITaskbarList3> native;
  const HRESULT hr = Create(kClsidTaskbarList, kIidTaskbarList3, native);
  if (SUCCEEDED(hr) && native) list = std::make_shared<Win32TaskbarList>(std::move(native));
  return hr;
}

HResult Win32TaskbarLibrary::CreateDestinationList(std::shared_ptr<os::ICustomDestinationList>& list) {
  list.reset();
  ComPtr<::ICustomDestinationList> native;
  const HRESULT hr = Create(kClsidDestinationList, kIidCustomDestinationList, native);
  if (SUCCEEDED(hr) && native) list = std::make_shared<Win32DestinationList>(std::move(native));
  return hr;
}

HResult Win32TaskbarLibrary::CreateShellLink(std::shared_ptr<os::IShellLinkA>& link) {
  link.reset();
  ComPtr<::IShellLinkA> native;
  const HRESULT hr = Create(kClsidShellLink, kIidShellLinkA, native);
  if (SUCCEEDED(hr) && native) link = std::make_shared<Win32ShellLink>(std::move(native));
  return hr;
}

HResult Win32TaskbarLibrary::CreateObjectCollection(std::shared_ptr<os::IObjectCollection>& collection) {
  collection.reset();
  ComPtr<::IObjectCollection> native;
  HRESULT hr = Create(kClsidEnumerableObjectCollection, kIidObjectCollection, native);
  if (FAILED(hr) || !native) return hr;
  ComPtr<::IObjectArray> array;
  hr = native->QueryInterface(kIidObjectArray, reinterpret_cast<void**>(array.GetAddressOf()));
  if (FAILED(hr)) return hr;
  collection = std::make_shared<Win32ObjectCollection>(std::move(native), std::move(array));
  return hr;
}

}  // namespace os::win32
