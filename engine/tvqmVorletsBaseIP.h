#pragma once
// Firewall kind: a list of remote IPv4 addresses blocked by one outbound rule of the Windows
// Firewall, named after the immunizer's class, grouped under the product title and described
// by the display name. The addresses are one unit: all are applied or none.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/tvqmVorletsBase.h"

struct TIPBlockSetting {
  // Dotted IPv4 text; the only field that reaches the firewall and the details.
  std::string IP;
  // The host name the address belongs to, kept for reference.
  std::string HostName;

  std::string DetailsText() const { return IP; }
};

using TIPBlockSettings = std::vector<TIPBlockSetting>;

// A concrete class only lists its addresses. The kind sends no message: the firewall access
// logs its own failures, and the next count shows whether a change took.
class TCustomWindows10IPImmunization : public TWindows10Immunization {
 public:
  std::int32_t GetCount() override;
  // All addresses when an enabled rule of the class's name exists, else none.
  std::int32_t GetImmunizedCount() override;
  // Leaves exactly one enabled rule of the class's name, with the class's addresses.
  void Immunize() override;
  // Removes every rule of the class's name.
  void Remove() override;
  // "IPs: a, b"
  std::string GetDetailsText() override;
  virtual TIPBlockSettings GetIPBlockSettings() { return {}; }
};
