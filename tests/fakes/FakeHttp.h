#pragma once
// HTTP in memory: replies by address, each with a status, a body, a length header and the
// chunks the body arrives in; a failed transfer with its error text; the client's bounds kept
// as the real client keeps them (on the fake system's clock); every request recorded with its
// user agent. And a recorder of the shell's ShellExecute calls.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/Http.h"
#include "platform/os/Launcher.h"

namespace fakes {

class FakeHttp : public os::IHttp {
 public:
  struct Reply {
    int status = 200;
    std::string reason = "OK";
    std::string body;
    // Content-Length; nullopt: the body's size; 0 and below: none sent.
    std::optional<std::int64_t> length;
    // The sizes of the reads the body arrives in (the rest in one read); the header's bytes
    // come first as a read of their own.
    std::vector<std::size_t> chunks;
    std::size_t headerBytes = 0;
    // A transfer that fails: Get gives false with this text (after the chunks, if any).
    std::optional<std::string> error;
  };
  struct Request {
    std::string url;
    std::string userAgent;
  };

  std::map<std::string, Reply> replies;  // by address; an unknown one fails to resolve
  std::vector<Request> requests;
  int clientsAlive = 0;
  // Runs inside Get after every read count (what a status callback could do meanwhile).
  std::function<void()> duringRead;

  std::unique_ptr<os::IHttpClient> CreateClient() override;
};

class FakeLauncher : public os::ILauncher {
 public:
  struct Call {
    std::uintptr_t owner;
    std::string verb;
    std::string file;
    std::string parameters;
    std::string directory;
    int showCommand;
  };
  std::vector<Call> calls;
  std::intptr_t result = 42;
  // Runs inside each call (what the opened program could meet meanwhile).
  std::function<void(const Call&)> duringExecute;

  std::intptr_t Execute(std::uintptr_t owner, const std::string& verb, const std::string& file,
                        const std::string& parameters, const std::string& directory, int showCommand) override {
    calls.push_back({owner, verb, file, parameters, directory, showCommand});
    if (duringExecute) duringExecute(calls.back());
    return result;
  }
};

}  // namespace fakes
