#include "game/data/monster_table.h"

#include <array>
#include <limits>
#include <stdexcept>

#include <boost/regex.hpp>

#include "platform/services.h"

namespace {

// Sixteen fields of digits, each but the last followed by one TAB; nothing else on the line.
std::wstring RowPattern() {
  std::wstring pattern;
  for (int i = 0; i < 15; ++i) pattern += L"(\\d*?)\t";
  pattern += L"(\\d*)";
  return pattern;
}

// Decimal digits into a signed 32-bit value. False for an empty field, a value above the 32-bit
// range, or a digit outside 0-9 that the regex library's digit class may still accept.
template <typename It>
bool ToInt32(It first, It last, int32_t& value) {
  if (first == last) return false;
  int64_t n = 0;
  for (It it = first; it != last; ++it) {
    const wchar_t c = *it;
    if (c < L'0' || c > L'9') return false;
    n = n * 10 + (c - L'0');
    if (n > std::numeric_limits<int32_t>::max()) return false;
  }
  value = static_cast<int32_t>(n);
  return true;
}

}  // namespace

std::wstring MonsterFileText(const std::vector<uint8_t>& bytes) {
  std::wstring text;
  const size_t units = (bytes.size() + 1) / 2;
  text.reserve(units);
  for (size_t i = 0; i < units; ++i) {
    const size_t lo = 2 * i, hi = lo + 1;
    const wchar_t unit = static_cast<wchar_t>(bytes[lo] | (hi < bytes.size() ? bytes[hi] << 8 : 0));
    if (unit == 0) break;
    text.push_back(unit);
  }
  const size_t lf = text.find(L'\n');
  if (lf != std::wstring::npos) text.erase(0, lf + 1);
  return text;
}

int32_t MonsterTable::LoadFile(const std::wstring& fileName) {
  plat::ISystem* system = plat::GetServices().system;
  if (system == nullptr) return 1;
  std::vector<uint8_t> bytes;
  if (!system->ReadWholeFile(fileName, bytes)) return 1;
  ParseText(MonsterFileText(bytes));
  return 1;
}

void MonsterTable::ParseText(std::wstring text) {
  static const boost::wregex lineBreak(L"\r\n|\n");
  static const boost::wregex row(RowPattern());

  // Zero from the start, so an unconvertible field of the first row reads as 0; later rows keep
  // the previous matching row's value in such a field.
  MonsterRecord work;
  std::array<int32_t*, 16> columns = {
      &work.column1,  &work.column2,  &work.column3,  &work.column4,  &work.column5,  &work.column6,
      &work.column7,  &work.column8,  &work.column9,  &work.column10, &work.column11, &work.column12,
      &work.column13, &work.column14, &work.column15, &work.column16};

  boost::wsregex_token_iterator line(text.begin(), text.end(), lineBreak, -1), done;
  boost::wsmatch groups;
  for (; line != done; ++line) {
    bool matched = false;
    try {
      matched = boost::regex_match(line->first, line->second, groups, row);
    } catch (const std::runtime_error&) {
      // The library gives up on pathological lines; such a line is not a row.
      matched = false;
    }
    if (!matched) continue;
    for (int g = 0; g < 16; ++g) {
      ToInt32(groups[g + 1].first, groups[g + 1].second, *columns[g]);
      if (g == 7) {
        // Widened so that four large columns cannot overflow; the mean always fits again.
        const int64_t sum = int64_t{work.column5} + work.column6 + work.column7 + work.column8;
        work.average5to8 = static_cast<int32_t>(sum / 4);
      }
    }
    records_.push_back(work);
  }
}
