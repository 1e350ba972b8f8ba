#include "common/appmisc.h"

#include <cstdarg>
#include <cwchar>
#include <string>
#include <vector>

#include "common/app.h"
#include "common/app_state.h"
#include "platform/services.h"
#include "platform/system/trace.h"

// ---------------------------------------------------------------------------------------------
// Timer

namespace {
plat::ISystem* System() { return plat::GetServices().system; }

int64_t ReadCounter() {
  plat::ISystem* sys = System();
  return sys ? sys->QueryPerformanceCounter() : 0;
}
}  // namespace

FrameworkTimer::FrameworkTimer() {
  int64_t frequency = 0;
  plat::ISystem* sys = System();
  usingQPF_ = sys && sys->QueryPerformanceFrequency(frequency) && frequency > 0;
  ticksPerSec_ = usingQPF_ ? frequency : 0;
}

int64_t FrameworkTimer::CurrentTick() const { return stopTime_ != 0 ? stopTime_ : ReadCounter(); }

void FrameworkTimer::Reset() {
  if (!usingQPF_) return;
  int64_t t = CurrentTick();
  baseTime_ = t;
  lastElapsedTime_ = t;
  stopTime_ = 0;
  stopped_ = false;
}

void FrameworkTimer::Start() {
  if (!usingQPF_) return;
  int64_t t = ReadCounter();
  if (stopped_) baseTime_ += t - stopTime_;
  stopTime_ = 0;
  lastElapsedTime_ = t;
  stopped_ = false;
}

void FrameworkTimer::Stop() {
  if (!usingQPF_ || stopped_) return;
  int64_t t = CurrentTick();
  stopTime_ = t;
  lastElapsedTime_ = t;
  stopped_ = true;
}

double FrameworkTimer::GetAbsoluteTime() const {
  if (!usingQPF_) return -1.0;
  return static_cast<double>(CurrentTick()) / static_cast<double>(ticksPerSec_);
}

double FrameworkTimer::GetTime() const {
  if (!usingQPF_) return -1.0;
  return static_cast<double>(CurrentTick() - baseTime_) / static_cast<double>(ticksPerSec_);
}

double FrameworkTimer::GetElapsedTime() {
  if (!usingQPF_) return -1.0;
  int64_t t = CurrentTick();
  double elapsed = static_cast<double>(t - lastElapsedTime_) / static_cast<double>(ticksPerSec_);
  lastElapsedTime_ = t;
  return elapsed;
}

namespace {
// Trivially destructible, so it stays usable during the framework's exit handling.
FrameworkTimer& TimerStorage() {
  static FrameworkTimer timer;
  return timer;
}
}  // namespace

FrameworkTimer& AppGetGlobalTimer() { return TimerStorage(); }
void AppResetGlobalTimer() { TimerStorage() = FrameworkTimer(); }

// ---------------------------------------------------------------------------------------------
// Bounded text

namespace {
// Copies `text` (length `len`) into dest, truncating; dest/count already validated.
Result CopyBounded(wchar_t* dest, size_t count, const wchar_t* text, size_t len) {
  size_t n = len < count ? len : count - 1;
  std::wmemcpy(dest, text, n);
  dest[n] = L'\0';
  return n < len ? E_INSUFFICIENT_BUFFER : S_OK;
}
}  // namespace

Result AppStringPrintf(wchar_t* dest, size_t count, const wchar_t* format, ...) {
  if (!dest || count == 0) return E_INVALIDARG;
  if (!format) {
    dest[0] = L'\0';
    return E_INVALIDARG;
  }
  // swprintf reports truncation and encoding errors alike, so expand into a scratch buffer that
  // grows until the text fits, then copy what fits into dest.
  std::vector<wchar_t> scratch(count < 256 ? 256 : count + 1);
  constexpr size_t kLimit = size_t(1) << 20;
  for (;;) {
    va_list args;
    va_start(args, format);
    int written = std::vswprintf(scratch.data(), scratch.size(), format, args);
    va_end(args);
    if (written >= 0) return CopyBounded(dest, count, scratch.data(), static_cast<size_t>(written));
    if (scratch.size() >= kLimit) break;
    scratch.resize(scratch.size() * 4);
  }
  dest[0] = L'\0';
  return E_FAIL;
}

Result AppStringCopy(wchar_t* dest, size_t count, const wchar_t* src) {
  if (!dest || count == 0) return E_INVALIDARG;
  if (!src) {
    dest[0] = L'\0';
    return E_INVALIDARG;
  }
  return CopyBounded(dest, count, src, std::wcslen(src));
}

// ---------------------------------------------------------------------------------------------
// Errors

AppErrorInfo AppGetErrorInfo(Result hr) {
  switch (static_cast<uint32_t>(hr)) {
    case static_cast<uint32_t>(APPERR_NODIRECT3D):
      return {2,
              L"Could not initialize Direct3D. You may want to check that the latest version of "
              L"DirectX is correctly installed on your system.  Also make sure that this program "
              L"was compiled with header files that match the installed DirectX DLLs."};
    case static_cast<uint32_t>(APPERR_NOCOMPATIBLEDEVICES):
      return {3, L"Could not find any compatible Direct3D devices."};
    case static_cast<uint32_t>(APPERR_MEDIANOTFOUND):
      return {4, L"Could not find required media. Ensure that the DirectX SDK is correctly installed."};
    case static_cast<uint32_t>(APPERR_NONZEROREFCOUNT):
      return {5, L"The D3D device has a non-zero reference count, meaning some objects were not released."};
    case static_cast<uint32_t>(APPERR_CREATINGDEVICE):
      return {6, L"Failed creating the Direct3D device."};
    case static_cast<uint32_t>(APPERR_RESETTINGDEVICE):
      return {7, L"Failed resetting the Direct3D device."};
    case static_cast<uint32_t>(APPERR_CREATINGDEVICEOBJECTS):
      return {8, L"Failed creating Direct3D device objects."};
    case static_cast<uint32_t>(APPERR_RESETTINGDEVICEOBJECTS):
      return {9, L"Failed resetting Direct3D device objects."};
    case static_cast<uint32_t>(APPERR_INCORRECTVERSION):
      return {10, L"Incorrect version of Direct3D and/or D3DX."};
    default:
      return {1, nullptr};
  }
}

Result AppDisplayErrorMessage(Result hr) {
  FrameworkState& s = GetAppState();
  AppErrorInfo info = AppGetErrorInfo(hr);
  s.SetExitCode(info.exitCode);
  if (info.text && s.GetShowMsgBoxOnError()) {
    wchar_t text[512];
    AppStringCopy(text, 512, info.text);
    const wchar_t* title = s.WindowTitle();
    std::wstring caption = title[0] != L'\0' ? title : L"DirectX Application";
    if (plat::ISystem* sys = System())
      sys->MessageBox(AppGetHWND(), text, caption, plat::BoxButtons::Ok, true);
  }
  return hr;
}

// ---------------------------------------------------------------------------------------------
// Traces

Result AppTrace(const char* sourceFile, uint32_t line, Result hr, const wchar_t* message, bool popMsgBox) {
  // No boxes at all while the user asked for none.
  if (!GetAppState().GetShowMsgBoxOnError()) popMsgBox = false;
  return plat::TraceResult(sourceFile, line, hr, message, popMsgBox);
}
