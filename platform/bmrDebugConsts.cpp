#include "platform/bmrDebugConsts.h"

#include <memory>

namespace {

std::unique_ptr<THandlerData> g_handlerData;

}  // namespace

THandlerData& DebugHandlerData() {
  if (!g_handlerData) g_handlerData = std::make_unique<THandlerData>();
  return *g_handlerData;
}

void InitializeBmrDebugConsts() { g_handlerData.reset(); }

void FinalizeBmrDebugConsts() { g_handlerData.reset(); }
