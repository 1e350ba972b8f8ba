// The monster table loader: line handling, row matching, field conversion and file reading.
#include "game/data/monster_table.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/data/memory_system.h"

using datatest::ScopedMemorySystem;
using datatest::Utf16le;

namespace {

const std::wstring kFile = L"Data2/monster.txt";
const std::wstring kHeader = L"name\thp\tspeed\n";

// Sixteen fields joined by TABs; field i holds base + i.
std::wstring Row(int base) {
  std::wstring row;
  for (int i = 1; i <= 16; ++i) {
    if (i > 1) row += L'\t';
    row += std::to_wstring(base + i);
  }
  return row;
}

std::wstring Join(const std::vector<std::wstring>& fields) {
  std::wstring row;
  for (size_t i = 0; i < fields.size(); ++i) row += (i ? L"\t" : L"") + fields[i];
  return row;
}

MonsterTable Load(ScopedMemorySystem& sys, const std::vector<uint8_t>& bytes) {
  sys.system.files[kFile] = bytes;
  MonsterTable table;
  EXPECT_EQ(table.LoadFile(kFile), 1);
  return table;
}

}  // namespace

TEST(MonsterTable, UnreadableFilesLeaveTheTableEmptyAndStillReportOne) {
  ScopedMemorySystem sys;
  MonsterTable table;
  EXPECT_EQ(table.LoadFile(L"Data2/none.txt"), 1);
  EXPECT_TRUE(table.empty());
  sys.system.files[kFile] = Utf16le(kHeader + Row(0) + L"\n");
  sys.system.unreadable.push_back(kFile);
  EXPECT_EQ(table.LoadFile(kFile), 1);
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(sys.system.reads, 2);
}

TEST(MonsterTable, FirstLineIsDroppedOnlyUpToTheFirstLineFeed) {
  ScopedMemorySystem sys;
  // Without any LF nothing is dropped: the lone row loads.
  MonsterTable lone = Load(sys, Utf16le(Row(0)));
  ASSERT_EQ(lone.size(), 1u);
  EXPECT_EQ(lone.at(0).column16, 16);
  // The same row ended by a LF is the first line, and goes.
  EXPECT_TRUE(Load(sys, Utf16le(Row(0) + L"\n")).empty());
  // A valid row in the first line is lost when a LF follows.
  MonsterTable two = Load(sys, Utf16le(Row(0) + L"\n" + Row(100)));
  ASSERT_EQ(two.size(), 1u);
  EXPECT_EQ(two.at(0).column1, 101);
}

TEST(MonsterTable, CrLfAndLfMayBeMixedButALoneCrEndsNothing) {
  ScopedMemorySystem sys;
  MonsterTable table =
      Load(sys, Utf16le(kHeader + Row(0) + L"\r\n" + Row(100) + L"\n" + Row(200) + L"\r\n" + Row(300)));
  ASSERT_EQ(table.size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(table.at(i).column1, int32_t(100 * i + 1));
  EXPECT_TRUE(Load(sys, Utf16le(kHeader + Row(0) + L"\r" + Row(100))).empty());
}

TEST(MonsterTable, MalformedRowsAreSkippedAndTheNextRowTakesTheNextPosition) {
  const std::vector<std::wstring> bad = {
      L"",
      L"name\thp\tspeed",
      L"1\t-2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16",
      L"1\t2.5\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16",
      Row(0) + L"\t",
      L"1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15",
      Row(0) + L"\t17",
      L"1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t\t16",
  };
  ScopedMemorySystem sys;
  for (const auto& line : bad) {
    SCOPED_TRACE(std::string(line.begin(), line.end()));
    MonsterTable table = Load(sys, Utf16le(kHeader + Row(0) + L"\n" + line + L"\n" + Row(100) + L"\n"));
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.at(0).column1, 1);
    EXPECT_EQ(table.at(1).column1, 101);
    EXPECT_THROW((void)table.at(2), std::out_of_range);
  }
}

TEST(MonsterTable, FieldsMapOntoTheRecordWithTheAverageBetweenColumnsFourAndFive) {
  MonsterTable table;
  table.ParseText(Join({L"11", L"12", L"13", L"14", L"1", L"2", L"3", L"4", L"19", L"20", L"21",
                        L"22", L"23", L"24", L"25", L"26"}) +
                  L"\n" + Join({L"0", L"0", L"0", L"0", L"3", L"3", L"3", L"4", L"0", L"0", L"0",
                                L"0", L"0", L"0", L"0", L"0"}));
  ASSERT_EQ(table.size(), 2u);
  const MonsterRecord& r = table.at(0);
  EXPECT_EQ(r, (MonsterRecord{11, 12, 13, 14, 2, 1, 2, 3, 4, 19, 20, 21, 22, 23, 24, 25, 26}));
  EXPECT_EQ(table.at(1).average5to8, 3);
}

TEST(MonsterTable, FieldsWithoutANumberStartAtZeroThenCarryTheLastRowsValue) {
  MonsterTable table;
  std::vector<std::wstring> first(16, L"5"), second(16, L"9");
  first[0] = L"";              // empty
  first[1] = L"2147483648";    // beyond the 32-bit range
  first[4] = L"";              // column5 feeds the average
  second[2] = L"";             // carries first row's column3
  second[3] = L"99999999999";  // carries first row's column4
  table.ParseText(Join(first) + L"\r\n" + Join(second));
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table.at(0).column1, 0);
  EXPECT_EQ(table.at(0).column2, 0);
  EXPECT_EQ(table.at(0).column5, 0);
  EXPECT_EQ(table.at(0).average5to8, (0 + 5 + 5 + 5) / 4);
  EXPECT_EQ(table.at(1).column1, 9);
  EXPECT_EQ(table.at(1).column3, 5);
  EXPECT_EQ(table.at(1).column4, 5);
  // A fresh call starts from zero again.
  MonsterTable other;
  other.ParseText(Join(second));
  EXPECT_EQ(other.at(0).column3, 0);
}

TEST(MonsterTable, OddByteCountsAndZeroUnitsEndTheTextSafely) {
  ScopedMemorySystem sys;
  // The odd last byte becomes a unit with a zero high byte: "7" extends the last field.
  std::vector<uint8_t> bytes = Utf16le(kHeader + Row(0));
  bytes.push_back('7');
  MonsterTable odd = Load(sys, bytes);
  ASSERT_EQ(odd.size(), 1u);
  EXPECT_EQ(odd.at(0).column16, 167);
  // A single byte is one unit and no row.
  EXPECT_TRUE(Load(sys, {'5'}).empty());
  // The text stops at the first zero unit.
  MonsterTable cut = Load(sys, Utf16le(kHeader + Row(0) + L"\n" + std::wstring(1, L'\0') + Row(100)));
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut.at(0).column1, 1);
}

TEST(MonsterTable, IdenticalRowsStackAndReloadingAfterClearDoesNotDouble) {
  ScopedMemorySystem sys;
  sys.system.files[kFile] = Utf16le(kHeader + Row(0) + L"\n" + Row(0) + L"\n" + Row(50) + L"\n");
  MonsterTable table;
  table.LoadFile(kFile);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table.at(0), table.at(1));
  table.clear();
  EXPECT_TRUE(table.empty());
  table.LoadFile(kFile);
  EXPECT_EQ(table.size(), 3u);
  // Without the clear, parsing only ever appends.
  table.LoadFile(kFile);
  EXPECT_EQ(table.size(), 6u);
}
