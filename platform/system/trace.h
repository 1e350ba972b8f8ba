#pragma once
// Names for result codes and the failure trace that writes them to the debugger output.
#include <cstdint>

#include "platform/result.h"

namespace plat {

// Symbolic name of a result code ("E_FAIL", "D3DERR_DEVICELOST", ...); "Unknown" when it has none.
const wchar_t* ResultName(Result hr);
// One short sentence about the code; "Unknown error." when it has none.
const wchar_t* ResultDescription(Result hr);

// Writes one line to the debugger output:
//   <file>(<line>): <message> hr=<name> (0x<code in 8 hex digits>)
// and, with popMsgBox, asks in an error box whether to debug; "Yes" breaks into the debugger
// only when one is attached. sourceFile and message may be null. Returns hr.
Result TraceResult(const char* sourceFile, uint32_t line, Result hr, const wchar_t* message,
                   bool popMsgBox);

}  // namespace plat
