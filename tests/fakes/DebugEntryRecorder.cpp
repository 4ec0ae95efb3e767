#include "tests/fakes/DebugEntryRecorder.h"

namespace fakes {

namespace {

// Entry handlers are plain functions, so the entries go into a global.
std::vector<DebugEntryRecorder::Entry>& Recorded() {
  static std::vector<DebugEntryRecorder::Entry> entries;
  return entries;
}

void RecordEntry(TDebugEntryKind kind, TDebugType, const TDebugSender* sender, const std::string& message,
                 const TDebugArguments&) {
  Recorded().push_back({kind, sender != nullptr ? sender->ClassName : std::string(), message});
}

}  // namespace

DebugEntryRecorder::DebugEntryRecorder() {
  InitializeBmrDebugConsts();
  InitializeBmrDebug();
  Recorded().clear();
  RegisterLogHandler(RecordEntry);
}

DebugEntryRecorder::~DebugEntryRecorder() {
  FinalizeBmrDebug();
  FinalizeBmrDebugConsts();
  InitializeBmrDebug();
  Recorded().clear();
}

const std::vector<DebugEntryRecorder::Entry>& DebugEntryRecorder::Entries() const { return Recorded(); }

void DebugEntryRecorder::Clear() { Recorded().clear(); }

}  // namespace fakes
