// The point-exchange file: its writer, the site reader, the site blocks and
// the engine's callbacks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "diag/diag.h"
#include "hull/hull.h"
#include "tests/pipeline/pipeline_test_util.h"

namespace {

using pipeline_test::in_temp_dir;
using pipeline_test::libc_hundredths;
using pipeline_test::slurp;

std::string libc_fixed15(double v) {
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.15f", v);
  return buf;
}

// Doubles that stress "%.15f": ties at the 16th decimal (odd multiples of
// 2^-16), values one ulp around the half-hundredths the reader rounds at,
// signed zeros, the largest fast-path values, subnormals and non-finites.
std::vector<double> tricky_doubles() {
  std::vector<double> v = {0.0, -0.0, 1.0 / 65536, 3.0 / 65536, -5.0 / 65536, 0.125, -0.125, 1.234,
                           5e-16, 4.9999999999999e-16, 1e-15, 2.5e-16, -2.5e-16, 8999.999999999998,
                           9000.0, -8999.9999, 28.0, 3.00555, -3.00555, 1e300, -1e300, DBL_MAX,
                           DBL_MIN, 4.9e-324, INFINITY, -INFINITY, NAN};
  for (int k = -300; k <= 300; ++k) {
    const double h = (k + 0.5) / 100.0;  // a half-hundredth
    v.push_back(h);
    v.push_back(std::nextafter(h, 1e9));
    v.push_back(std::nextafter(h, -1e9));
  }
  for (int k = 1; k < 200; k += 2) v.push_back(k / 65536.0 + 3.0);  // ties beyond the point
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> wide(-9000.0, 9000.0), view(-3.1, 3.1), heights(-3.0, 28.0);
  for (int i = 0; i < 3000; ++i) {
    v.push_back(wide(rng));
    v.push_back(view(rng));
    v.push_back(heights(rng));
    std::uint64_t bits = rng();
    double any;
    std::memcpy(&any, &bits, sizeof any);
    v.push_back(any);
  }
  return v;
}

TEST(FormatFixed15, MatchesPrintfByteForByte) {
  for (double d : tricky_doubles()) {
    char buf[400];
    const int n = format_fixed15(d, buf);
    const std::string want = libc_fixed15(d);
    ASSERT_EQ(want, std::string(buf, static_cast<std::size_t>(n))) << "for " << std::hexfloat << d;
  }
}

TEST(ExchangeValue, IsWhatStrtodReadsBackFromTheText) {
  for (double d : tricky_doubles()) {
    if (!std::isfinite(d)) continue;
    const double want = std::strtod(libc_fixed15(d).c_str(), nullptr);
    const double got = exchange_value(d);
    ASSERT_EQ(0, std::memcmp(&want, &got, sizeof want)) << "for " << std::hexfloat << d;
    if (std::fabs(d) < 1e6) {
      ASSERT_EQ(static_cast<double>(libc_hundredths(d)), exchange_hundredths(d)) << std::hexfloat << d;
    }
  }
}

class PointFile : public in_temp_dir {};


TEST_F(PointFile, WritePointFileWritesOnePrintfLinePerPointInTableOrder) {
  // A longer file first: the rewrite must leave nothing of it behind.
  pipeline_test::set_points({{-2.5, -2.5}, {2.5, 2.5}, {1, 1}, {2, 2}, {-1, -1}, {0, 0}, {0.5, 0.5}});
  write_point_file();
  pipeline_test::set_points({{0.5, -1.25}, {-2.99445, 2.99445}, {1.0 / 3.0, 0.0}, {3.00555, -3.00555}});
  weight = -3.0f;  // heights as the weight slider leaves them, without an edit
  for (int i = 0; i < point_count; ++i) point_table[i].z = lifted_height(point_table[i].x, point_table[i].y);
  write_point_file();
  std::string want;
  char line[400];
  for (int i = 0; i < point_count; ++i) {
    std::snprintf(line, sizeof line, "%.15f %.15f %.15f\n", point_table[i].x, point_table[i].y, point_table[i].z);
    want += line;
  }
  EXPECT_EQ(want, slurp(".ZELMOR"));
  weight = 1.0f;
}

TEST_F(PointFile, AnEmptyPointSetGivesAnEmptyFile) {
  pipeline_test::set_points({{1.0, 1.0}});
  write_point_file();
  point_count = 0;
  write_point_file();
  EXPECT_EQ("", slurp(".ZELMOR"));
}

TEST_F(PointFile, ACreateFailureSaysSoOnStandardOutputAndGoesOn) {
  ASSERT_EQ(0, mkdir(".ZELMOR", 0755));  // fails even for root: a directory cannot be opened for writing
  pipeline_test::set_points({{1.0, 1.0}});
  testing::internal::CaptureStdout();
  write_point_file();
  EXPECT_EQ("File open failed :(\n", testing::internal::GetCapturedStdout());
  struct stat st;
  ASSERT_EQ(0, stat(".ZELMOR", &st));
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

// Reads a whole file through the engine's two callbacks, as recompute does.
struct read_result {
  std::vector<std::vector<double>> sites;
  std::vector<int> numbers;
  bool null_after_last = false;
};

read_result read_all(const std::string& content) {
  {
    std::ofstream f(".ZELMOR", std::ios::binary);
    f << content;
  }
  read_result r;
  point_file = std::fopen(".ZELMOR", "r");
  EXPECT_NE(nullptr, point_file);
  diag_stream = stderr;
  num_blocks = 0;
  site_bytes = 3 * sizeof(double);  // as hull_build sets it for dimension 3
  site_counter = 0;
  site_reader = read_site;
  site_order = order_identity;
  read_site(-1);
  for (;;) {
    double* s = get_next_site();
    if (s == nullptr) break;
    r.sites.push_back({s[0], s[1], s[2]});
    r.numbers.push_back(block_site_num(s));
  }
  r.null_after_last = get_next_site() == nullptr;
  std::fclose(point_file);
  point_file = nullptr;
  release_site_blocks();
  return r;
}

struct ReadCase {
  const char* what;
  std::string content;
  std::vector<std::array<double, 2>> want;  // whole hundredths; the third coordinate is X*X + Y*Y
};

const std::string kLongPad(120, ' ');

const ReadCase kRead[] = {
    {"comments and blank lines anywhere are skipped",
     "% a comment\n\n1 2 3\n   \t \n%1 2 3\n4 5 6\n\n", {{100, 200}, {400, 500}}},
    {"rounding to hundredths", "1.234 0 0\n", {{123, 0}}},
    {"a half goes up", "0.125 -0.125 5\n", {{13, -12}}},
    {"plain numbers in other spellings", "+1.5e0 -.5 1E2\n0x1p1 2. 7\n", {{150, -50}, {200, 200}}},
    {"the file's height is replaced by X*X + Y*Y", "1 2 999\n-3 0 -5\n", {{100, 200}, {-300, 0}}},
    {"a line longer than 99 characters is two lines; a blank rest is skipped",
     "1 2 3" + kLongPad + "\n4 5 6\n", {{100, 200}, {400, 500}}},
    {"a long comment's blank rest is skipped", "%" + std::string(98, 'x') + "   \n7 8 9\n", {{700, 800}}},
    {"a long comment's rest is read as a data line", "%" + std::string(98, 'x') + "1 2 3\n4 5 6\n",
     {{100, 200}, {400, 500}}},
    {"no newline at the end", "1 1 1", {{100, 100}}},
    {"an empty file", "", {}},
    {"only comments", "% nothing\n%\n", {}},
};

class SiteReader : public in_temp_dir {};

TEST_F(SiteReader, ReadsDataLinesIntoSitesInWholeHundredths) {
  for (const ReadCase& c : kRead) {
    SCOPED_TRACE(c.what);
    const read_result r = read_all(c.content);
    ASSERT_EQ(c.want.size(), r.sites.size());
    for (std::size_t i = 0; i < c.want.size(); ++i) {
      const double X = c.want[i][0], Y = c.want[i][1];
      EXPECT_EQ(X, r.sites[i][0]);
      EXPECT_EQ(Y, r.sites[i][1]);
      EXPECT_EQ(X * X + Y * Y, r.sites[i][2]);
      EXPECT_EQ(static_cast<int>(i), r.numbers[i]);
    }
    EXPECT_TRUE(r.null_after_last);
  }
}

TEST_F(SiteReader, FivePointsGiveFiveSitesNumberedInFileOrderAndANullSixthCall) {
  pipeline_test::set_points({{0.01, 0.02}, {-1, 1}, {2.5, -2.5}, {0.004999, 0.005}, {3.00555, -3.00555}});
  write_point_file();
  const read_result r = read_all(slurp(".ZELMOR"));
  ASSERT_EQ(5u, r.sites.size());
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(i, r.numbers[i]);
    EXPECT_EQ(static_cast<double>(libc_hundredths(point_table[i].x)), r.sites[i][0]);
    EXPECT_EQ(static_cast<double>(libc_hundredths(point_table[i].y)), r.sites[i][1]);
  }
  EXPECT_TRUE(r.null_after_last);
}

TEST_F(SiteReader, ThePrimingCallConsumesNoSite) {
  {
    std::ofstream f(".ZELMOR");
    f << "% head\n1 2 3\n4 5 6\n";
  }
  point_file = std::fopen(".ZELMOR", "r");
  num_blocks = 0;
  site_bytes = 24;
  EXPECT_EQ(nullptr, read_site(-1));
  EXPECT_EQ(0, num_blocks);  // priming stores nothing
  double* first = read_site(0);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(100.0, first[0]);
  double* second = read_site(1);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(first + 3, second);  // each site right after the previous one
  EXPECT_EQ(400.0, second[0]);
  EXPECT_EQ(nullptr, read_site(2));
  std::fclose(point_file);
  point_file = nullptr;
  release_site_blocks();
}

TEST_F(SiteReader, RandomCoordinatesRoundLikePrintfThenStrtod) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> u(-3.1, 3.1);
  std::vector<pipeline_test::pt> pts;
  for (int i = 0; i < MAX_POINTS; ++i) pts.push_back({u(rng), u(rng)});
  // Exact half-hundredths and their neighbours are the hard ones.
  pts[0] = {0.125, -0.125};
  pts[1] = {std::nextafter(0.005, 1.0), std::nextafter(-0.005, -1.0)};
  pipeline_test::set_points(pts);
  write_point_file();
  const read_result r = read_all(slurp(".ZELMOR"));
  ASSERT_EQ(pts.size(), r.sites.size());
  for (std::size_t i = 0; i < pts.size(); ++i) {
    ASSERT_EQ(static_cast<double>(libc_hundredths(pts[i][0])), r.sites[i][0]) << i;
    ASSERT_EQ(static_cast<double>(libc_hundredths(pts[i][1])), r.sites[i][1]) << i;
  }
}

TEST(BlockSiteNum, NumbersSitesAcrossBlocksAndRefusesStrangers) {
  num_blocks = 0;
  site_bytes = 24;
  EXPECT_EQ(-2, block_site_num(nullptr));
  double* s = new_site(nullptr, 0);
  EXPECT_EQ(1, num_blocks);
  double* first = s;
  for (int j = 1; j < BLOCKSIZE; ++j) s = new_site(s, j);
  EXPECT_EQ(BLOCKSIZE - 1, block_site_num(s));
  double* next_block = new_site(s, BLOCKSIZE);
  EXPECT_EQ(2, num_blocks);
  EXPECT_EQ(0, block_site_num(first));
  EXPECT_EQ(BLOCKSIZE, block_site_num(next_block));
  EXPECT_EQ(BLOCKSIZE + 1, block_site_num(next_block + 3));
  double elsewhere[3];
  EXPECT_EQ(-3, block_site_num(elsewhere));
  release_site_blocks();
  EXPECT_EQ(0, num_blocks);
}

TEST(OrderIdentity, ReturnsItsArgument) {
  for (int j : {0, 1, 199, 100000}) EXPECT_EQ(j, order_identity(j));
}

}  // namespace
