#include "platform/os/win32/Win32Trust.h"

#include <windows.h>
#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include <string>

#include "platform/os/win32/Handles.h"
#include "platform/os/win32/Text.h"

namespace os::win32 {
namespace {

// The subject of the certificate that made the first signature.
std::string SignerName(HANDLE state) {
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state);
  if (provider == nullptr) return {};
  CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
  if (signer == nullptr) return {};
  CRYPT_PROVIDER_CERT* certificate = WTHelperGetProvCertFromChain(signer, 0);
  if (certificate == nullptr || certificate->pCert == nullptr) return {};
  const DWORD length = CertGetNameStringW(certificate->pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (length <= 1) return {};
  std::wstring name(length, L'\0');
  CertGetNameStringW(certificate->pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), length);
  name.resize(length - 1);
  return WideToUtf8(name);
}

class Win32HeldFile final : public os::IHeldFile {
 public:
  Win32HeldFile(UniqueKernelHandle file, std::wstring path) : file_(std::move(file)), path_(std::move(path)) {}

  os::SignatureCheck VerifySignature() override { return VerifyFileHandle(file_.Get(), path_); }

 private:
  UniqueKernelHandle file_;
  std::wstring path_;
};

}  // namespace

os::SignatureCheck VerifyFileHandle(void* handle, const std::wstring& path) {
  WINTRUST_FILE_INFO fileInfo{};
  fileInfo.cbStruct = sizeof(fileInfo);
  fileInfo.pcwszFilePath = path.c_str();
  // The bytes verified are those of this handle, not of whatever the path names by then.
  fileInfo.hFile = static_cast<HANDLE>(handle);
  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  HWND noUser = static_cast<HWND>(INVALID_HANDLE_VALUE);
  os::SignatureCheck check;
  check.status = static_cast<std::uint32_t>(WinVerifyTrust(noUser, &action, &data));
  if (check.status == 0) check.signer = SignerName(data.hWVTStateData);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(noUser, &action, &data);
  return check;
}

std::unique_ptr<os::IHeldFile> Win32Trust::Hold(const std::string& path, std::uint32_t& error) {
  std::wstring widePath = Utf8ToWide(path);
  // Shared for reading only: the installer that the shell starts reads it, nobody writes,
  // renames or deletes it meanwhile.
  UniqueKernelHandle file(CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = GetLastError();
    return nullptr;
  }
  error = 0;
  return std::make_unique<Win32HeldFile>(std::move(file), std::move(widePath));
}

}  // namespace os::win32
