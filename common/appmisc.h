#pragma once
// Framework helpers: the frame timer and bounded wide-text building.
#include <cstddef>
#include <cstdint>

#include "platform/result.h"

// High-resolution timer over the platform counter. Counts in counter ticks; every query
// converts in 64-bit floating point. Does nothing (queries give -1.0) without a counter.
class FrameworkTimer {
 public:
  FrameworkTimer();  // stopped; reads the counter frequency

  void Reset();  // time starts again from 0 and runs
  void Start();  // resumes; time continues where Stop left it
  void Stop();
  double GetAbsoluteTime() const;  // seconds on the counter
  double GetTime() const;          // seconds since the base time
  double GetElapsedTime();         // seconds since the previous call (0 while stopped)
  bool IsStopped() const { return stopped_; }

 private:
  int64_t CurrentTick() const;  // the stop time while stopped, else a fresh reading

  bool usingQPF_ = false;
  bool stopped_ = true;
  int64_t ticksPerSec_ = 0;
  int64_t stopTime_ = 0;
  int64_t lastElapsedTime_ = 0;
  int64_t baseTime_ = 0;
};

// The framework's one timer, created on first use.
FrameworkTimer& AppGetGlobalTimer();
// Builds the timer afresh (reads the counter frequency again); for tests.
void AppResetGlobalTimer();

// Bounded text building: `dest` holds `count` characters including the terminator. The text is
// truncated to fit and `dest` is always terminated. E_INVALIDARG for a null or zero-sized buffer
// (nothing is written), E_INSUFFICIENT_BUFFER when the text was truncated, E_FAIL when the
// format cannot be expanded at all (dest then holds the empty string). Formats follow
// swprintf: %ls for wide strings.
Result AppStringPrintf(wchar_t* dest, size_t count, const wchar_t* format, ...);
Result AppStringCopy(wchar_t* dest, size_t count, const wchar_t* src);

// The process exit code AppDisplayErrorMessage sets for `hr` and the text of its box: what went
// wrong, then what the user can do about it. Both texts are null for codes that show no box
// (exit code 1).
struct AppErrorInfo {
  int exitCode = 1;
  const wchar_t* text = nullptr;
  const wchar_t* advice = nullptr;
};
AppErrorInfo AppGetErrorInfo(Result hr);
