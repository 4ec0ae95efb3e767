#pragma once
// Records what the debug logger hands its entry handlers while the recorder lives. It starts
// the logger's modules on creation and leaves a live logger behind. Declare it after the
// FakeWindows it logs against (entries read the fake clock and process).

#include <string>
#include <vector>

#include "platform/bmrDebug.h"

namespace fakes {

class DebugEntryRecorder {
 public:
  struct Entry {
    TDebugEntryKind kind;
    std::string senderClass;  // empty for an entry without sender
    std::string message;
  };

  DebugEntryRecorder();
  ~DebugEntryRecorder();
  DebugEntryRecorder(const DebugEntryRecorder&) = delete;
  DebugEntryRecorder& operator=(const DebugEntryRecorder&) = delete;

  const std::vector<Entry>& Entries() const;
  void Clear();
};

}  // namespace fakes
