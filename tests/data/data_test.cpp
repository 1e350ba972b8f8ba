// The monster table loader (the file's bytes to text, line breaks, row matching, field
// conversion, malformed input) and the committed game data: the cells the game draws hold
// something and the ones it leaves out are clear, and the monster table loads with commands that
// exist and a battle that takes a sensible number of hits.
#include "game/data/monster_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/fakes/debug_capture.h"
#include "tests/support/test_support.h"

using testsupport::Image;

namespace {

// Sixteen fields joined by TABs; field i holds base + i.
std::wstring Row(int base) {
  std::wstring row = std::to_wstring(base + 1);
  for (int i = 2; i <= 16; ++i) row += L'\t' + std::to_wstring(base + i);
  return row;
}

std::vector<int32_t> FirstColumns(const MonsterTable& table) {
  std::vector<int32_t> out;
  for (const MonsterRecord& r : table) out.push_back(r.column1);
  return out;
}

TEST(MonsterTable, FileBytesBecomeTextWithoutTheFirstLine) {
  struct Case {
    std::string bytes;  // UTF-16LE
    std::wstring text;
  };
  const Case cases[] = {
      {std::string("1\0" "2\0", 4), L"12"},                      // no LF: nothing is dropped
      {std::string("1\0\n\0", 4), L""},                          // the only line is the first
      {std::string("a\0\r\0\n\0" "b\0\n\0" "c\0", 12), L"b\nc"},  // up to the first LF only
      {std::string("h\0\n\0" "1\0" "7", 7), L"17"},             // an odd last byte: a zero high byte
      {std::string("h\0\n\0" "1\0\0\0" "2\0", 10), L"1"},       // the text ends at a zero unit
      {"", L""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MonsterFileText(std::vector<uint8_t>(c.bytes.begin(), c.bytes.end())), c.text) << c.bytes.size();
}

TEST(MonsterTable, OnlyLinesOfSixteenDigitFieldsAreRows) {
  const std::wstring sixteen = L"1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15";
  struct Case {
    std::wstring between;  // a line between the rows with bases 0 and 100, or a break
    std::vector<int32_t> columns1;
  };
  const Case cases[] = {
      {L"\n", {1, 101}},                      // LF
      {L"\r\n", {1, 101}},                    // CR LF
      {L"\r", {}},                            // a lone CR ends nothing: one line, no row
      {L"\n" + Row(200) + L"\r\n", {1, 201, 101}},
      {L"\n" + Row(0) + L"\n", {1, 1, 101}},  // identical rows stack
      {L"\n0" + Row(9) + L"\n", {1, 10, 101}},  // a leading zero: decimal all the same
      {L"\n\n", {1, 101}},
      {L"\nname\thp\tspeed\n", {1, 101}},
      {L"\n" + sixteen + L"\t-16\n", {1, 101}},
      {L"\n" + sixteen + L"\t1.5\n", {1, 101}},
      {L"\n" + sixteen + L"\n", {1, 101}},          // fifteen fields
      {L"\n" + Row(0) + L"\t\n", {1, 101}},         // a trailing TAB
      {L"\n" + Row(0) + L"\t17\n", {1, 101}},       // seventeen fields
      {L"\n" + sixteen + L"\t\t16\n", {1, 101}},    // an empty field too many
  };
  for (const Case& c : cases) {
    MonsterTable table;
    table.ParseText(Row(0) + c.between + Row(100));
    EXPECT_EQ(FirstColumns(table), c.columns1) << std::string(c.between.begin(), c.between.end());
  }
  MonsterTable table;
  table.ParseText(Row(0));
  table.ParseText(Row(100));  // parsing only ever appends
  EXPECT_EQ(FirstColumns(table), (std::vector<int32_t>{1, 101}));
  EXPECT_THROW((void)table.at(2), std::out_of_range);
}

TEST(MonsterTable, FieldsMapOntoTheRecordAndUnreadableOnesCarryTheLastRowsValue) {
  MonsterTable table;
  table.ParseText(L"11\t12\t13\t14\t1\t2\t3\t4\t19\t20\t21\t22\t23\t24\t25\t26\n"
                  L"0\t0\t0\t0\t3\t3\t3\t4\t0\t0\t0\t0\t0\t0\t0\t0");
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table.at(0), (MonsterRecord{11, 12, 13, 14, 2, 1, 2, 3, 4, 19, 20, 21, 22, 23, 24, 25, 26}));
  EXPECT_EQ(table.at(1).average5to8, 3);

  // Empty or beyond the 32-bit range: 0 in the first row, then the previous row's value.
  MonsterTable carried;
  carried.ParseText(L"\t2147483648\t5\t5\t\t5\t5\t5\t5\t5\t5\t5\t5\t5\t5\t5\r\n"
                    L"9\t9\t\t99999999999\t9\t9\t9\t9\t9\t9\t9\t9\t9\t9\t9\t9");
  ASSERT_EQ(carried.size(), 2u);
  EXPECT_EQ(carried.at(0).column1, 0);
  EXPECT_EQ(carried.at(0).column2, 0);
  EXPECT_EQ(carried.at(0).average5to8, (0 + 5 + 5 + 5) / 4);
  EXPECT_EQ(carried.at(1).column3, 5);
  EXPECT_EQ(carried.at(1).column4, 5);
  MonsterTable fresh;  // a new parse starts from zero again
  fresh.ParseText(L"9\t9\t\t9\t9\t9\t9\t9\t9\t9\t9\t9\t9\t9\t9\t9");
  EXPECT_EQ(fresh.at(0).column3, 0);
}

// The check behind the "not UTF-16LE text" line (the game runs show the other lines), and such
// text yields no rows.
TEST(MonsterTable, TextThatIsNotUtf16LeIsToldByItsByteOrderMarkOrItsSingleByteBreaks) {
  const std::wstring rows = L"h\n" + Row(0) + L"\n" + Row(100) + L"\n";
  std::string le;
  for (wchar_t c : rows) le += {char(c), '\0'};
  const std::string narrow(rows.begin(), rows.end()), bigEndian = '\0' + le;  // the same units, a byte on
  const std::pair<std::string, std::wstring> cases[] = {
      {le, L""},
      {"\xFF\xFE" + le, L""},
      {"", L""},
      {narrow, L"TABs and line breaks are single bytes"},
      {bigEndian, L"TABs and line breaks are single bytes"},
      {"\xEF\xBB\xBF" + narrow, L"UTF-8 byte-order mark"},
      {"\xFE\xFF" + bigEndian, L"UTF-16BE byte-order mark"},
  };
  for (const auto& [bytes, reason] : cases)
    EXPECT_EQ(NotUtf16LeReason(std::vector<uint8_t>(bytes.begin(), bytes.end())), reason) << bytes.size();
  MonsterTable table;
  table.ParseText(MonsterFileText(std::vector<uint8_t>(narrow.begin(), narrow.end())));
  EXPECT_TRUE(table.empty());
}

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
  CapturedSystem system;  // reads from disk
  const std::string path = testsupport::SourcePath("Data2/monster.txt");
  MonsterTable table;
  table.LoadFile(std::wstring(path.begin(), path.end()));
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

}  // namespace
