#pragma once
// The monster table: one record per matching row of "Data2/monster.txt", addressed by its
// 0-based position among the matching rows (the monster index).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system/file_read.h"

// One row of the table. Field order is the record's layout: the computed average stands between
// column4 and column5. File columns are numbered from 1.
struct MonsterRecord {
  int32_t column1 = 0;
  int32_t column2 = 0;   // hit points on summoning
  int32_t column3 = 0;   // speed divisor: the time bar lasts 400 / column3 seconds
  int32_t column4 = 0;
  int32_t average5to8 = 0;  // (column5 + column6 + column7 + column8) / 4, truncated toward zero
  int32_t column5 = 0;
  int32_t column6 = 0;
  int32_t column7 = 0;
  int32_t column8 = 0;
  int32_t column9 = 0;
  int32_t column10 = 0;
  int32_t column11 = 0;  // BattleCommand.png cell of command row 0
  int32_t column12 = 0;
  int32_t column13 = 0;  // attack damage
  int32_t column14 = 0;  // BattleCommand.png cell of command row 1
  int32_t column15 = 0;
  int32_t column16 = 0;

  bool operator==(const MonsterRecord&) const = default;
};

class MonsterTable {
 public:
  // Largest file read, 32 MiB: some 200,000 rows where a real table has tens. A larger file is
  // refused by its size before any of it is read, so a huge (or sparse) file costs nothing.
  static constexpr uint64_t kMaxFileBytes = uint64_t(32) << 20;

  // How the last LoadFile went, kept so that a table too short to play can say why.
  struct LoadReport {
    plat::FileRead read;
    std::wstring notUtf16Le;  // why the bytes are not UTF-16LE text; empty when they may be
  };

  // Reads the file (UTF-16LE, first line dropped) and appends its rows. Returns 1 in every case;
  // a file that cannot be read adds nothing.
  int32_t LoadFile(const std::wstring& fileName);
  const LoadReport& LastLoad() const { return report_; }

  // Appends one record per line that is exactly sixteen TAB-separated digit fields.
  void ParseText(std::wstring text);

  // Range-checked: throws std::out_of_range past the end.
  const MonsterRecord& at(size_t index) const { return records_.at(index); }
  size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  auto begin() const { return records_.begin(); }
  auto end() const { return records_.end(); }

  void push_back(const MonsterRecord& record) { records_.push_back(record); }
  // Empties the table and gives its storage back.
  void clear() {
    std::vector<MonsterRecord>().swap(records_);
    report_ = LoadReport{};
  }

 private:
  std::vector<MonsterRecord> records_;
  LoadReport report_;
};

// The text of a monster file: bytes taken two at a time as little-endian code units (an odd last
// byte gets a zero high byte), up to the first zero unit, with everything up to and including the
// first LF removed (nothing when there is no LF).
std::wstring MonsterFileText(const std::vector<uint8_t>& bytes);

// Why `bytes` cannot be UTF-16LE text, or empty when they may be: a byte-order mark of another
// encoding, or line breaks and TABs that stand as single bytes rather than 16-bit units.
std::wstring NotUtf16LeReason(const std::vector<uint8_t>& bytes);

// The line that tells why the table loaded from `fileName` cannot serve a battle needing `needed`
// records: the file was missing, not a regular file, unreadable (with the system's reason), too
// large or not UTF-16LE; otherwise how many records it held against how many are needed.
std::wstring ShortTableLine(const std::wstring& fileName, const MonsterTable& table, size_t needed);
