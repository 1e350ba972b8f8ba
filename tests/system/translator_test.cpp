// SDL events into window messages, with synthetic events and a fake clock.
#include <gtest/gtest.h>

#include <vector>

#include "platform/system/event_translator.h"

namespace {

using namespace plat;

WindowHandle Handle(uintptr_t v) { return reinterpret_cast<WindowHandle>(v); }

class FakeFacts : public IWindowFacts {
 public:
  std::vector<WindowFacts> windows;
  uint16_t mods = 0;
  WindowFacts Find(uint32_t id) const override {
    if (id == 0) return windows.size() == 1 ? windows[0] : WindowFacts{};
    if (id <= windows.size()) return windows[id - 1];
    return {};
  }
  std::vector<WindowHandle> All() const override {
    std::vector<WindowHandle> all;
    for (const auto& w : windows) all.push_back(w.window);
    return all;
  }
  uint16_t KeyModifiers() const override { return mods; }
};

class Translation : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowFacts a;
    a.window = Handle(0x1000);
    a.clientX = 300;
    a.clientY = 200;
    a.clientWidth = 640;
    a.clientHeight = 480;
    facts.windows.push_back(a);
  }
  std::vector<Msg> Run(const SDL_Event& e, uint64_t now = 0) {
    std::vector<Msg> out;
    translator.Translate(e, facts, now, out);
    return out;
  }
  static SDL_Event Key(bool down, SDL_Keycode key, uint16_t mod = 0, bool repeat = false,
                       SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = 1;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = scancode;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat ? 1 : 0;
    return e;
  }
  static SDL_Event Button(bool down, uint8_t button, int x, int y, uint8_t clicks = 1) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = 1;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    e.button.clicks = clicks;
    return e;
  }
  static SDL_Event Window(uint8_t event, int d1 = 0, int d2 = 0, uint32_t id = 1) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = id;
    e.window.event = event;
    e.window.data1 = d1;
    e.window.data2 = d2;
    return e;
  }
  WindowHandle w() const { return facts.windows[0].window; }

  FakeFacts facts;
  EventTranslator translator;
};

TEST(VirtualKeys, TableCoversLettersDigitsFunctionAndNamedKeys) {
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_A), uint32_t('A'));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_z, SDL_SCANCODE_Z), uint32_t('Z'));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0), uint32_t('0'));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_9, SDL_SCANCODE_9), uint32_t('9'));
  const SDL_Keycode f[] = {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4, SDLK_F5, SDLK_F6,
                           SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12};
  for (uint32_t i = 0; i < 12; ++i) EXPECT_EQ(VirtualKeyFromSdl(f[i], SDL_SCANCODE_UNKNOWN), VK_F1 + i);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_F13, SDL_SCANCODE_UNKNOWN), 0x7Cu);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), 0x1Bu);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_PAUSE, SDL_SCANCODE_PAUSE), 0x13u);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RETURN, SDL_SCANCODE_RETURN), 0x0Du);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), 0x0Du);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFT, SDL_SCANCODE_LEFT), 0x25u);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_UP, SDL_SCANCODE_UP), 0x26u);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RIGHT, SDL_SCANCODE_RIGHT), 0x27u);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN, SDL_SCANCODE_DOWN), 0x28u);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_SPACE, SDL_SCANCODE_SPACE), 0x20u);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_LALT, SDL_SCANCODE_LALT), uint32_t(VK_MENU));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT), uint32_t(VK_SHIFT));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RCTRL, SDL_SCANCODE_RCTRL), uint32_t(VK_CONTROL));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_7, SDL_SCANCODE_KP_7), 0x67u);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_LGUI, SDL_SCANCODE_LGUI), uint32_t(VK_LWIN));
  // A non-Latin layout: the key code is a Cyrillic letter, the physical key is still Q.
  EXPECT_EQ(VirtualKeyFromSdl(0x0439, SDL_SCANCODE_Q), uint32_t('Q'));
  EXPECT_EQ(VirtualKeyFromSdl(0x0439, SDL_SCANCODE_UNKNOWN), 0u);
}

TEST_F(Translation, KeysCarryTheCodeAndTheAltBitOnlyWithAlt) {
  auto m = Run(Key(true, SDLK_ESCAPE));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].window, w());
  EXPECT_EQ(m[0].message, uint32_t(WM_KEYDOWN));
  EXPECT_EQ(m[0].wParam, WPARAM(VK_ESCAPE));
  EXPECT_EQ(m[0].lParam & kAltBit, 0);
  EXPECT_EQ(m[0].lParam & (LPARAM(1) << 30), 0);

  m = Run(Key(true, SDLK_RETURN, KMOD_LALT));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_SYSKEYDOWN));
  EXPECT_EQ(m[0].wParam, WPARAM(VK_RETURN));
  EXPECT_NE(m[0].lParam & kAltBit, 0);

  m = Run(Key(false, SDLK_RETURN, KMOD_RALT));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_SYSKEYUP));
  EXPECT_NE(m[0].lParam & kAltBit, 0);
  EXPECT_NE(m[0].lParam & (LPARAM(1) << 31), 0);

  m = Run(Key(false, SDLK_F8));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_KEYUP));
  EXPECT_EQ(m[0].wParam, WPARAM(VK_F8));
  EXPECT_EQ(m[0].lParam & kAltBit, 0);

  // Shift or Ctrl alone do not make a system key.
  m = Run(Key(true, SDLK_F3, KMOD_LSHIFT | KMOD_LCTRL));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_KEYDOWN));
  EXPECT_EQ(m[0].lParam & kAltBit, 0);
}

TEST_F(Translation, F10IsASystemKeyAndRepeatsAreMarked) {
  auto m = Run(Key(true, SDLK_F10));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_SYSKEYDOWN));
  EXPECT_EQ(m[0].lParam & kAltBit, 0);
  m = Run(Key(false, SDLK_F10));
  EXPECT_EQ(m.at(0).message, uint32_t(WM_SYSKEYUP));

  m = Run(Key(true, SDLK_PAUSE, 0, true));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_KEYDOWN));
  EXPECT_EQ(m[0].wParam, WPARAM(VK_PAUSE));
  EXPECT_NE(m[0].lParam & (LPARAM(1) << 30), 0);
}

TEST_F(Translation, KeysWithoutACodeOrWindowAreDropped) {
  EXPECT_TRUE(Run(Key(true, 0x40000123)).empty());
  SDL_Event e = Key(true, SDLK_a);
  e.key.windowID = 9;
  EXPECT_TRUE(Run(e).empty());
}

TEST_F(Translation, MouseButtonsGiveClientPointAndHeldButtonBits) {
  auto m = Run(Button(true, SDL_BUTTON_LEFT, 100, 100));
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].message, uint32_t(WM_SETCURSOR));
  EXPECT_EQ(LoWordSigned(m[0].lParam), 1);
  EXPECT_EQ(HiWordSigned(m[0].lParam), int(WM_LBUTTONDOWN));
  m.erase(m.begin());
  EXPECT_EQ(m[0].message, uint32_t(WM_LBUTTONDOWN));
  EXPECT_EQ(LoWordSigned(m[0].lParam), 100);
  EXPECT_EQ(HiWordSigned(m[0].lParam), 100);
  EXPECT_EQ(m.back().wParam, WPARAM(0x1));

  m = Run(Button(true, SDL_BUTTON_RIGHT, 5, 7));
  EXPECT_EQ(m.back().message, uint32_t(WM_RBUTTONDOWN));
  EXPECT_EQ(m.back().wParam, WPARAM(0x3));

  m = Run(Button(false, SDL_BUTTON_LEFT, 5, 7));
  ASSERT_EQ(m.size(), 1u);  // releases need no cursor
  EXPECT_EQ(m.back().message, uint32_t(WM_LBUTTONUP));
  EXPECT_EQ(m.back().wParam, WPARAM(0x2));

  m = Run(Button(true, SDL_BUTTON_MIDDLE, 5, 7));
  EXPECT_EQ(m.back().message, uint32_t(WM_MBUTTONDOWN));
  EXPECT_EQ(m.back().wParam, WPARAM(0x12));

  m = Run(Button(true, SDL_BUTTON_X1, 5, 7));
  EXPECT_EQ(m.back().message, uint32_t(WM_XBUTTONDOWN));
  EXPECT_EQ(m.back().wParam & 0xFFFF, WPARAM(0x32));
  EXPECT_EQ(m.back().wParam >> 16, WPARAM(XBUTTON1));

  m = Run(Button(true, SDL_BUTTON_X2, 5, 7));
  EXPECT_EQ(m.back().wParam & 0xFFFF, WPARAM(0x72));
  EXPECT_EQ(m.back().wParam >> 16, WPARAM(XBUTTON2));

  for (uint8_t b : {SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1, SDL_BUTTON_X2}) Run(Button(false, b, 0, 0));
  EXPECT_EQ(translator.ButtonBits(), 0u);

  facts.mods = KMOD_LSHIFT | KMOD_RCTRL;
  m = Run(Button(true, SDL_BUTTON_LEFT, -5, 600));
  EXPECT_EQ(m.back().wParam, WPARAM(MK_LBUTTON | MK_SHIFT | MK_CONTROL));
  EXPECT_EQ(LoWordSigned(m.back().lParam), -5);
  EXPECT_EQ(HiWordSigned(m.back().lParam), 600);
}

TEST_F(Translation, EverySecondClickIsADoubleClick) {
  EXPECT_EQ(Run(Button(true, SDL_BUTTON_LEFT, 1, 1, 2)).back().message, uint32_t(WM_LBUTTONDBLCLK));
  EXPECT_EQ(Run(Button(true, SDL_BUTTON_LEFT, 1, 1, 3)).back().message, uint32_t(WM_LBUTTONDOWN));
  EXPECT_EQ(Run(Button(true, SDL_BUTTON_RIGHT, 1, 1, 2)).back().message, uint32_t(WM_RBUTTONDBLCLK));
  EXPECT_EQ(Run(Button(true, SDL_BUTTON_MIDDLE, 1, 1, 4)).back().message, uint32_t(WM_MBUTTONDBLCLK));
  EXPECT_EQ(Run(Button(true, SDL_BUTTON_X2, 1, 1, 2)).back().message, uint32_t(WM_XBUTTONDBLCLK));
  EXPECT_EQ(Run(Button(false, SDL_BUTTON_LEFT, 1, 1, 2)).back().message, uint32_t(WM_LBUTTONUP));
}

TEST_F(Translation, MovesAndWheel) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = 1;
  e.motion.x = 320;
  e.motion.y = 17;
  e.motion.state = 0;
  auto m = Run(e);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].message, uint32_t(WM_SETCURSOR));
  EXPECT_EQ(m[0].wParam, reinterpret_cast<WPARAM>(w()));
  EXPECT_EQ(HiWordSigned(m[0].lParam), int(WM_MOUSEMOVE));
  EXPECT_EQ(m[1].message, uint32_t(WM_MOUSEMOVE));
  EXPECT_EQ(m[1].wParam, WPARAM(0));
  EXPECT_EQ(m[1].lParam, MakeLParam(320, 17));

  // With buttons held the pointer is captured: no cursor query.
  e.motion.state = SDL_BUTTON_RMASK | SDL_BUTTON_X2MASK;
  m = Run(e);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_MOUSEMOVE));
  EXPECT_EQ(m[0].wParam, WPARAM(MK_RBUTTON | MK_XBUTTON2));

  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.windowID = 1;
  wheel.wheel.y = 1;
  wheel.wheel.preciseY = 1.0f;
  wheel.wheel.mouseX = 10;
  wheel.wheel.mouseY = 20;
  m = Run(wheel);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_MOUSEWHEEL));
  EXPECT_EQ(HiWordSigned(static_cast<intptr_t>(m[0].wParam)), 120);
  EXPECT_EQ(m.back().wParam & 0xFFFF, WPARAM(MK_RBUTTON | MK_XBUTTON2));
  EXPECT_EQ(LoWordSigned(m[0].lParam), 310);  // screen coordinates
  EXPECT_EQ(HiWordSigned(m[0].lParam), 220);

  wheel.wheel.y = 2;
  wheel.wheel.preciseY = 2.0f;
  wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
  EXPECT_EQ(HiWordSigned(static_cast<intptr_t>(Run(wheel).at(0).wParam)), -240);

  wheel.wheel.y = 0;
  wheel.wheel.preciseY = 0.0f;
  wheel.wheel.x = 3;  // sideways only: no vertical message
  EXPECT_TRUE(Run(wheel).empty());
}

TEST_F(Translation, WindowNoticesBecomeMessages) {
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_EXPOSED)).at(0).message, uint32_t(WM_PAINT));
  auto m = Run(Window(SDL_WINDOWEVENT_FOCUS_GAINED));
  EXPECT_EQ(m.at(0).message, uint32_t(WM_ACTIVATEAPP));
  EXPECT_EQ(m[0].wParam, WPARAM(1));
  m = Run(Window(SDL_WINDOWEVENT_FOCUS_LOST));
  EXPECT_EQ(m.at(0).message, uint32_t(WM_ACTIVATEAPP));
  EXPECT_EQ(m[0].wParam, WPARAM(0));
  m = Run(Window(SDL_WINDOWEVENT_CLOSE));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_CLOSE));
  EXPECT_EQ(m[0].window, w());
  EXPECT_TRUE(Run(Window(SDL_WINDOWEVENT_CLOSE, 0, 0, 5)).empty());

  WindowFacts second = facts.windows[0];
  second.window = Handle(0x2000);
  facts.windows.push_back(second);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  m = Run(quit);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].message, uint32_t(WM_CLOSE));
  EXPECT_EQ(m[1].message, uint32_t(WM_CLOSE));
  EXPECT_NE(m[0].window, m[1].window);
}

TEST_F(Translation, MinimizeMaximizeRestoreGiveSizeKindsWithoutDragBracket) {
  auto m = Run(Window(SDL_WINDOWEVENT_MINIMIZED), 0);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_SIZE));
  EXPECT_EQ(m[0].wParam, WPARAM(SIZE_MINIMIZED));
  EXPECT_EQ(m[0].lParam, 0);
  facts.windows[0].minimized = true;
  EXPECT_TRUE(Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 480), 10).empty());
  facts.windows[0].minimized = false;

  m = Run(Window(SDL_WINDOWEVENT_MAXIMIZED), 1000);
  facts.windows[0].maximized = true;
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].wParam, WPARAM(SIZE_MAXIMIZED));
  EXPECT_EQ(m[0].lParam, MakeLParam(640, 480));
  m = Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 1280, 1000), 1010);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_SIZE));
  EXPECT_EQ(m[0].wParam, WPARAM(SIZE_MAXIMIZED));
  EXPECT_EQ(m[0].lParam, MakeLParam(1280, 1000));

  facts.windows[0].maximized = false;
  m = Run(Window(SDL_WINDOWEVENT_RESTORED), 2000);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].wParam, WPARAM(SIZE_RESTORED));
  std::vector<Msg> out;
  translator.Poll(5000, out);
  EXPECT_TRUE(out.empty());
}

TEST_F(Translation, UserDragIsBracketedAndEndsAfterAQuietPeriod) {
  auto m = Run(Window(SDL_WINDOWEVENT_MOVED, 10, 20), 1000);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].message, uint32_t(WM_ENTERSIZEMOVE));
  EXPECT_EQ(m[1].message, uint32_t(WM_MOVE));
  EXPECT_EQ(m[1].lParam, MakeLParam(10, 20));
  EXPECT_TRUE(translator.InDrag(w()));

  m = Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 700, 500), 1150);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_SIZE));
  EXPECT_EQ(m[0].wParam, WPARAM(SIZE_RESTORED));
  EXPECT_EQ(m[0].lParam, MakeLParam(700, 500));
  EXPECT_TRUE(Run(Window(SDL_WINDOWEVENT_RESIZED, 700, 500), 1160).empty());

  std::vector<Msg> out;
  translator.Poll(1150 + EventTranslator::kDragQuietMs - 1, out);
  EXPECT_TRUE(out.empty());
  translator.Poll(1150 + EventTranslator::kDragQuietMs, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].message, uint32_t(WM_EXITSIZEMOVE));
  EXPECT_EQ(out[0].window, w());
  out.clear();
  translator.Poll(9999, out);
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(translator.InDrag(w()));
}

TEST_F(Translation, ANewDragAfterAPauseClosesTheOldOneFirst) {
  Run(Window(SDL_WINDOWEVENT_MOVED, 1, 1), 0);
  auto m = Run(Window(SDL_WINDOWEVENT_MOVED, 2, 2), 500);
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].message, uint32_t(WM_EXITSIZEMOVE));
  EXPECT_EQ(m[1].message, uint32_t(WM_ENTERSIZEMOVE));
  EXPECT_EQ(m[2].message, uint32_t(WM_MOVE));
}

TEST_F(Translation, OurOwnSizeChangesAreNotADrag) {
  translator.NoteOwnChange(w(), 1000);
  auto m = Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600), 1300);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_SIZE));
  m = Run(Window(SDL_WINDOWEVENT_MOVED, 0, 0), 1400);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_MOVE));
  std::vector<Msg> out;
  translator.Poll(10000, out);
  EXPECT_TRUE(out.empty());

  // Long after our call, a size change is the user's again.
  m = Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 900, 600), 20000);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].message, uint32_t(WM_ENTERSIZEMOVE));
}

TEST_F(Translation, OwnChangeDuringADragKeepsTheClosingMessage) {
  Run(Window(SDL_WINDOWEVENT_MOVED, 1, 1), 0);
  translator.NoteOwnChange(w(), 50);
  std::vector<Msg> out;
  translator.Poll(50 + EventTranslator::kOwnChangeGraceMs, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].message, uint32_t(WM_EXITSIZEMOVE));
}

TEST_F(Translation, DragsOfTwoWindowsAreSeparate) {
  WindowFacts second = facts.windows[0];
  second.window = Handle(0x2000);
  facts.windows.push_back(second);
  translator.NoteOwnChange(Handle(0x2000), 0);
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_MOVED, 1, 1, 1), 10).size(), 2u);
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_MOVED, 1, 1, 2), 10).size(), 1u);
  translator.ForgetWindow(w());
  std::vector<Msg> out;
  translator.Poll(5000, out);
  EXPECT_TRUE(out.empty());
}

}  // namespace
