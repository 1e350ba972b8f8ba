// The failure trace line, its optional box, and the result-code names.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/system/sdl_system.h"
#include "platform/system/trace.h"

namespace {

class RecordingSystem : public plat::ISystem {
 public:
  std::vector<std::wstring> writes;
  struct Box {
    std::wstring text, caption;
    plat::BoxButtons buttons;
    bool errorIcon;
  };
  std::vector<Box> boxes;
  plat::BoxAnswer answer = plat::BoxAnswer::No;
  bool debugger = false;
  int breaks = 0;

  bool QueryPerformanceFrequency(int64_t& f) const override { f = 1000; return true; }
  int64_t QueryPerformanceCounter() const override { return 0; }
  void Sleep(uint32_t) override {}
  void OutputDebugString(const std::wstring& text) override { writes.push_back(text); }
  plat::BoxAnswer MessageBox(plat::WindowHandle, const std::wstring& text, const std::wstring& caption,
                             plat::BoxButtons buttons, bool errorIcon) override {
    boxes.push_back({text, caption, buttons, errorIcon});
    return answer;
  }
  bool IsDebuggerPresent() const override { return debugger; }
  void DebugBreak() override { ++breaks; }
  std::wstring GetCommandLine() const override { return {}; }
  bool ReadWholeFile(const std::wstring&, std::vector<uint8_t>&) const override { return false; }
};

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::Services s;
    s.system = &system;
    plat::SetServices(s);
  }
  void TearDown() override { plat::SetServices(plat::Services{}); }
  RecordingSystem system;
};

TEST_F(TraceTest, WritesOneLineWithFileLineMessageNameAndCode) {
  EXPECT_EQ(plat::TraceResult("common/app", 1234, E_FAIL, L"CreateDevice", false), E_FAIL);
  ASSERT_EQ(system.writes.size(), 1u);
  EXPECT_EQ(system.writes[0], L"common/app(1234): CreateDevice hr=E_FAIL (0x80004005)\n");
  EXPECT_TRUE(system.boxes.empty());

  plat::TraceResult("arena", 7, D3DERR_DEVICELOST, L"pd3dDevice->EndScene()", false);
  ASSERT_EQ(system.writes.size(), 2u);
  EXPECT_EQ(system.writes[1], L"arena(7): pd3dDevice->EndScene() hr=D3DERR_DEVICELOST (0x88760868)\n");
}

TEST_F(TraceTest, UnknownCodesAndMissingTextsStillGiveAWholeLine) {
  plat::TraceResult("x.cpp", 0, MakeResult(0x0000ABCDu), nullptr, false);
  plat::TraceResult(nullptr, 5, MakeResult(0x80001234u), L"", false);
  ASSERT_EQ(system.writes.size(), 2u);
  EXPECT_EQ(system.writes[0], L"x.cpp(0): hr=Unknown (0x0000abcd)\n");
  EXPECT_EQ(system.writes[1], L"(5): hr=Unknown (0x80001234)\n");
}

TEST_F(TraceTest, FrameworkCodesHaveTheirNames) {
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
  };
  for (const auto& [code, name] : expected) {
    EXPECT_STREQ(plat::ResultName(code), name);
    EXPECT_STRNE(plat::ResultDescription(code), L"Unknown error.");
  }
  plat::TraceResult("f", 1, APPERR_MEDIANOTFOUND, L"DeviceCreated callback", false);
  EXPECT_EQ(system.writes.back(), L"f(1): DeviceCreated callback hr=APPERR_MEDIANOTFOUND (0x80040903)\n");
}

TEST(ResultNames, EveryDeclaredCodeHasItsOwnName) {
  const Result all[] = {S_OK, S_FALSE, E_FAIL, E_ABORT, E_INVALIDARG, E_OUTOFMEMORY, E_NOTIMPL,
                        E_INSUFFICIENT_BUFFER, CO_E_NOTINITIALIZED, D3DERR_DEVICELOST,
                        D3DERR_DEVICENOTRESET, D3DERR_DRIVERINTERNALERROR, D3DERR_NOTAVAILABLE,
                        D3DERR_INVALIDCALL, D3DERR_OUTOFVIDEOMEMORY, D3DXERR_INVALIDDATA, DSERR_NODRIVER,
                        DSERR_BADFORMAT, DSERR_ALLOCATED, APPERR_NODIRECT3D, APPERR_NOCOMPATIBLEDEVICES,
                        APPERR_MEDIANOTFOUND, APPERR_NONZEROREFCOUNT, APPERR_CREATINGDEVICE,
                        APPERR_RESETTINGDEVICE, APPERR_CREATINGDEVICEOBJECTS,
                        APPERR_RESETTINGDEVICEOBJECTS, APPERR_INCORRECTVERSION};
  std::set<std::wstring> names;
  for (Result r : all) {
    const std::wstring name = plat::ResultName(r);
    EXPECT_NE(name, L"Unknown") << std::hex << r;
    EXPECT_TRUE(names.insert(name).second) << "duplicate name " << std::string(name.begin(), name.end());
  }
  EXPECT_STREQ(plat::ResultName(E_FAIL), L"E_FAIL");
  EXPECT_STREQ(plat::ResultName(CO_E_NOTINITIALIZED), L"CO_E_NOTINITIALIZED");
  EXPECT_STREQ(plat::ResultName(MakeResult(0x80049999u)), L"Unknown");
  EXPECT_STREQ(plat::ResultDescription(MakeResult(0x80049999u)), L"Unknown error.");
}

TEST_F(TraceTest, BoxAsksWhetherToDebugWithTheCallingText) {
  plat::TraceResult("common/app", 88, APPERR_CREATINGDEVICE, L"CreateDevice", true);
  ASSERT_EQ(system.boxes.size(), 1u);
  const auto& box = system.boxes[0];
  EXPECT_EQ(box.caption, L"Unexpected error encountered");
  EXPECT_EQ(box.buttons, plat::BoxButtons::YesNo);
  EXPECT_TRUE(box.errorIcon);
  EXPECT_EQ(box.text,
            L"File: common/app\nLine: 88\nError Code: APPERR_CREATINGDEVICE (0x80040905)\n"
            L"Calling: CreateDevice\nDo you want to debug the application?");
  EXPECT_EQ(system.writes.size(), 1u);

  plat::TraceResult("a", 2, E_FAIL, nullptr, true);
  ASSERT_EQ(system.boxes.size(), 2u);
  EXPECT_EQ(system.boxes[1].text,
            L"File: a\nLine: 2\nError Code: E_FAIL (0x80004005)\nDo you want to debug the application?");
}

TEST_F(TraceTest, YesBreaksOnlyWhenADebuggerIsAttached) {
  system.answer = plat::BoxAnswer::Yes;
  system.debugger = false;
  plat::TraceResult("a", 1, E_FAIL, L"x", true);
  EXPECT_EQ(system.breaks, 0);

  system.debugger = true;
  plat::TraceResult("a", 1, E_FAIL, L"x", true);
  EXPECT_EQ(system.breaks, 1);

  system.answer = plat::BoxAnswer::No;
  plat::TraceResult("a", 1, E_FAIL, L"x", true);
  EXPECT_EQ(system.breaks, 1);
}

TEST(RealSystemBreak, WithoutADebuggerTheProcessGoesOn) {
  plat::SdlSystem real;
  if (real.IsDebuggerPresent()) GTEST_SKIP() << "running under a debugger";
  real.DebugBreak();  // would end the process with SIGTRAP if it raised unconditionally
  SUCCEED();
}

TEST_F(TraceTest, HugeTextsAreBounded) {
  const std::wstring huge(100000, L'm');
  const std::string hugeFile(100000, 'f');
  plat::TraceResult(hugeFile.c_str(), 1, E_FAIL, huge.c_str(), true);
  ASSERT_EQ(system.writes.size(), 1u);
  EXPECT_LT(system.writes[0].size(), 2000u);
  EXPECT_EQ(system.writes[0].back(), L'\n');
  EXPECT_NE(system.writes[0].find(L" hr=E_FAIL (0x80004005)\n"), std::wstring::npos);
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_LT(system.boxes[0].text.size(), 2000u);
}

TEST(TraceWithoutServices, ReturnsTheCodeQuietly) {
  plat::SetServices(plat::Services{});
  EXPECT_EQ(plat::TraceResult("a", 1, E_ABORT, L"x", true), E_ABORT);
}

}  // namespace
