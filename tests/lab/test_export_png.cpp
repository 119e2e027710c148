// The lab's PNG writer without a display: its files read back pixel for
// pixel, in our own reader and in ImageMagick's (an independent decoder),
// across deflate's 65535-byte block bound; dated names never replace a
// file.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lab/export_png.h"
#include "tests/files/files_test_util.h"

namespace {

// Pixels with a value of their own each, bottom row first.
std::vector<unsigned char> pattern(int w, int h) {
  std::vector<unsigned char> rgb(static_cast<std::size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char* p = &rgb[(static_cast<std::size_t>(y) * w + x) * 3];
      p[0] = static_cast<unsigned char>(x * 7 + y);
      p[1] = static_cast<unsigned char>(y * 13);
      p[2] = static_cast<unsigned char>(x ^ y);
    }
  return rgb;
}

struct Size {
  int w, h;
};
// 1 x 1; one row of 21844 pixels is 65533 raw bytes (block fits); 21845
// pixels 65536 (two blocks); a window-sized picture of many blocks.
const Size kSizes[] = {{1, 1}, {21844, 1}, {21845, 1}, {3, 7}, {540, 540}};

TEST(PngEncode, ReadsBackPixelForPixel) {
  for (const Size& s : kSizes) {
    SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h));
    const std::vector<unsigned char> rgb = pattern(s.w, s.h);
    const std::string png = png_encode(s.w, s.h, rgb.data());
    int w = 0, h = 0;
    std::string top_down;
    ASSERT_TRUE(png_decode_stored(png, &w, &h, &top_down));
    ASSERT_EQ(w, s.w);
    ASSERT_EQ(h, s.h);
    // Row 0 of the file is the top: the last row given.
    const std::size_t row = static_cast<std::size_t>(s.w) * 3;
    for (int y = 0; y < s.h; ++y)
      ASSERT_EQ(top_down.compare(row * y, row, std::string(reinterpret_cast<const char*>(rgb.data()) + row * (s.h - 1 - y), row)), 0)
          << "row " << y;
  }
}

TEST(PngEncode, ACorruptByteIsNoticed) {
  const std::vector<unsigned char> rgb = pattern(4, 4);
  std::string png = png_encode(4, 4, rgb.data());
  png[png.size() / 2] ^= 0x10;
  int w, h;
  std::string out;
  EXPECT_FALSE(png_decode_stored(png, &w, &h, &out));
}

class PngFiles : public files_test::in_fresh_dir {};

TEST_F(PngFiles, ImageMagickReadsTheSamePixels) {
  if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ImageMagick";
  const int w = 300, h = 230;  // three rows more than one block
  const std::vector<unsigned char> rgb = pattern(w, h);
  files_test::spit("p.png", png_encode(w, h, rgb.data()));
  ASSERT_EQ(std::system("convert p.png -depth 8 rgb:p.rgb 2>err.txt"), 0) << files_test::slurp("err.txt");
  const std::string raw = files_test::slurp("p.rgb");
  ASSERT_EQ(raw.size(), rgb.size());
  const std::size_t row = static_cast<std::size_t>(w) * 3;
  for (int y = 0; y < h; ++y)
    ASSERT_EQ(raw.compare(row * y, row, std::string(reinterpret_cast<const char*>(rgb.data()) + row * (h - 1 - y), row)), 0)
        << "row " << y;
}

TEST_F(PngFiles, DatedNamesNeverReplaceAFile) {
  const std::string stamp = dated_stamp();
  ASSERT_EQ(stamp.size(), 15u);
  // The name this second would take is there already (and a link at the
  // next one): both are left as they were.
  files_test::spit("pic-" + stamp + ".png", "keep me");
  ASSERT_EQ(symlink("nowhere", ("pic-" + stamp + "-2.png").c_str()), 0);
  std::string name, reason;
  ASSERT_EQ(write_new_dated("pic", ".png", "new", &name, &reason), 0) << reason;
  // The stamp may have moved on by a second meanwhile; then the plain name is free.
  if (name.find(stamp) != std::string::npos) {
    EXPECT_EQ(name, "pic-" + stamp + "-3.png");
  }
  EXPECT_EQ(files_test::slurp(name), "new");
  EXPECT_EQ(files_test::slurp("pic-" + stamp + ".png"), "keep me");
  EXPECT_EQ(files_test::kind_of("pic-" + stamp + "-2.png"), static_cast<mode_t>(S_IFLNK));
}

TEST_F(PngFiles, AFolderThatRefusesSaysWhy) {
  if (geteuid() == 0) {
    // root writes anywhere: a missing folder refuses instead.
    std::string name, reason;
    EXPECT_EQ(write_new_dated("no/such/folder/pic", ".png", "x", &name, &reason), ENOENT);
    EXPECT_FALSE(reason.empty());
    return;
  }
  ASSERT_EQ(chmod(".", 0555), 0);
  std::string name, reason;
  EXPECT_EQ(write_new_dated("pic", ".png", "x", &name, &reason), EACCES);
  EXPECT_FALSE(reason.empty());
  chmod(".", 0755);
}

}  // namespace
