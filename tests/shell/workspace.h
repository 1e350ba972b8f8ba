#pragma once
// A fresh working directory with a Data2 folder for one test, and the services the game's code
// reaches: debugger output captured, files read from disk, a recording graphics device.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/services.h"
#include "tests/fakes/debug_capture.h"
#include "tests/fakes/fake_graphics.h"
#include "tests/support/test_support.h"

class Workspace : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("arena-shell-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "Data2");
    std::filesystem::current_path(dir_);
    plat::Services services;
    services.system = &system_;
    plat::SetServices(services);
  }
  void TearDown() override {
    plat::SetServices(plat::Services{});
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(dir_);
  }

  // A PNG of this size under the working directory ("Data2/TimeBar.png").
  static void WriteImage(const std::string& name, uint32_t width, uint32_t height) {
    testsupport::Image image;
    image.width = width;
    image.height = height;
    image.argb.assign(size_t(width) * height, 0xFF336699u);
    ASSERT_TRUE(testsupport::WritePng(name, image)) << name;
  }

  // The eight images the Scene loads, and a monster table of `records` rows (UTF-16LE, header
  // line first, sixteen TAB-separated fields).
  static void WriteGameData(int records) {
    for (const char* name : {"Monster", "BattleBackground", "BattleSelectBackground", "BattleCommand",
                             "BattleHilite", "TimeBar", "MonsterName", "BattleAnimation"})
      WriteImage(std::string("Data2/") + name + ".png", 256, 320);
    std::wstring text = L"\xFEFFname\thp\tspeed\n";
    for (int r = 0; r < records; ++r)
      for (int f = 1; f <= 16; ++f) text += std::to_wstring(f == 3 ? 100 : 10 * r + f) + (f == 16 ? L"\r\n" : L"\t");
    std::ofstream out("Data2/monster.txt", std::ios::binary);
    for (wchar_t c : text) out << char(c & 0xFF) << char((c >> 8) & 0xFF);
  }

  DebugCapture system_;
  std::shared_ptr<fake::FakeDeviceState> deviceState_ = std::make_shared<fake::FakeDeviceState>();
  fake::FakeDevice device_{deviceState_};

 private:
  std::filesystem::path previous_, dir_;
};
