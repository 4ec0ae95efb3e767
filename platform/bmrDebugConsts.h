#pragma once
// The types the debug logger shares with its handlers: the scope of an entry, its argument
// list, the handler signatures and the two handler lists.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Defined in platform/bmrDebug.h; declared here so the handler signatures can name them.
enum TDebugEntryKind : std::uint8_t;
struct TDebugSender;

// What an entry is about.
enum TDebugType : std::uint8_t {
  dtNone,
  dtProcess,
  dtThread,
  dtMethod,
  dtUnitConstructor,
  dtUnitDestructor,
  dtVariable,
};

// One argument of an entry: an integer, a Boolean, a text, or a value of another kind
// (std::monostate), which the line shows as "?".
using TDebugArgument = std::variant<std::monostate, std::int64_t, bool, std::string>;
using TDebugArguments = std::vector<TDebugArgument>;

// Receives the text line of every entry.
using TDebugLineHandler = void (*)(const std::string& line);
// Receives every entry: kind, scope, sender (null when the entry has none), message and
// argument list; the level is not passed.
using TDebugEntryHandler = void (*)(TDebugEntryKind kind, TDebugType scope, const TDebugSender* sender,
                                    const std::string& message, const TDebugArguments& args);

// The registered handlers, called in list order (first registered first).
class THandlerData {
 public:
  std::vector<TDebugLineHandler> LineHandlers;
  std::vector<TDebugEntryHandler> EntryHandlers;
};

// The one instance; created on first use.
THandlerData& DebugHandlerData();

// Start-up: no handler lists yet.
void InitializeBmrDebugConsts();
// Shut-down: frees the handler lists.
void FinalizeBmrDebugConsts();
