#pragma once
// Reading the game's data files whole: only regular files, without ever blocking on what stands
// in their place (a FIFO, a device, a directory), and never more bytes than the caller allows.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

enum class FileFault {
  None,
  Missing,     // no such file (or a folder on its path is not one)
  NotRegular,  // a directory, FIFO, socket or device
  Unreadable,  // opening or reading failed; `error` says why
  TooLarge,    // over the caller's limit; `size` is what the file held
};

struct FileRead {
  FileFault fault = FileFault::None;
  int error = 0;      // errno of a failed open or read
  uint64_t size = 0;  // bytes the file held when it was refused as too large
  explicit operator bool() const { return fault == FileFault::None; }
};

// The whole file at `path` (relative to the working directory) into `bytes`, left untouched on
// failure. The size is taken from the open file and may change while it is read: a file that
// grows past `maxBytes` is refused, one that shrinks gives what was there.
FileRead ReadRegularFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes);

// The system's text for an errno value ("Permission denied").
std::string ErrorText(int error);

}  // namespace plat
