#pragma once
// The game's short progress lines go to the debugger output of the installed system services.
#include <string_view>

// One write to the debugger output; nothing happens while no system services are installed.
void DebugOutput(std::wstring_view text);
