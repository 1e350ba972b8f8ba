#include "game/debug_output.h"

#include <string>

#include "platform/services.h"

void DebugOutput(std::wstring_view text) {
  if (plat::ISystem* system = plat::GetServices().system) system->OutputDebugString(std::wstring(text));
}
