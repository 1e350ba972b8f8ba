#pragma once
// Conversions between the wide strings the framework uses (UTF-32 on this platform) and the
// UTF-8 every SDL and POSIX call expects. Malformed input becomes U+FFFD, never an error.
#include <string>
#include <string_view>

namespace plat {

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

// Breaks text into lines of at most `width` characters at blanks (runs of blanks between words
// become one); a word longer than a line is cut. Line breaks already there stay.
std::wstring BreakLines(std::wstring_view text, size_t width);

}  // namespace plat
