// The set-up script must stop, and say which package, when a package cannot be had.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

TEST(InstallDeps, StopsAndNamesAPackageThatCannotBeHad) {
  if (std::system("command -v apt-get >/dev/null 2>&1 && command -v dpkg-query >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "not a Debian system";
  }
  const std::string name = "arena-no-such-package-for-tests";
  const std::string command = "ARENA_EXTRA_PACKAGES='" + name + "' timeout 240 bash '" ARENA_SOURCE_DIR
                              "/scripts/install-deps.sh' 2>&1 </dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  const int status = ::pclose(pipe);
  ASSERT_TRUE(WIFEXITED(status)) << output;
  EXPECT_NE(WEXITSTATUS(status), 0) << output;
  EXPECT_NE(WEXITSTATUS(status), 124) << "timed out:\n" << output;
  EXPECT_NE(output.find("package not available: " + name), std::string::npos) << output;
  // Nothing was installed on the way: the check comes before apt-get install.
  EXPECT_EQ(output.find("apt-get install failed"), std::string::npos) << output;
}

}  // namespace
