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
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_9, SDL_SCANCODE_9), uint32_t('9'));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12, SDL_SCANCODE_UNKNOWN), uint32_t(VK_F12));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), 0x0Du);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT), uint32_t(VK_SHIFT));
  // A non-Latin layout: the key code is a Cyrillic letter, the physical key is still Q.
  EXPECT_EQ(VirtualKeyFromSdl(0x0439, SDL_SCANCODE_Q), uint32_t('Q'));
  EXPECT_EQ(VirtualKeyFromSdl(0x0439, SDL_SCANCODE_UNKNOWN), 0u);
}

TEST_F(Translation, KeysCarryTheCodeTheAltBitOnlyWithAltAndTheRepeatBit) {
  auto m = Run(Key(true, SDLK_ESCAPE, KMOD_LSHIFT | KMOD_LCTRL));  // Shift, Ctrl: no system key
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].window, w());
  EXPECT_EQ(m[0].message, uint32_t(WM_KEYDOWN));
  EXPECT_EQ(m[0].wParam, WPARAM(VK_ESCAPE));
  EXPECT_EQ(m[0].lParam & (kAltBit | (LPARAM(1) << 30)), 0);

  m = Run(Key(false, SDLK_RETURN, KMOD_RALT));
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_SYSKEYUP));
  EXPECT_NE(m[0].lParam & kAltBit, 0);
  EXPECT_NE(m[0].lParam & (LPARAM(1) << 31), 0);

  m = Run(Key(true, SDLK_F10));  // a system key even without Alt
  EXPECT_EQ(m.at(0).message, uint32_t(WM_SYSKEYDOWN));
  EXPECT_EQ(m[0].lParam & kAltBit, 0);
  EXPECT_NE(Run(Key(true, SDLK_PAUSE, 0, true)).at(0).lParam & (LPARAM(1) << 30), 0);

  // No code, or no such window: dropped.
  EXPECT_TRUE(Run(Key(true, 0x40000123)).empty());
  SDL_Event e = Key(true, SDLK_a);
  e.key.windowID = 9;
  EXPECT_TRUE(Run(e).empty());
}

TEST_F(Translation, MouseButtonsGiveClientPointHeldButtonBitsAndDoubleClicks) {
  auto m = Run(Button(true, SDL_BUTTON_LEFT, 100, 100));
  ASSERT_EQ(m.size(), 2u);  // the cursor query comes first
  EXPECT_EQ(m[0].message, uint32_t(WM_SETCURSOR));
  EXPECT_EQ(LoWordSigned(m[0].lParam), 1);
  EXPECT_EQ(HiWordSigned(m[0].lParam), int(WM_LBUTTONDOWN));
  EXPECT_EQ(m[1].message, uint32_t(WM_LBUTTONDOWN));
  EXPECT_EQ(m[1].lParam, MakeLParam(100, 100));
  EXPECT_EQ(m[1].wParam, WPARAM(0x1));

  m = Run(Button(false, SDL_BUTTON_LEFT, 5, 7));
  ASSERT_EQ(m.size(), 1u);  // releases need no cursor
  EXPECT_EQ(m.back().message, uint32_t(WM_LBUTTONUP));

  m = Run(Button(true, SDL_BUTTON_X1, 5, 7, 2));
  EXPECT_EQ(m.back().message, uint32_t(WM_XBUTTONDBLCLK));
  EXPECT_EQ(m.back().wParam, (WPARAM(XBUTTON1) << 16) | MK_XBUTTON1);
  EXPECT_EQ(Run(Button(true, SDL_BUTTON_LEFT, 1, 1, 3)).back().message, uint32_t(WM_LBUTTONDOWN));
  Run(Button(false, SDL_BUTTON_LEFT, 0, 0));
  Run(Button(false, SDL_BUTTON_X1, 0, 0));
  EXPECT_EQ(translator.ButtonBits(), 0u);

  facts.mods = KMOD_LSHIFT | KMOD_RCTRL;
  m = Run(Button(true, SDL_BUTTON_RIGHT, -5, 600));
  EXPECT_EQ(m.back().message, uint32_t(WM_RBUTTONDOWN));
  EXPECT_EQ(m.back().wParam, WPARAM(MK_RBUTTON | MK_SHIFT | MK_CONTROL));
  EXPECT_EQ(LoWordSigned(m.back().lParam), -5);
  EXPECT_EQ(HiWordSigned(m.back().lParam), 600);
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
}

TEST_F(Translation, WindowNoticesBecomeMessages) {
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_EXPOSED)).at(0).message, uint32_t(WM_PAINT));
  auto m = Run(Window(SDL_WINDOWEVENT_FOCUS_LOST));
  EXPECT_EQ(m.at(0).message, uint32_t(WM_ACTIVATEAPP));
  EXPECT_EQ(m[0].wParam, WPARAM(0));
  m = Run(Window(SDL_WINDOWEVENT_MINIMIZED));
  EXPECT_EQ(m.at(0).message, uint32_t(WM_SIZE));
  EXPECT_EQ(m[0].wParam, WPARAM(SIZE_MINIMIZED));
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

TEST_F(Translation, OurOwnSizeChangesAreNotADragButKeepAnOpenDragsClosingMessage) {
  translator.NoteOwnChange(w(), 1000);
  auto m = Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600), 1300);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, uint32_t(WM_SIZE));
  std::vector<Msg> out;
  translator.Poll(10000, out);
  EXPECT_TRUE(out.empty());

  // Long after our call, a size change is the user's again.
  m = Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 900, 600), 20000);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].message, uint32_t(WM_ENTERSIZEMOVE));
  translator.NoteOwnChange(w(), 20050);
  translator.Poll(20050 + EventTranslator::kOwnChangeGraceMs, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].message, uint32_t(WM_EXITSIZEMOVE));
}

}  // namespace
