// The point-file reader shared by the batch tool and the lab.
#include "app/point_text.h"

#include <cctype>
#include <cerrno>
#include <cmath>
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

bool read_point_stream(FILE* in, const std::string& name, std::vector<text_point>* points,
                       std::string* error, point_columns columns, bool* weighted) {
  points->clear();
  bool weights = columns == point_columns::weights;
  char* line = nullptr;
  std::size_t cap = 0;
  long number = 0;
  ssize_t len = 0;
  bool ok = true;
  while (ok && (len = getline(&line, &cap, in)) >= 0) {
    ++number;
    std::string text(line, static_cast<std::size_t>(len));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
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
               text + "\"";
      ok = false;
    } else if (std::fabs(v[0]) > COORD_LIMIT || std::fabs(v[1]) > COORD_LIMIT) {
      *error = where + ": coordinate beyond +-10000 in \"" + text + "\"";
      ok = false;
    } else if (weights && std::fabs(v[2]) > WEIGHT_LIMIT) {
      *error = where + ": weight beyond +-100000000 in \"" + text + "\"";
      ok = false;
    } else if (points->size() == static_cast<std::size_t>(MAX_POINTS)) {
      *error = where + ": more than " + std::to_string(MAX_POINTS) + " points";
      ok = false;
    } else {
      points->push_back({v[0], v[1], weights ? v[2] : 0.0});
    }
  }
  const bool read_error = ok && std::ferror(in) != 0;
  const int saved = errno;
  std::free(line);
  if (read_error) {
    *error = "cannot read " + name + ": " + std::strerror(saved);
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
