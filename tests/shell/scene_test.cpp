// The Scene's hit testing, and its texture set over a recording device: the tint, and entries
// across device loss.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <type_traits>

#include "game/scene.h"
#include "game/texture_set.h"
#include "platform/services.h"
#include "tests/fakes/debug_capture.h"
#include "tests/fakes/fake_graphics.h"

namespace {

Element Button(float x, float y, int32_t width, int32_t height) {
  Element e;
  e.ResetElement();
  e.SetPosition(x, y, 0);
  e.hitWidth = width;
  e.hitHeight = height;
  return e;
}

TEST(Scene, HitRectangleIsStrictOnTruncatedPositionWithoutOverflow) {
  struct Case {
    Element e;
    int32_t x, y;
    bool inside;
  };
  const Element far = Button(2.0e9f, 0, INT32_MAX, 10);
  const Case cases[] = {{Button(10.7f, 20.2f, 108, 28), 11, 21, true}, {Button(10.7f, 20.2f, 108, 28), 118, 21, false},
                        {Button(10.7f, 20.2f, 108, 28), 11, 48, false}, {Button(-5.9f, -0.5f, 10, 10), -4, 1, true},
                        {Button(-5.9f, -0.5f, 10, 10), -5, 1, false},   {far, INT32_MAX, 5, true},
                        {far, 5, 5, false}};
  for (const Case& c : cases) EXPECT_EQ(InsideHitRect(c.e, c.x, c.y), c.inside) << c.x << "," << c.y;
}

TEST(TextureSet, TintRoundsHalfToEvenAndWraps) {
  EXPECT_EQ(ToColour32({0.5f, 0.5f, 0.5f, 0.5f}), 0x80808080u);  // 127.5 to 128
  EXPECT_EQ(ToColour32({-0.2f, 0, 0, 0}), 0x00CD0000u);           // -51 keeps 205
  EXPECT_EQ(ToColour32({1.5f, 2.5f, 0, 0}), 0x007E7E00u);         // 382.5 to 382, 637.5 to 638
  EXPECT_EQ(ToColour32({1e30f, -1e30f, INFINITY, NAN}), 0u);      // no overflow on wild values
}

TEST(TextureSet, EntriesFollowTheDeviceAndAMissingImageKeepsItsEntry) {
  DebugCapture system;
  plat::Services services;
  services.system = &system;
  plat::SetServices(services);
  auto deviceState = std::make_shared<fake::FakeDeviceState>();
  fake::FakeDevice device(deviceState);
  deviceState->missingFiles.insert(L"Data2/Missing.png");
  TextureSet set;
  set.AddSprite(L"Data2/Monster.png", 64, 64);
  set.AddSprite(L"Data2/Missing.png", 64, 64);
  set.ResetSprites(&device, nullptr, nullptr);
  EXPECT_EQ(deviceState->liveObjects, 3u);  // two sprite objects, one texture
  EXPECT_EQ(set.At(1).texture, nullptr);
  EXPECT_NE(system.Joined().find(L"Data2/Missing.png"), std::wstring::npos) << system.Joined();
  set.BeginBatch(1, 0x50);
  set.DrawSprite(&device, 1, 0, {}, {}, {}, {1, 1, 1});
  set.EndBatch(1);
  EXPECT_TRUE(deviceState->Draws().empty());
  EXPECT_THROW(set.BeginBatch(2, 0x50), std::out_of_range);

  set.ReleaseSprites();
  EXPECT_EQ(deviceState->liveObjects, 0u);
  EXPECT_EQ(set.Count(), 2u);
  const int texturesBefore = deviceState->texturesMade;
  set.ResetSprites(&device, nullptr, nullptr);
  EXPECT_EQ(deviceState->texturesMade, texturesBefore + 1);  // read from the file again
  EXPECT_EQ(deviceState->liveObjects, 3u);
  // Growing the set moves entries without dropping or duplicating their objects.
  static_assert(!std::is_copy_constructible_v<Sprite> && std::is_nothrow_move_constructible_v<Sprite>);
  for (int i = 0; i < 20; ++i) set.AddSprite(L"Data2/Extra" + std::to_wstring(i) + L".png", 8, 8);
  set.ResetSprites(&device, nullptr, nullptr);
  EXPECT_EQ(deviceState->liveObjects, 3u + 20u * 2u);
  set.ClearSprites();
  EXPECT_EQ(set.Count(), 0u);
  EXPECT_EQ(deviceState->liveObjects, 0u);
  plat::SetServices(plat::Services{});
}

}  // namespace
