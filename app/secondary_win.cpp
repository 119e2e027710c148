// The site reader: turns the lines of the point-exchange file into the hull
// engine's sites, and the block storage that holds those sites until the
// recomputation ends.
//
// A site is site_dim = 3 doubles: x and y in whole hundredths of a plane
// unit, then X*X + Y*Y of those whole hundredths, less the point's weight in
// the same square units when a front end gives weights (weight_units; none
// in zelmor, where it is 0).  The file's own third
// number (the height x*x + y*y + weight) is checked but not used: rounded on
// its own it would not lie on the paraboloid through the rounded x and y, and
// the hull would lose points and Delaunay triangles.  A constant added to
// every height (the weight) and a uniform scale of the third axis change no
// face of the hull, so X*X + Y*Y gives exactly the faces of the rounded
// points' lift.
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "diag/diag.h"
#include "hull/hull.h"

double* site_blocks[MAXBLOCKS];
int num_blocks = 0;
int site_dim = 3;
int site_counter = 0;
char line_buf[LINE_BUF_SIZE];
FILE* point_file = nullptr;

namespace {

// The site handed out by the previous read_site call (new_site places the
// next one right after it) and whether the last line read met the end.
double* previous_site = nullptr;
bool reader_at_end = true;

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::uint64_t kTwo53 = std::uint64_t{1} << 53;

// Plain decimal tokens, [+-]digits[.digits] with at least one digit: the
// form every line of the program's own file takes.  When the digits, read as
// one integer N, stay within 2^53 and there are at most 22 of them after the
// point, N / 10^k divides two exactly represented doubles, so the quotient
// is the correctly rounded value, the same that strtod returns.
// Returns 1 with *v set, 2 for a plain token too long for that (value not
// computed), 0 when the token is not plain.
int parse_plain(const char* p, const char* end, double* v) {
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  std::uint64_t n = 0;
  int digits = 0, decimals = 0;
  bool fits = true, seen_point = false;
  for (; p < end; ++p) {
    const char c = *p;
    if (c == '.' && !seen_point) {
      seen_point = true;
      continue;
    }
    if (c < '0' || c > '9') return 0;
    ++digits;
    if (seen_point) ++decimals;
    if (fits) {
      n = n * 10 + static_cast<std::uint64_t>(c - '0');
      if (n > kTwo53) fits = false;
    }
  }
  if (digits == 0) return 0;
  if (!fits || decimals > 22) return 2;
  const double q = static_cast<double>(n) / kPow10[decimals];
  *v = negative ? -q : q;
  return 1;
}

// Does the token [p, end) yield a finite number?  want_value asks for the
// number itself in *v.  Anything that is not a plain decimal goes to strtod,
// which reads the longest numeric prefix and stops at the whitespace that
// ends the token.
bool token_number(const char* p, const char* end, bool want_value, double* v) {
  const int plain = parse_plain(p, end, v);
  if (plain == 1 || (plain == 2 && !want_value)) return true;
  char* stop = nullptr;
  const double d = std::strtod(p, &stop);
  if (stop == p || !std::isfinite(d)) return false;
  *v = d;
  return true;
}

// isspace of the "C" locale, which the program never leaves; inline, since
// the reader looks at every character of every line.
inline bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool is_blank(const char* s) {
  for (; *s != '\0'; ++s) {
    if (!is_space(*s)) return false;
  }
  return true;
}

// Reads the next data line into line_buf, skipping comments ('%' first) and
// blank lines.  Returns false at the end of the file.
bool read_data_line() {
  while (std::fgets(line_buf, LINE_BUF_SIZE, point_file) != nullptr) {
    if (line_buf[0] == '%' || is_blank(line_buf)) continue;
    return true;
  }
  return false;
}

[[noreturn]] void bad_input_line() { fatal_error("bad input line: %s\n", line_buf); }

}  // namespace

double* new_site(double* prev, int j) {
  // clang-format off: the expression texts are part of the failure messages
  assert(num_blocks+1<MAXBLOCKS);
  if (j % BLOCKSIZE != 0) return prev + site_dim;
  assert(num_blocks < MAXBLOCKS);
  // clang-format on
  // site_bytes comes from hull_build; a block never holds less than the
  // site_dim doubles per site that read_site stores.
  std::size_t bytes_per_site = static_cast<std::size_t>(site_bytes);
  const std::size_t needed = static_cast<std::size_t>(site_dim) * sizeof(double);
  if (bytes_per_site < needed) bytes_per_site = needed;
  auto* block = static_cast<double*>(std::malloc(BLOCKSIZE * bytes_per_site));
  if (block == nullptr) fatal_error("out of memory for a block of %d sites\n", BLOCKSIZE);
  site_blocks[num_blocks] = block;
  ++num_blocks;
  return block;
}

void release_site_blocks() {
  for (int i = 0; i < num_blocks; ++i) {
    std::free(site_blocks[i]);
    site_blocks[i] = nullptr;
  }
  num_blocks = 0;
}

double* read_site(int j) {
  double* s = nullptr;
  if (j != -1) s = new_site(previous_site, j);
  // j = 0 parses the line that the priming call read: the file is read once.
  if (j != 0) reader_at_end = !read_data_line();
  if (reader_at_end) {
    previous_site = nullptr;
    return nullptr;
  }

  int k = 0;
  const char* p = line_buf;
  for (;;) {
    while (*p != '\0' && is_space(*p)) ++p;
    if (*p == '\0') break;
    const char* end = p;
    while (*end != '\0' && !is_space(*end)) ++end;
    if (j != -1) {
      double v = 0.0;
      // The third number is only checked: the site's third coordinate is
      // made from the rounded x and y below.
      if (!token_number(p, end, k < 2, &v)) bad_input_line();
      if (k < 2) {
        const double h = std::floor(100.0 * v + 0.5);
        // Beyond the limit the exact integer arithmetic downstream would
        // overflow; such a file is not one the program wrote.
        if (!(std::fabs(h) <= 100.0 * COORD_LIMIT)) bad_input_line();
        s[k] = h;
      }
    }
    ++k;
    p = end;
  }

  // The message, then the location line of an internal error report.
  if (k != site_dim) fatal_error("inconsistent input\n%s line %d \n", __FILE__, __LINE__);
  if (s != nullptr) {
    // Exact: |s[0]|, |s[1]| <= 10^6 and |weight| <= 10^12 keep every value
    // an integer below 2^53.
    s[2] = s[0] * s[0] + s[1] * s[1];
    const long long w = weight_units(j);
    if (w != 0) s[2] -= static_cast<double>(w);
  }
  previous_site = s;
  return s;
}
