// The committed game data: the cells the game draws hold something and the ones it leaves out
// are clear, and the monster table loads with commands that exist and a battle that takes a
// sensible number of hits.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "game/data/monster_table.h"
#include "tests/data/memory_system.h"
#include "tests/support/test_support.h"

using testsupport::Image;

namespace {

Image Load(const std::string& file) {
  Image image;
  EXPECT_TRUE(testsupport::ReadPng(testsupport::SourcePath("Data2/" + file), image)) << file;
  return image;
}

// Opaque-ish pixels in cell n (numbered row by row), and whether the cell has any alpha at all.
struct CellInk {
  uint32_t visible = 0;  // alpha above 0
  uint32_t solid = 0;    // alpha 255
};
CellInk Ink(const Image& image, uint32_t cw, uint32_t ch, uint32_t cell) {
  const uint32_t columns = image.width / cw;
  const uint32_t x0 = (cell % columns) * cw, y0 = (cell / columns) * ch;
  CellInk ink;
  for (uint32_t y = y0; y < y0 + ch; ++y)
    for (uint32_t x = x0; x < x0 + cw; ++x) {
      const uint32_t a = image.At(x, y) >> 24;
      ink.visible += a > 0;
      ink.solid += a == 255;
    }
  return ink;
}

}  // namespace

TEST(DataFiles, DrawnCellsHoldArtAndUnusedCellsAreClear) {
  const Image monsters = Load("Monster.png");
  std::set<std::vector<uint32_t>> distinct;
  for (uint32_t cell = 0; cell < 8; ++cell) {
    EXPECT_GT(Ink(monsters, 64, 64, cell).solid, 600u) << "monster " << cell;
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < 64; ++y)
      for (uint32_t x = 0; x < 64; ++x) pixels.push_back(monsters.At(64 * (cell % 4) + x, 64 * (cell / 4) + y));
    distinct.insert(pixels);
  }
  EXPECT_EQ(distinct.size(), 8u);

  const Image bar = Load("TimeBar.png");
  for (uint32_t cell : {0u, 1u, 2u, 3u, 4u, 6u}) EXPECT_EQ(Ink(bar, 32, 32, cell).visible, 0u) << "bar " << cell;
  EXPECT_GT(Ink(bar, 32, 32, 5).solid, 0u);
  // The fill is stretched sideways, so every column of it must be the same.
  for (uint32_t y = 32; y < 64; ++y)
    for (uint32_t x = 96; x < 128; ++x) EXPECT_EQ(bar.At(x, y), bar.At(96, y)) << x << "," << y;
  EXPECT_GT(Ink(bar, 32, 32, 7).solid, 32u * 6);

  // Every label and name is drawn, and stays inside the room the menus give it.
  const Image commands = Load("BattleCommand.png");
  for (uint32_t cell = 0; cell < commands.height / 32; ++cell) EXPECT_GT(Ink(commands, 128, 32, cell).solid, 40u) << cell;
  for (uint32_t y = 0; y < commands.height; ++y)
    for (uint32_t x = 108; x < 128; ++x) ASSERT_EQ(commands.At(x, y) >> 24, 0u) << x << "," << y;
  const Image names = Load("MonsterName.png");
  for (uint32_t cell = 0; cell < 9; ++cell) EXPECT_GT(Ink(names, 256, 32, cell).solid, 40u) << cell;
  for (uint32_t y = 0; y < names.height; ++y)
    for (uint32_t x = 100; x < 256; ++x) ASSERT_EQ(names.At(x, y) >> 24, 0u) << x << "," << y;
}

TEST(DataFiles, MonsterTableLoadsWithCommandsThatExistAndABalancedFirstBattle) {
  datatest::ScopedMemorySystem sys;
  std::ifstream in(testsupport::SourcePath("Data2/monster.txt"), std::ios::binary);
  ASSERT_TRUE(in.good());
  sys.system.files[L"Data2/monster.txt"] =
      std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  MonsterTable table;
  table.LoadFile(L"Data2/monster.txt");
  ASSERT_GE(table.size(), 8u);

  const Image commands = Load("BattleCommand.png");
  const uint32_t commandCells = commands.height / 32;
  for (size_t m = 0; m < 8; ++m) {
    SCOPED_TRACE(m);
    const MonsterRecord& r = table.at(m);
    EXPECT_GE(r.column11, 0);
    EXPECT_LT(uint32_t(r.column11), commandCells);
    EXPECT_GE(r.column14, 0);
    EXPECT_LT(uint32_t(r.column14), commandCells);
    EXPECT_GT(r.column13, 0);
    ASSERT_GT(r.column3, 0);
    const float bar = 400.0f / r.column3;
    EXPECT_GE(bar, 2.0f);
    EXPECT_LE(bar, 6.0f);
  }
  // Starting hands 7, 1, 6 against the enemy's monster 7: several hits to fell it, about ten more
  // to empty a life of 2000.
  const double meanDamage = (table.at(7).column13 + table.at(1).column13 + table.at(6).column13) / 3.0;
  const double toFell = table.at(7).column2 / meanDamage;
  const double toEmpty = 2000 / meanDamage;
  EXPECT_GE(toFell, 2.5);
  EXPECT_LE(toFell, 6.0);
  EXPECT_GE(toEmpty, 7.0);
  EXPECT_LE(toEmpty, 14.0);
}
