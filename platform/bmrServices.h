#pragma once
// Service control in five plain functions: is a service running, read its configuration,
// change its start type, start it, stop it. Each opens the Service Control Manager and the
// service by name, does one thing, closes both handles and answers true or false; the Win32
// code of a failed step comes back through Error. They record nothing and never raise.
// Names are UTF-8 and reach the system as wide text.

#include <cstdint>
#include <string>

#include "platform/os/Services.h"

// The record of a service configuration (QUERY_SERVICE_CONFIGW). bmrServiceConfig fills only
// the service type, the start type and the error control; bmrServiceChangeConfig reads only
// the start type.
using TServiceConfig = os::ServiceConfig;

// True when the service is running (a start-pending one is not). Error is written only when a
// step fails.
bool bmrServiceRunning(const std::string& name);
bool bmrServiceRunning(const std::string& name, std::uint32_t& error);
// Clears config first; true when the configuration was read.
bool bmrServiceConfig(const std::string& name, TServiceConfig& config, std::uint32_t& error);
// Sets config.startType and changes nothing else.
bool bmrServiceChangeConfig(const std::string& name, const TServiceConfig& config, std::uint32_t& error);
// True when the service runs or the start request was accepted; false with Error 0 while it is
// starting or continuing already.
bool bmrServiceStart(const std::string& name, std::uint32_t& error);
// True when the service is stopped, stopping, or accepted the stop request (it does not wait),
// and when it does not exist: there is nothing to stop. Any other failure, a refused open
// included, answers false with the error.
bool bmrServiceStop(const std::string& name, std::uint32_t& error);

// Start-up: the parameter group "System Service related", which never receives a switch.
void InitializeBmrServices();
