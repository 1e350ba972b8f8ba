#pragma once
// An X server (Xvfb) of the test's own, on a display number the server picks itself, so that tests
// running at the same time share no display, keyboard focus, pointer or window manager. It ends
// with the object, and with the test process when that dies first (a crash, a CTest timeout).
#include <sys/types.h>

#include <string>

namespace testsupport {

class XServer {
 public:
  // Screen as WxHxD. Waits (generously) until the server takes connections.
  explicit XServer(const std::string& screen = "1280x1024x24");
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  bool Started() const { return !display_.empty(); }
  const std::string& Display() const { return display_; }  // ":N"
  const std::string& Error() const { return error_; }      // why it did not start

 private:
  pid_t pid_ = -1;
  std::string display_, error_;
};

}  // namespace testsupport
