// The failure trace: one line per call in a fixed format, the optional box, and the code names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/system/sdl_system.h"
#include "platform/system/trace.h"
#include "tests/fakes/fake_system.h"

namespace {

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::Services s;
    s.system = &system;
    plat::SetServices(s);
  }
  void TearDown() override { plat::SetServices(plat::Services{}); }
  fake::FakeSystem system;
};

TEST_F(TraceTest, WritesOneLineWithFileLineMessageNameAndCode) {
  EXPECT_EQ(plat::TraceResult("common/app", 1234, E_FAIL, L"CreateDevice", false), E_FAIL);
  plat::TraceResult(nullptr, 5, MakeResult(0x80001234u), nullptr, false);
  plat::TraceResult("f", 1, APPERR_MEDIANOTFOUND, L"DeviceCreated callback", false);
  EXPECT_EQ(system.writes, (std::vector<std::wstring>{L"common/app(1234): CreateDevice hr=E_FAIL (0x80004005)\n",
                                                      L"(5): hr=Unknown (0x80001234)\n",
                                                      L"f(1): DeviceCreated callback hr=APPERR_MEDIANOTFOUND (0x80040903)\n"}));
  EXPECT_TRUE(system.shown.empty());
  // Huge texts are cut, the line still ends with the code.
  plat::TraceResult(std::string(100000, 'f').c_str(), 1, E_FAIL, std::wstring(100000, L'm').c_str(), true);
  ASSERT_EQ(system.writes.size(), 4u);
  EXPECT_LT(system.writes[3].size(), 2000u);
  EXPECT_EQ(system.writes[3].substr(system.writes[3].size() - 24), L" hr=E_FAIL (0x80004005)\n");
  ASSERT_EQ(system.shown.size(), 1u);
  EXPECT_LT(system.shown[0].text.size(), 2000u);
}

TEST_F(TraceTest, EveryFrameworkCodeHasItsName) {
  const std::pair<Result, const wchar_t*> expected[] = {
      {APPERR_NODIRECT3D, L"APPERR_NODIRECT3D"},
      {APPERR_NOCOMPATIBLEDEVICES, L"APPERR_NOCOMPATIBLEDEVICES"},
      {APPERR_MEDIANOTFOUND, L"APPERR_MEDIANOTFOUND"},
      {APPERR_NONZEROREFCOUNT, L"APPERR_NONZEROREFCOUNT"},
      {APPERR_CREATINGDEVICE, L"APPERR_CREATINGDEVICE"},
      {APPERR_RESETTINGDEVICE, L"APPERR_RESETTINGDEVICE"},
      {APPERR_CREATINGDEVICEOBJECTS, L"APPERR_CREATINGDEVICEOBJECTS"},
      {APPERR_RESETTINGDEVICEOBJECTS, L"APPERR_RESETTINGDEVICEOBJECTS"},
      {APPERR_INCORRECTVERSION, L"APPERR_INCORRECTVERSION"},
      {D3DERR_DEVICELOST, L"D3DERR_DEVICELOST"},
      {E_FAIL, L"E_FAIL"},
  };
  for (const auto& [code, name] : expected) {
    EXPECT_STREQ(plat::ResultName(code), name);
    EXPECT_STRNE(plat::ResultDescription(code), L"Unknown error.");
  }
}

TEST_F(TraceTest, BoxAsksWhetherToDebugAndYesBreaksOnlyUnderADebugger) {
  plat::TraceResult("common/app", 88, APPERR_CREATINGDEVICE, L"CreateDevice", true);
  ASSERT_EQ(system.shown.size(), 1u);
  EXPECT_EQ(system.shown[0].caption, L"Unexpected error encountered");
  EXPECT_EQ(system.shown[0].buttons, plat::BoxButtons::YesNo);
  EXPECT_TRUE(system.shown[0].errorIcon);
  EXPECT_EQ(system.shown[0].text,
            L"File: common/app\nLine: 88\nError Code: APPERR_CREATINGDEVICE (0x80040905)\n"
            L"Calling: CreateDevice\nDo you want to debug the application?");
  EXPECT_EQ(system.writes.size(), 1u);
  const std::pair<bool, plat::BoxAnswer> runs[] = {
      {false, plat::BoxAnswer::Yes}, {true, plat::BoxAnswer::Yes}, {true, plat::BoxAnswer::No}};
  for (const auto& [debugger, answer] : runs) {
    system.debuggerPresent = debugger;
    system.answers = {answer};
    plat::TraceResult("a", 1, E_FAIL, L"x", true);
  }
  EXPECT_EQ(system.debugBreaks, 1);
  // The real break, without a debugger, must not end the process.
  plat::SdlSystem real;
  if (!real.IsDebuggerPresent()) real.DebugBreak();
  // Nothing installed: the code comes back quietly.
  plat::SetServices(plat::Services{});
  EXPECT_EQ(plat::TraceResult("a", 1, E_ABORT, L"x", true), E_ABORT);
}

}  // namespace
