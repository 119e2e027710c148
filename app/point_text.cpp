// The point-file reader shared by the batch tool and the lab.
#include "app/point_text.h"

#include <cctype>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::vector<std::string> tokens_of(const std::string& line) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    std::size_t j = i;
    while (j < line.size() && !std::isspace(static_cast<unsigned char>(line[j]))) ++j;
    if (j > i) out.push_back(line.substr(i, j - i));
    i = j;
  }
  return out;
}

}  // namespace

bool full_number(const std::string& s, double* v) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double d = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(d)) return false;
  *v = d;
  return true;
}

namespace {

// The fewest %g digits (at most max_digits, enough for any value of the
// type) whose text reads back as v through read.
template <typename T>
std::string fewest_digits(T v, int max_digits, T (*read)(const char*, char**)) {
  char buf[40];
  for (int digits = 1; digits <= max_digits; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(v));
    if (read(buf, nullptr) == v) break;
  }
  return buf;
}

}  // namespace

std::string shortest_text(double v) {
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
  // The web edition: Emscripten's libc++ before 14 has to_chars for whole
  // numbers only (a double would bind to the deleted bool overload).  The
  // fewest digits that read back as the same double keep the promise that
  // matters: the same value, as few digits.
  return fewest_digits(v, 17, std::strtod);
#else
  char buf[32];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
#endif
}

std::string shortest_text(float v) {
  // Every standard library has snprintf, not every one to_chars of a float.
  return fewest_digits(v, 9, std::strtof);
}

bool number_list(const std::string& s, double* out, int n) {
  std::size_t at = 0;
  for (int i = 0; i < n; ++i) {
    const std::size_t comma = s.find(',', at);
    const bool last = i == n - 1;
    if (last != (comma == std::string::npos)) return false;
    const std::string piece = s.substr(at, last ? std::string::npos : comma - at);
    if (piece.empty() || piece.size() > 40 || std::isspace(static_cast<unsigned char>(piece[0])) ||
        !full_number(piece, &out[i])) {
      return false;
    }
    at = comma + 1;
  }
  return true;
}

namespace {

// Longer lines are refused: no point line is anywhere near as long, and an
// endless stream without newlines (a device, a pipe) must not grow memory
// for ever.
constexpr std::size_t kMaxLine = 65536;

enum class line_read { line, end, too_long, too_many_bytes, error };

// The next line of in, without its newline, into *line; *bytes counts what
// was read, up to max_bytes (0: no bound).
line_read next_line(FILE* in, std::string* line, std::size_t* bytes, std::size_t max_bytes) {
  line->clear();
  bool any = false;
  int c = 0;
  while ((c = getc(in)) != EOF) {
    if (max_bytes != 0 && *bytes == max_bytes) return line_read::too_many_bytes;
    ++*bytes;
    any = true;
    if (c == '\n') return line_read::line;
    if (line->size() == kMaxLine) return line_read::too_long;
    line->push_back(static_cast<char>(c));
  }
  if (std::ferror(in)) return line_read::error;
  return any ? line_read::line : line_read::end;
}

// The line as a message shows it: a control byte other than a tab (a NUL
// would end the message where it stands) as \xNN.
std::string shown(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c < 0x20 && c != '\t') || c == 0x7f) {
      char esc[5];
      std::snprintf(esc, sizeof esc, "\\x%02x", c);
      out += esc;
    } else {
      out += ch;
    }
  }
  return out;
}

}  // namespace

bool read_point_stream(FILE* in, const std::string& name, std::vector<text_point>* points,
                       std::string* error, point_columns columns, bool* weighted,
                       const read_bounds& bounds) {
  points->clear();
  bool weights = columns == point_columns::weights;
  std::string text;
  long number = 0;
  std::size_t bytes = 0;
  bool ok = true;
  line_read r = line_read::line;
  while (ok && (r = next_line(in, &text, &bytes, bounds.max_bytes)) == line_read::line) {
    ++number;
    if (bounds.max_lines != 0 && static_cast<std::size_t>(number) > bounds.max_lines) {
      *error = name + " line " + std::to_string(number) + ": more than " + std::to_string(bounds.max_lines) +
               " lines";
      ok = false;
      break;
    }
    while (!text.empty() && text.back() == '\r') text.pop_back();
    const std::vector<std::string> tok = tokens_of(text);
    if (text.rfind(WEIGHTS_HEADER, 0) == 0 && tokens_of(text.substr(sizeof WEIGHTS_HEADER - 1)).empty() &&
        points->empty()) {
      weights = true;
    }
    if (tok.empty() || text[0] == '%') continue;
    const std::string where = name + " line " + std::to_string(number);
    double v[3] = {0.0, 0.0, 0.0};
    bool numbers = tok.size() == 3 || (!weights && tok.size() == 2);
    for (std::size_t k = 0; numbers && k < tok.size(); ++k) numbers = full_number(tok[k], &v[k]);
    if (!numbers) {
      *error = where + (weights ? ": expected \"x y w\", got \"" : ": expected \"x y\" or \"x y z\", got \"") +
               shown(text) + "\"";
      ok = false;
    } else if (std::fabs(v[0]) > COORD_LIMIT || std::fabs(v[1]) > COORD_LIMIT) {
      *error = where + ": coordinate beyond +-10000 in \"" + shown(text) + "\"";
      ok = false;
    } else if (weights && std::fabs(v[2]) > WEIGHT_LIMIT) {
      *error = where + ": weight beyond +-100000000 in \"" + shown(text) + "\"";
      ok = false;
    } else if (points->size() == static_cast<std::size_t>(MAX_POINTS)) {
      *error = where + ": more than " + std::to_string(MAX_POINTS) + " points";
      ok = false;
    } else {
      points->push_back({v[0], v[1], weights ? v[2] : 0.0});
    }
  }
  if (ok && r == line_read::too_long) {
    *error = name + " line " + std::to_string(number + 1) + ": longer than " + std::to_string(kMaxLine) +
             " characters";
    ok = false;
  } else if (ok && r == line_read::too_many_bytes) {
    *error = name + " line " + std::to_string(number + 1) + ": more than " + std::to_string(bounds.max_bytes) +
             " bytes";
    ok = false;
  } else if (ok && r == line_read::error) {
    *error = "cannot read " + name + ": " + std::strerror(errno);
    ok = false;
  }
  if (weighted != nullptr) *weighted = weights;
  return ok;
}

bool read_point_file(const char* path, std::vector<text_point>* points, std::string* error,
                     point_columns columns, bool* weighted) {
  FILE* in = std::fopen(path, "r");
  if (in == nullptr) {
    *error = std::string("cannot open ") + path + ": " + std::strerror(errno);
    return false;
  }
  const bool ok = read_point_stream(in, path, points, error, columns, weighted);
  std::fclose(in);
  return ok;
}
