#include "platform/system/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace plat {

namespace {

// Closes the descriptor whatever path the read takes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// How far the buffer grows at a time when the file turns out longer than its size said.
constexpr size_t kGrowStep = size_t(64) << 10;

}  // namespace

FileRead ReadRegularFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes) {
  if (path.empty() || path.find('\0') != std::string::npos) return {FileFault::Missing, ENOENT};
  // Non-blocking, so that a FIFO's open returns at once instead of waiting for a writer; a
  // regular file reads the same either way.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) {
    const int error = errno;
    return {error == ENOENT || error == ENOTDIR ? FileFault::Missing : FileFault::Unreadable, error};
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return {FileFault::Unreadable, errno};
  if (!S_ISREG(st.st_mode)) return {FileFault::NotRegular};
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (size > maxBytes) return {FileFault::TooLarge, 0, size};

  const uint64_t overLimit = maxBytes < UINT64_MAX ? maxBytes + 1 : maxBytes;
  std::vector<uint8_t> data(static_cast<size_t>(size));
  size_t done = 0;
  for (;;) {
    if (done == data.size()) {
      // Grown since fstat (or a file that reports no size): read on, one byte past the limit at
      // most, which is enough to know it is over.
      if (done > maxBytes) return {FileFault::TooLarge, 0, done};
      data.resize(static_cast<size_t>(std::min<uint64_t>(overLimit, done + kGrowStep)));
    }
    const ssize_t n = ::read(fd.get(), data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return {FileFault::Unreadable, errno};
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  if (done > maxBytes) return {FileFault::TooLarge, 0, done};
  data.resize(done);
  bytes = std::move(data);
  return {};
}

std::string ErrorText(int error) {
  char buffer[256] = {};
  // The GNU strerror_r returns its text, which need not be the buffer.
  return ::strerror_r(error, buffer, sizeof buffer);
}

}  // namespace plat
