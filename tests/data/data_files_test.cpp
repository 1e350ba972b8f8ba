// The committed game data: the cells the game draws hold something and the ones it leaves out
// are clear, and the monster table loads with commands that exist and a battle that takes a
// sensible number of hits.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "game/data/monster_table.h"
#include "platform/services.h"
#include "tests/fakes/debug_capture.h"
#include "tests/support/test_support.h"

using testsupport::Image;

namespace {

Image Load(const std::string& file) {
  Image image;
  EXPECT_TRUE(testsupport::ReadPng(testsupport::SourcePath("Data2/" + file), image)) << file;
  return image;
}

// Pixels of cell n (numbered row by row) with alpha above `minAlpha`.
uint32_t Ink(const Image& image, uint32_t cw, uint32_t ch, uint32_t cell, uint32_t minAlpha = 254) {
  const uint32_t x0 = (cell % (image.width / cw)) * cw, y0 = (cell / (image.width / cw)) * ch;
  uint32_t n = 0;
  for (uint32_t y = y0; y < y0 + ch; ++y)
    for (uint32_t x = x0; x < x0 + cw; ++x) n += (image.At(x, y) >> 24) > minAlpha;
  return n;
}

// Columns from `x0` to the right edge are fully transparent: text stays inside its menu.
bool ClearFrom(const Image& image, uint32_t x0) {
  for (uint32_t y = 0; y < image.height; ++y)
    for (uint32_t x = x0; x < image.width; ++x)
      if (image.At(x, y) >> 24) return false;
  return true;
}

}  // namespace

TEST(DataFiles, DrawnCellsHoldArtAndUnusedCellsAreClear) {
  const Image monsters = Load("Monster.png");
  std::set<std::vector<uint32_t>> distinct;
  for (uint32_t cell = 0; cell < 8; ++cell) {
    EXPECT_GT(Ink(monsters, 64, 64, cell), 600u) << "monster " << cell;
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < 64; ++y)
      for (uint32_t x = 0; x < 64; ++x) pixels.push_back(monsters.At(64 * (cell % 4) + x, 64 * (cell / 4) + y));
    distinct.insert(pixels);
  }
  EXPECT_EQ(distinct.size(), 8u);

  const Image bar = Load("TimeBar.png");
  for (uint32_t cell : {0u, 1u, 2u, 3u, 4u, 6u}) EXPECT_EQ(Ink(bar, 32, 32, cell, 0), 0u) << "bar " << cell;
  EXPECT_GT(Ink(bar, 32, 32, 5), 0u);
  // The fill is stretched sideways, so every column of it must be the same.
  for (uint32_t y = 32; y < 64; ++y)
    for (uint32_t x = 96; x < 128; ++x) EXPECT_EQ(bar.At(x, y), bar.At(96, y)) << x << "," << y;
  EXPECT_GT(Ink(bar, 32, 32, 7), 32u * 6);

  const Image commands = Load("BattleCommand.png");
  for (uint32_t cell = 0; cell < commands.height / 32; ++cell) EXPECT_GT(Ink(commands, 128, 32, cell), 40u) << cell;
  EXPECT_TRUE(ClearFrom(commands, 108));
  const Image names = Load("MonsterName.png");
  for (uint32_t cell = 0; cell < 9; ++cell) EXPECT_GT(Ink(names, 256, 32, cell), 40u) << cell;
  EXPECT_TRUE(ClearFrom(names, 100));
}

TEST(DataFiles, MonsterTableLoadsWithCommandsThatExistAndABalancedFirstBattle) {
  DebugCapture system;  // reads from disk
  plat::Services services;
  services.system = &system;
  plat::SetServices(services);
  const std::string path = testsupport::SourcePath("Data2/monster.txt");
  MonsterTable table;
  table.LoadFile(std::wstring(path.begin(), path.end()));
  plat::SetServices(plat::Services{});
  ASSERT_GE(table.size(), 8u);

  const int32_t commandCells = static_cast<int32_t>(Load("BattleCommand.png").height / 32);
  for (size_t m = 0; m < 8; ++m) {
    SCOPED_TRACE(m);
    const MonsterRecord& r = table.at(m);
    EXPECT_TRUE(r.column11 >= 0 && r.column11 < commandCells) << r.column11;
    EXPECT_TRUE(r.column14 >= 0 && r.column14 < commandCells) << r.column14;
    EXPECT_GT(r.column13, 0);
    // The time bar lasts 400 / column3 seconds.
    EXPECT_TRUE(r.column3 >= 400 / 6 && r.column3 <= 400 / 2) << r.column3;
  }
  // Starting hands 7, 1, 6 against the enemy's monster 7: several hits to fell it, about ten more
  // to empty a life of 2000.
  const double meanDamage = (table.at(7).column13 + table.at(1).column13 + table.at(6).column13) / 3.0;
  EXPECT_GE(table.at(7).column2 / meanDamage, 2.5);
  EXPECT_LE(table.at(7).column2 / meanDamage, 6.0);
  EXPECT_GE(2000 / meanDamage, 7.0);
  EXPECT_LE(2000 / meanDamage, 14.0);
}
