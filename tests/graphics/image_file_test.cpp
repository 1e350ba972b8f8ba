// Decoded images are reused only while a file's bytes stay the same.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/graphics/image_file.h"
#include "tests/support/test_support.h"

namespace {

testsupport::Image Filled(uint32_t width, uint32_t height, uint32_t argb) {
  testsupport::Image image;
  image.width = width;
  image.height = height;
  image.argb.assign(size_t(width) * height, argb);
  return image;
}

TEST(ImageFile, RereadFileWithNewContentGivesTheNewPixels) {
  const std::string path = testsupport::BinaryPath("image_file_test/changing.png");
  const std::wstring wide(path.begin(), path.end());
  plat::gfx::DecodedImage image;

  ASSERT_TRUE(testsupport::WritePng(path, Filled(4, 2, 0xFFFF0000u)));
  ASSERT_EQ(plat::gfx::DecodeImageFile(wide, true, image), S_OK);
  EXPECT_EQ(image.argb.at(0), 0xFFFF0000u);

  // Same size, other colour: a stale copy would still be red.
  ASSERT_TRUE(testsupport::WritePng(path, Filled(4, 2, 0xFF0000FFu)));
  ASSERT_EQ(plat::gfx::DecodeImageFile(wide, true, image), S_OK);
  EXPECT_EQ(image.argb.at(7), 0xFF0000FFu);
  ASSERT_EQ(plat::gfx::DecodeImageFile(wide, true, image), S_OK);
  EXPECT_EQ(image.argb.at(0), 0xFF0000FFu);
  EXPECT_EQ(image.info.Width, 4u);

  // A file that has gone away is an error, not a remembered picture.
  std::filesystem::remove(path);
  EXPECT_TRUE(Failed(plat::gfx::DecodeImageFile(wide, true, image)));
}

}  // namespace
