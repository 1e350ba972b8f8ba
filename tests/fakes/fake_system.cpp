#include "tests/fakes/fake_system.h"

namespace fake {

std::wstring FakeSystem::AllDebugOutput() const {
  std::wstring all;
  for (const std::wstring& line : debugOutput) all += line;
  return all;
}

bool FakeSystem::QueryPerformanceFrequency(int64_t& ticksPerSecond) const {
  if (!hasCounter) return false;
  ticksPerSecond = frequency;
  return true;
}

int64_t FakeSystem::QueryPerformanceCounter() const {
  int64_t now = counter;
  counter += ticksPerQuery;
  return now;
}

void FakeSystem::Sleep(uint32_t milliseconds) {
  sleeps.push_back(milliseconds);
  if (sleepAdvancesClock) counter += static_cast<int64_t>(milliseconds) * frequency / 1000;
}

void FakeSystem::OutputDebugString(const std::wstring& text) { debugOutput.push_back(text); }

plat::BoxAnswer FakeSystem::MessageBox(plat::WindowHandle owner, const std::wstring& text,
                                       const std::wstring& caption, plat::BoxButtons buttons, bool errorIcon) {
  boxes.push_back(Box{owner, text, caption, buttons, errorIcon});
  if (buttons == plat::BoxButtons::Ok) return plat::BoxAnswer::Ok;
  if (!answers.empty()) {
    plat::BoxAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  return defaultAnswer;
}

bool FakeSystem::ReadWholeFile(const std::wstring& name, std::vector<uint8_t>& bytes) const {
  auto it = files.find(name);
  if (it == files.end()) return false;
  bytes = it->second;
  return true;
}

}  // namespace fake
