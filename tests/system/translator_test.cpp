// SDL events into window messages: one table of single events on a fresh translator, then the
// cases that depend on what came before (held buttons, drags and their quiet period).
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "platform/system/event_translator.h"

namespace {

using namespace plat;

const WindowHandle W = reinterpret_cast<WindowHandle>(0x1000);
constexpr LPARAM kWasDown = LPARAM(1) << 30, kReleased = LPARAM(1) << 31;

class FakeFacts : public IWindowFacts {
 public:
  std::vector<WindowFacts> windows{WindowFacts{.window = W, .clientX = 300, .clientY = 200}};
  uint16_t mods = 0;
  WindowFacts Find(uint32_t id) const override {
    if (id == 0) return windows.size() == 1 ? windows[0] : WindowFacts{};  // the only window
    return id <= windows.size() ? windows[id - 1] : WindowFacts{};
  }
  std::vector<WindowHandle> All() const override {
    std::vector<WindowHandle> all;
    for (const auto& w : windows) all.push_back(w.window);
    return all;
  }
  uint16_t KeyModifiers() const override { return mods; }
};

SDL_Event Key(bool down, SDL_Keycode key, uint16_t mod = 0, bool repeat = false, SDL_Scancode sc = SDL_SCANCODE_UNKNOWN,
              uint32_t window = 1) {
  SDL_Event e{};
  e.key = {down ? SDL_KEYDOWN : SDL_KEYUP, 0, window, 0, repeat, 0, 0, {sc, key, mod, 0}};
  return e;
}
SDL_Event Button(bool down, uint8_t button, int x, int y, uint8_t clicks = 1) {
  SDL_Event e{};
  e.button = {down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, 0, 1, 0, button, 0, clicks, 0, x, y};
  return e;
}
SDL_Event Motion(int x, int y, uint32_t state) {
  SDL_Event e{};
  e.motion = {SDL_MOUSEMOTION, 0, 1, 0, state, x, y, 0, 0};
  return e;
}
SDL_Event Wheel(float notches, bool flipped) {  // with the pointer at (10, 20) in the window
  SDL_Event e{};
  e.wheel = {SDL_MOUSEWHEEL, 0, 1, 0, 0, int(notches), flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL,
             0, notches, 10, 20};
  return e;
}
SDL_Event Window(uint8_t event, int d1 = 0, int d2 = 0, uint32_t id = 1) {
  SDL_Event e{};
  e.window = {SDL_WINDOWEVENT, 0, id, event, 0, 0, 0, d1, d2};
  return e;
}

SDL_Event PadButton(bool down, SDL_GameControllerButton button, SDL_JoystickID which = 0) {
  SDL_Event e{};
  e.cbutton = {down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP, 0, which, uint8_t(button),
               uint8_t(down ? SDL_PRESSED : SDL_RELEASED), 0, 0};
  return e;
}
SDL_Event PadAxis(SDL_GameControllerAxis axis, int16_t value, SDL_JoystickID which = 0) {
  SDL_Event e{};
  e.caxis = {SDL_CONTROLLERAXISMOTION, 0, which, uint8_t(axis), 0, 0, 0, value, 0};
  return e;
}
SDL_Event PadRemoved(SDL_JoystickID which) {
  SDL_Event e{};
  e.cdevice = {SDL_CONTROLLERDEVICEREMOVED, 0, which};
  return e;
}
Msg KeyDown(uint32_t vk, bool repeat = false) { return {W, WM_KEYDOWN, vk, 1 | (repeat ? kWasDown : 0)}; }
Msg KeyUp(uint32_t vk) { return {W, WM_KEYUP, vk, 1 | kWasDown | kReleased}; }

std::string Str(const std::vector<Msg>& messages) {
  std::ostringstream s;
  for (const Msg& m : messages)
    s << std::hex << "{" << m.window << " 0x" << m.message << " w=0x" << m.wParam << " l=0x" << m.lParam << "} ";
  return s.str();
}

Msg Cursor(uint32_t mouseMessage) { return {W, WM_SETCURSOR, reinterpret_cast<WPARAM>(W), MakeLParam(1, int(mouseMessage))}; }

struct Case {
  const char* what;
  SDL_Event event;
  uint16_t mods;
  std::vector<Msg> expected;
};

TEST(EventTable, SingleEventsBecomeTheseMessages) {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  const WPARAM x1 = (WPARAM(XBUTTON1) << 16) | MK_XBUTTON1;
  const Case cases[] = {
      {"Shift+Ctrl is no system key", Key(true, SDLK_ESCAPE, KMOD_LSHIFT | KMOD_LCTRL), 0, {{W, WM_KEYDOWN, VK_ESCAPE, 1}}},
      {"with Alt", Key(false, SDLK_RETURN, KMOD_RALT), 0, {{W, WM_SYSKEYUP, VK_RETURN, 1 | kAltBit | kWasDown | kReleased}}},
      {"F10 without Alt", Key(true, SDLK_F10), 0, {{W, WM_SYSKEYDOWN, VK_F10, 1}}},
      {"repeat", Key(true, SDLK_PAUSE, 0, true), 0, {{W, WM_KEYDOWN, VK_PAUSE, 1 | kWasDown}}},
      {"letter", Key(true, SDLK_a), 0, {{W, WM_KEYDOWN, 'A', 1}}},
      {"digit", Key(true, SDLK_9), 0, {{W, WM_KEYDOWN, '9', 1}}},
      {"keypad Enter", Key(true, SDLK_KP_ENTER), 0, {{W, WM_KEYDOWN, VK_RETURN, 1}}},
      {"right Shift", Key(true, SDLK_RSHIFT), 0, {{W, WM_KEYDOWN, VK_SHIFT, 1}}},
      {"Cyrillic layout", Key(true, 0x0439, 0, false, SDL_SCANCODE_Q), 0, {{W, WM_KEYDOWN, 'Q', 1}}},
      {"no code", Key(true, 0x0439), 0, {}},
      {"no such window", Key(true, SDLK_a, 0, false, SDL_SCANCODE_A, 9), 0, {}},
      {"press", Button(true, SDL_BUTTON_LEFT, 100, 100), 0,
       {Cursor(WM_LBUTTONDOWN), {W, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(100, 100)}}},
      {"release needs no cursor", Button(false, SDL_BUTTON_LEFT, 5, 7), 0, {{W, WM_LBUTTONUP, 0, MakeLParam(5, 7)}}},
      {"modifiers, outside", Button(true, SDL_BUTTON_RIGHT, -5, 600), KMOD_LSHIFT | KMOD_RCTRL,
       {Cursor(WM_RBUTTONDOWN), {W, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT | MK_CONTROL, MakeLParam(-5, 600)}}},
      {"double click", Button(true, SDL_BUTTON_X1, 5, 7, 2), 0,
       {Cursor(WM_XBUTTONDBLCLK), {W, WM_XBUTTONDBLCLK, x1, MakeLParam(5, 7)}}},
      {"third click", Button(true, SDL_BUTTON_LEFT, 1, 1, 3), 0,
       {Cursor(WM_LBUTTONDOWN), {W, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(1, 1)}}},
      {"move", Motion(320, 17, 0), 0, {Cursor(WM_MOUSEMOVE), {W, WM_MOUSEMOVE, 0, MakeLParam(320, 17)}}},
      {"captured move", Motion(1, 2, SDL_BUTTON_RMASK | SDL_BUTTON_X2MASK), 0,
       {{W, WM_MOUSEMOVE, MK_RBUTTON | MK_XBUTTON2, MakeLParam(1, 2)}}},
      {"wheel, screen point", Wheel(1, false), 0, {{W, WM_MOUSEWHEEL, WPARAM(120) << 16, MakeLParam(310, 220)}}},
      {"flipped wheel", Wheel(2, true), 0, {{W, WM_MOUSEWHEEL, WPARAM(0xFF10) << 16, MakeLParam(310, 220)}}},
      {"exposed", Window(SDL_WINDOWEVENT_EXPOSED), 0, {{W, WM_PAINT, 0, 0}}},
      {"focus lost", Window(SDL_WINDOWEVENT_FOCUS_LOST), 0, {{W, WM_ACTIVATEAPP, 0, 0}}},
      {"minimized", Window(SDL_WINDOWEVENT_MINIMIZED), 0, {{W, WM_SIZE, SIZE_MINIMIZED, 0}}},
      {"close, no such window", Window(SDL_WINDOWEVENT_CLOSE, 0, 0, 5), 0, {}},
      {"quit", quit, 0, {{W, WM_CLOSE, 0, 0}}},
  };
  for (const Case& c : cases) {
    FakeFacts facts;
    facts.mods = c.mods;
    EventTranslator translator;
    std::vector<Msg> out;
    translator.Translate(c.event, facts, 0, out);
    EXPECT_EQ(Str(out), Str(c.expected)) << c.what;
  }
}

class Translation : public ::testing::Test {
 protected:
  std::vector<Msg> Run(const SDL_Event& e, uint64_t now = 0) {
    std::vector<Msg> out;
    translator.Translate(e, facts, now, out);
    return out;
  }
  std::vector<Msg> Poll(uint64_t now) {
    std::vector<Msg> out;
    translator.Poll(now, out);
    return out;
  }
  FakeFacts facts;
  EventTranslator translator;
};

TEST_F(Translation, HeldButtonsShowInLaterMessagesUntilReleased) {
  Run(Button(true, SDL_BUTTON_LEFT, 0, 0));
  EXPECT_EQ(Str(Run(Button(true, SDL_BUTTON_RIGHT, 1, 2))),
            Str({Cursor(WM_RBUTTONDOWN), {W, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MakeLParam(1, 2)}}));
  Run(Motion(3, 4, SDL_BUTTON_RMASK));  // SDL's own state wins: the left button went up elsewhere
  EXPECT_EQ(Run(Wheel(1, false)).at(0).wParam, (WPARAM(120) << 16) | MK_RBUTTON);
  Run(Button(false, SDL_BUTTON_RIGHT, 0, 0));
  EXPECT_EQ(translator.ButtonBits(), 0u);
}

TEST_F(Translation, UserDragIsBracketedAndEndsAfterAQuietPeriod) {
  EXPECT_EQ(Str(Run(Window(SDL_WINDOWEVENT_MOVED, 10, 20), 1000)),
            Str({{W, WM_ENTERSIZEMOVE, 0, 0}, {W, WM_MOVE, 0, MakeLParam(10, 20)}}));
  EXPECT_EQ(Str(Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 700, 500), 1150)),
            Str({{W, WM_SIZE, SIZE_RESTORED, MakeLParam(700, 500)}}));
  EXPECT_TRUE(Run(Window(SDL_WINDOWEVENT_RESIZED, 700, 500), 1160).empty());
  EXPECT_TRUE(Poll(1150 + EventTranslator::kDragQuietMs - 1).empty());
  EXPECT_EQ(Str(Poll(1150 + EventTranslator::kDragQuietMs)), Str({{W, WM_EXITSIZEMOVE, 0, 0}}));
  EXPECT_TRUE(Poll(9999).empty());
  EXPECT_FALSE(translator.InDrag(W));
  // An iconified window keeps its size: no second size message that would pause twice.
  facts.windows[0].minimized = true;
  EXPECT_TRUE(Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 700, 500), 20000).empty());
}

TEST_F(Translation, OurOwnSizeChangesAreNotADragButKeepAnOpenDragsClosingMessage) {
  translator.NoteOwnChange(W, 1000);
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600), 1300).size(), 1u);
  EXPECT_TRUE(Poll(10000).empty());
  // Long after our call, a size change is the user's again.
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 900, 600), 20000).at(0).message, uint32_t(WM_ENTERSIZEMOVE));
  translator.NoteOwnChange(W, 20050);
  EXPECT_EQ(Str(Poll(20050 + EventTranslator::kOwnChangeGraceMs)), Str({{W, WM_EXITSIZEMOVE, 0, 0}}));
}

// A frame or a device change that takes long keeps the loop from polling: our own change that
// comes after a drag went quiet, but before the poll that would end it, must not swallow its end
// (the framework would stay paused for good).
TEST_F(Translation, ADragThatWentQuietBeforeOurOwnChangeStillEnds) {
  const uint64_t quiet = EventTranslator::kDragQuietMs;
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600), 1000).at(0).message, uint32_t(WM_ENTERSIZEMOVE));
  translator.NoteOwnChange(W, 1000 + quiet + 50);
  EXPECT_TRUE(Poll(1000 + quiet + 60).empty());
  EXPECT_EQ(Str(Poll(1000 + quiet + 50 + EventTranslator::kOwnChangeGraceMs)), Str({{W, WM_EXITSIZEMOVE, 0, 0}}));
  EXPECT_TRUE(Poll(99999).empty());
}

// At presentation scale 2 every position and size in a message is the screen's halved, rounding
// down, also left of the window.
TEST_F(Translation, ScaleHalvesPositionsAndSizes) {
  translator.SetScale({2, 1.0});
  facts.windows[0].clientX = 150;  // the facts are logical already
  facts.windows[0].clientY = 100;
  EXPECT_EQ(Run(Motion(241, 83, 0)).at(1).lParam, MakeLParam(120, 41));
  EXPECT_EQ(Run(Button(true, SDL_BUTTON_LEFT, -1, -4)).at(1).lParam, MakeLParam(-1, -2));
  EXPECT_EQ(Run(Wheel(1, false)).at(0).lParam, MakeLParam(155, 110));
  const std::vector<Msg> sized = Run(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 1400, 1001), 1000);
  EXPECT_EQ(sized.back().lParam, MakeLParam(700, 500));
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_MOVED, 31, -3), 1010).back().lParam, MakeLParam(15, -2));
}

// On a Wayland output of scale 2 events come in coordinates of two real pixels: at the output's
// own scale they are logical pixels already, at -scale:1 each is two.
TEST_F(Translation, OnAScaledOutputCoordinatesAreTakenAtTheOutputsScale) {
  translator.SetScale({2, 2.0});
  EXPECT_EQ(Run(Motion(241, 83, 0)).at(1).lParam, MakeLParam(241, 83));
  translator.SetScale({1, 2.0});
  EXPECT_EQ(Run(Button(true, SDL_BUTTON_LEFT, 241, -3)).at(1).lParam, MakeLParam(482, -6));
}

// A controller plays as the keyboard: its keys go to the only window, a held direction repeats
// after a delay at a steady rate (one repeat however long the loop stalled), and A and Start do
// not repeat.
TEST_F(Translation, ControllerButtonsAreKeysAndAHeldDirectionRepeats) {
  EXPECT_EQ(Str(Run(PadButton(true, SDL_CONTROLLER_BUTTON_DPAD_DOWN), 1000)), Str({KeyDown(VK_DOWN)}));
  EXPECT_TRUE(Poll(1000 + PadKeys::kRepeatDelayMs - 1).empty());
  EXPECT_EQ(Str(Poll(1000 + PadKeys::kRepeatDelayMs)), Str({KeyDown(VK_DOWN, true)}));
  EXPECT_TRUE(Poll(1000 + PadKeys::kRepeatDelayMs + PadKeys::kRepeatMs - 1).empty());
  EXPECT_EQ(Str(Poll(9000)), Str({KeyDown(VK_DOWN, true)}));
  EXPECT_EQ(Str(Run(PadButton(false, SDL_CONTROLLER_BUTTON_DPAD_DOWN), 9001)), Str({KeyUp(VK_DOWN)}));
  EXPECT_TRUE(Poll(20000).empty());

  EXPECT_EQ(Str(Run(PadButton(true, SDL_CONTROLLER_BUTTON_A), 30000)), Str({KeyDown(VK_RETURN)}));
  EXPECT_EQ(Str(Run(PadButton(true, SDL_CONTROLLER_BUTTON_START), 30000)), Str({KeyDown(VK_PAUSE)}));
  EXPECT_EQ(Str(Run(PadButton(false, SDL_CONTROLLER_BUTTON_START), 40000)), Str({KeyUp(VK_PAUSE)}));
  EXPECT_TRUE(Run(PadButton(true, SDL_CONTROLLER_BUTTON_B), 40000).empty());  // not one of the game's
  // A controller pulled out lets go of what it held; another one's keys stay down.
  Run(PadButton(true, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 2), 40000);
  EXPECT_EQ(Str(Run(PadRemoved(0), 40001)), Str({KeyUp(VK_RETURN)}));
  EXPECT_EQ(Str(Run(PadRemoved(2), 40002)), Str({KeyUp(VK_LEFT)}));
  // With no window, or with several, a press goes nowhere.
  facts.windows.push_back(facts.windows[0]);
  EXPECT_TRUE(Run(PadButton(true, SDL_CONTROLLER_BUTTON_A), 50000).empty());
  EXPECT_TRUE(Run(PadButton(false, SDL_CONTROLLER_BUTTON_A), 50000).empty());
}

TEST_F(Translation, TheLeftStickIsOneArrowPastItsDeadZone) {
  EXPECT_TRUE(Run(PadAxis(SDL_CONTROLLER_AXIS_LEFTY, PadKeys::kStickPress - 1)).empty());
  EXPECT_EQ(Str(Run(PadAxis(SDL_CONTROLLER_AXIS_LEFTY, PadKeys::kStickPress))), Str({KeyDown(VK_DOWN)}));
  // Eased back, it holds until it is under the lower mark.
  EXPECT_TRUE(Run(PadAxis(SDL_CONTROLLER_AXIS_LEFTY, PadKeys::kStickRelease)).empty());
  EXPECT_EQ(Str(Run(PadAxis(SDL_CONTROLLER_AXIS_LEFTY, PadKeys::kStickRelease - 1))), Str({KeyUp(VK_DOWN)}));
  // On a diagonal one direction holds, never two: the one pushed first, until it eases off and
  // the axis pushed further takes over.
  EXPECT_EQ(Str(Run(PadAxis(SDL_CONTROLLER_AXIS_LEFTY, -20000))), Str({KeyDown(VK_UP)}));
  EXPECT_TRUE(Run(PadAxis(SDL_CONTROLLER_AXIS_LEFTX, 25000)).empty());
  EXPECT_EQ(Str(Run(PadAxis(SDL_CONTROLLER_AXIS_LEFTY, -11000))), Str({KeyUp(VK_UP), KeyDown(VK_RIGHT)}));
  EXPECT_EQ(Str(Run(PadAxis(SDL_CONTROLLER_AXIS_LEFTX, 0))), Str({KeyUp(VK_RIGHT)}));
  EXPECT_TRUE(Run(PadAxis(SDL_CONTROLLER_AXIS_RIGHTX, -32768)).empty());  // the right stick is not used
  // The D-pad and the stick holding the same key: it goes up when both have let go.
  Run(PadAxis(SDL_CONTROLLER_AXIS_LEFTY, -20000));
  EXPECT_TRUE(Run(PadButton(true, SDL_CONTROLLER_BUTTON_DPAD_UP)).empty());
  EXPECT_TRUE(Run(PadAxis(SDL_CONTROLLER_AXIS_LEFTY, 0)).empty());
  EXPECT_EQ(Str(Run(PadButton(false, SDL_CONTROLLER_BUTTON_DPAD_UP))), Str({KeyUp(VK_UP)}));
}

}  // namespace
