#pragma once
// Authenticode as the download uses it: the file held open so that nobody can write, replace
// or delete it, and its signature verified through that same handle (WinVerifyTrust with the
// generic verify action, no UI). The Win32 implementation is wintrust and crypt32.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/os/Seams.h"

namespace os {

// Codes WinVerifyTrust gives (HRESULTs); any code but 0 refuses the file.
inline constexpr std::uint32_t kTrustNoSignature = 0x800B0100;    // TRUST_E_NOSIGNATURE
inline constexpr std::uint32_t kTrustBadDigest = 0x80096010;      // TRUST_E_BAD_DIGEST
inline constexpr std::uint32_t kTrustUntrustedRoot = 0x800B0109;  // CERT_E_UNTRUSTEDROOT
inline constexpr std::uint32_t kTrustChaining = 0x800B010A;       // CERT_E_CHAINING
inline constexpr std::uint32_t kTrustExpired = 0x800B0101;        // CERT_E_EXPIRED

struct SignatureCheck {
  // 0: signed, unchanged since, by a chain that ends in a root the machine trusts.
  std::uint32_t status = 0;
  // With status 0: the signing certificate's subject as Windows shows it (CertGetNameStringW,
  // CERT_NAME_SIMPLE_DISPLAY_TYPE: its common name); empty when it cannot be read.
  std::string signer;
};

// An open handle of a file (CreateFileW, GENERIC_READ, FILE_SHARE_READ only): while it lives,
// the file can be read by others but not written, replaced or deleted. Closed when it goes.
class IHeldFile {
 public:
  virtual ~IHeldFile() = default;
  // WinVerifyTrust of this handle's file (WINTRUST_FILE_INFO with hFile set), state opened for
  // the signer's name and closed again.
  virtual SignatureCheck VerifySignature() = 0;
};

class ITrust {
 public:
  virtual ~ITrust() = default;
  // Opens path as IHeldFile; null, with the Win32 error code in error, when it cannot.
  virtual std::unique_ptr<IHeldFile> Hold(const std::string& path, std::uint32_t& error) = 0;
};

inline ITrust& Trust() { return Get<ITrust>(); }

}  // namespace os
