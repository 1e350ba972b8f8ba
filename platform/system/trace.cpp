#include "platform/system/trace.h"

#include <array>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>

#include "platform/services.h"
#include "platform/system/text.h"

namespace plat {

namespace {

struct ResultInfo {
  Result code;
  const wchar_t* name;
  const wchar_t* description;
};

constexpr std::array kResults = {
    ResultInfo{S_OK, L"S_OK", L"The operation succeeded."},
    ResultInfo{S_FALSE, L"S_FALSE", L"The operation succeeded with nothing to do."},
    ResultInfo{E_FAIL, L"E_FAIL", L"Unspecified error."},
    ResultInfo{E_ABORT, L"E_ABORT", L"The operation was aborted."},
    ResultInfo{E_INVALIDARG, L"E_INVALIDARG", L"An argument is not valid."},
    ResultInfo{E_OUTOFMEMORY, L"E_OUTOFMEMORY", L"Not enough memory."},
    ResultInfo{E_NOTIMPL, L"E_NOTIMPL", L"Not implemented."},
    ResultInfo{E_INSUFFICIENT_BUFFER, L"E_INSUFFICIENT_BUFFER",
               L"The buffer was too small; the text was truncated."},
    ResultInfo{CO_E_NOTINITIALIZED, L"CO_E_NOTINITIALIZED", L"The object has not been initialised."},
    ResultInfo{D3DERR_DEVICELOST, L"D3DERR_DEVICELOST",
               L"The device is lost and cannot be reset yet."},
    ResultInfo{D3DERR_DEVICENOTRESET, L"D3DERR_DEVICENOTRESET",
               L"The device is lost but can be reset now."},
    ResultInfo{D3DERR_DRIVERINTERNALERROR, L"D3DERR_DRIVERINTERNALERROR",
               L"Internal driver error."},
    ResultInfo{D3DERR_NOTAVAILABLE, L"D3DERR_NOTAVAILABLE",
               L"The requested format or feature is not available."},
    ResultInfo{D3DERR_INVALIDCALL, L"D3DERR_INVALIDCALL", L"Invalid call."},
    ResultInfo{D3DERR_OUTOFVIDEOMEMORY, L"D3DERR_OUTOFVIDEOMEMORY", L"Out of video memory."},
    ResultInfo{D3DXERR_INVALIDDATA, L"D3DXERR_INVALIDDATA", L"The data is not valid."},
    ResultInfo{DSERR_NODRIVER, L"DSERR_NODRIVER", L"No sound driver is available."},
    ResultInfo{DSERR_BADFORMAT, L"DSERR_BADFORMAT", L"The sound format is not supported."},
    ResultInfo{DSERR_ALLOCATED, L"DSERR_ALLOCATED", L"The sound device is already in use."},
    ResultInfo{APPERR_NODIRECT3D, L"APPERR_NODIRECT3D", L"The graphics system could not be started."},
    ResultInfo{APPERR_NOCOMPATIBLEDEVICES, L"APPERR_NOCOMPATIBLEDEVICES",
               L"No compatible graphics device was found."},
    ResultInfo{APPERR_MEDIANOTFOUND, L"APPERR_MEDIANOTFOUND", L"A required media file was not found."},
    ResultInfo{APPERR_NONZEROREFCOUNT, L"APPERR_NONZEROREFCOUNT",
               L"The graphics device still had references when it was released."},
    ResultInfo{APPERR_CREATINGDEVICE, L"APPERR_CREATINGDEVICE", L"The graphics device could not be created."},
    ResultInfo{APPERR_RESETTINGDEVICE, L"APPERR_RESETTINGDEVICE", L"The graphics device could not be reset."},
    ResultInfo{APPERR_CREATINGDEVICEOBJECTS, L"APPERR_CREATINGDEVICEOBJECTS",
               L"The objects of the graphics device could not be created."},
    ResultInfo{APPERR_RESETTINGDEVICEOBJECTS, L"APPERR_RESETTINGDEVICEOBJECTS",
               L"The objects of the graphics device could not be reset."},
    ResultInfo{APPERR_INCORRECTVERSION, L"APPERR_INCORRECTVERSION",
               L"The installed graphics library does not have the expected version."},
};

const ResultInfo* Find(Result hr) {
  for (const ResultInfo& info : kResults) {
    if (info.code == hr) return &info;
  }
  return nullptr;
}

// Bounds on the pieces of a trace, so a runaway message cannot build an unbounded line or box.
constexpr size_t kMaxFile = 260;
constexpr size_t kMaxMessage = 1024;

std::wstring Bounded(std::wstring text, size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

std::wstring FileText(const char* sourceFile) {
  if (sourceFile == nullptr) return {};
  const size_t length = ::strnlen(sourceFile, kMaxFile * 4);
  return Bounded(Utf8ToWide(std::string_view(sourceFile, length)), kMaxFile);
}

std::wstring MessageText(const wchar_t* message) {
  if (message == nullptr) return {};
  return Bounded(std::wstring(message, ::wcsnlen(message, kMaxMessage)), kMaxMessage);
}

std::wstring CodeText(Result hr) {
  wchar_t hex[16];
  std::swprintf(hex, std::size(hex), L"0x%08x", static_cast<unsigned>(static_cast<uint32_t>(hr)));
  return std::wstring(ResultName(hr)) + L" (" + hex + L")";
}

}  // namespace

const wchar_t* ResultName(Result hr) {
  const ResultInfo* info = Find(hr);
  return info != nullptr ? info->name : L"Unknown";
}

const wchar_t* ResultDescription(Result hr) {
  const ResultInfo* info = Find(hr);
  return info != nullptr ? info->description : L"Unknown error.";
}

Result TraceResult(const char* sourceFile, uint32_t line, Result hr, const wchar_t* message,
                   bool popMsgBox) {
  ISystem* system = GetServices().system;
  if (system == nullptr) return hr;

  const std::wstring file = FileText(sourceFile);
  const std::wstring lineText = std::to_wstring(line);
  const std::wstring msg = MessageText(message);
  const std::wstring code = CodeText(hr);

  std::wstring out = file + L"(" + lineText + L"): ";
  if (!msg.empty()) out += msg + L" ";
  out += L"hr=" + code + L"\n";
  system->OutputDebugString(out);

  if (popMsgBox) {
    std::wstring calling;
    if (!msg.empty()) calling = L"Calling: " + msg + L"\n";
    const std::wstring text = L"File: " + file + L"\nLine: " + lineText + L"\nError Code: " + code +
                              L"\n" + calling + L"Do you want to debug the application?";
    const BoxAnswer answer =
        system->MessageBox(nullptr, text, L"Unexpected error encountered", BoxButtons::YesNo, true);
    // Breaking without a debugger would kill the process, so "Yes" then does nothing.
    if (answer == BoxAnswer::Yes && system->IsDebuggerPresent()) system->DebugBreak();
  }
  return hr;
}

}  // namespace plat
