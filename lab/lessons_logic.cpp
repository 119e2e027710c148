// The lessons' arithmetic (see lessons.h): no GL, tested without a display.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "lab/lessons.h"

namespace {

int index_of(const point_rec* p) { return static_cast<int>(p - point_table); }

// (b - a) x (c - a) of plane positions.
double cross(const double a[2], const double b[2], const double c[2]) {
  return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

bool inside_triangle(double x, double y, const int k[3]) {
  double p[3][2];
  for (int i = 0; i < 3; ++i) {
    p[i][0] = plane_table[k[i]].x;
    p[i][1] = plane_table[k[i]].y;
  }
  const double q[2] = {x, y};
  const double area = cross(p[0], p[1], p[2]);
  if (area == 0.0) return false;
  const double s = area > 0 ? 1.0 : -1.0;
  return s * cross(p[0], p[1], q) >= 0 && s * cross(p[1], p[2], q) >= 0 &&
         s * cross(p[2], p[0], q) >= 0;
}

void circle_through(const int k[3], empty_circle* out) {
  const point_rec& a = plane_table[k[0]];
  const point_rec& b = plane_table[k[1]];
  const point_rec& c = plane_table[k[2]];
  const double d = 2.0 * (a.x * (b.y - c.y) + b.x * (c.y - a.y) + c.x * (a.y - b.y));
  const double la = a.x * a.x + a.y * a.y, lb = b.x * b.x + b.y * b.y, lc = c.x * c.x + c.y * c.y;
  out->centre[0] = (la * (b.y - c.y) + lb * (c.y - a.y) + lc * (a.y - b.y)) / d;
  out->centre[1] = (la * (c.x - b.x) + lb * (a.x - c.x) + lc * (b.x - a.x)) / d;
  out->radius = std::hypot(a.x - out->centre[0], a.y - out->centre[1]);
  std::copy(k, k + 3, out->corner);
}

// v in whole hundredths, as the engine rounds it: "-1.25", "0.00".
std::string hundredths(double v) {
  const long long h = static_cast<long long>(exchange_hundredths(v));
  const long long a = h < 0 ? -h : h;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%s%lld.%02lld", h < 0 ? "-" : "", a / 100, a % 100);
  return buf;
}

}  // namespace

int find_empty_circle(double x, double y, const flat_diagram* flat, empty_circle* out) {
  bool engine_has_triangles = false;
  for (rec_node* n = tri_list != nullptr ? tri_list->head : nullptr; n != nullptr; n = n->next) {
    const auto* t = static_cast<const dtri*>(n->data);
    if (!is_delaunay_triangle(t)) continue;
    engine_has_triangles = true;
    const int k[3] = {index_of(t->v[0]), index_of(t->v[1]), index_of(t->v[2])};
    if (inside_triangle(x, y, k)) {
      circle_through(k, out);
      return 1;
    }
  }
  if (engine_has_triangles || flat == nullptr || !flat_diagram_drawn(*flat, point_count)) return 0;
  for (const auto& t : flat->triangles) {
    if (inside_triangle(x, y, t.data())) {
      circle_through(t.data(), out);
      return 1;
    }
  }
  return 0;
}

furthest_site compute_furthest_site() {
  furthest_site f;
  struct side {
    const dtri* t[2] = {nullptr, nullptr};
  };
  std::map<std::array<int, 2>, side> sides;
  for (rec_node* n = tri_list != nullptr ? tri_list->head : nullptr; n != nullptr; n = n->next) {
    const auto* t = static_cast<const dtri*>(n->data);
    if (!(t->face_normal[2] > 0.0f)) continue;  // upward faces only
    std::array<int, 3> k = {index_of(t->v[0]), index_of(t->v[1]), index_of(t->v[2])};
    for (int e = 0; e < 3; ++e) {
      const int i = k[e], j = k[(e + 1) % 3];
      side& s = sides[{std::min(i, j), std::max(i, j)}];
      s.t[s.t[0] == nullptr ? 0 : 1] = t;
    }
    std::sort(k.begin(), k.end());
    f.triangles.push_back(k);
  }
  std::sort(f.triangles.begin(), f.triangles.end());
  for (const auto& [ij, s] : sides) {
    f.edges.push_back(ij);
    if (s.t[1] != nullptr) {
      if (s.t[0]->cc[0] == s.t[1]->cc[0] && s.t[0]->cc[1] == s.t[1]->cc[1]) continue;
      f.voronoi.push_back({s.t[0]->cc[0], s.t[0]->cc[1], s.t[1]->cc[0], s.t[1]->cc[1]});
      continue;
    }
    // An edge of the outer boundary: points far out on the hull's own side
    // have both its ends furthest, so the ray runs from the face's centre
    // perpendicular to the edge, towards the face's third corner.
    const dtri* t = s.t[0];
    const point_rec* third = nullptr;
    for (const point_rec* v : t->v)
      if (index_of(v) != ij[0] && index_of(v) != ij[1]) third = v;
    long long ax, ay, bx, by, cx, cy;
    if (third == nullptr || !point_hundredths(&point_table[ij[0]], &ax, &ay) ||
        !point_hundredths(&point_table[ij[1]], &bx, &by) || !point_hundredths(third, &cx, &cy))
      continue;
    long long dx = -(by - ay), dy = bx - ax;
    const long long orient = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    if (orient == 0) continue;
    if (orient < 0) {
      dx = -dx;
      dy = -dy;
    }
    const double start[2] = {t->cc[0], t->cc[1]};
    const double d[2] = {static_cast<double>(dx), static_cast<double>(dy)};
    double end[2];
    if (clip_ray_to_view(start, d, end)) f.voronoi.push_back({start[0], start[1], end[0], end[1]});
  }
  return f;
}

bool flat_diagram_drawn(const flat_diagram& g, int count) {
  if (g.kind == flat_kind::hull) return false;
  return g.kind != flat_kind::four || count <= 4;
}

void keep_label_inside(double wx, double wy, int chars, int w, int h, int bottom, double* x,
                       double* y) {
  const double width = 8.0 * chars;
  *x = std::clamp(wx + 6.0, 1.0, std::max(1.0, w - width - 1.0));
  // Glyphs reach 2 pixels below the baseline and 11 above it.
  *y = std::clamp(wy + 6.0, bottom + 3.0, std::max(bottom + 3.0, h - 12.0));
}

status_rows status_line(const status_facts& f) {
  status_rows r;
  char buf[200];
  if (f.message[0] != '\0') {
    r.top = f.message;
  } else if (f.count >= MAX_POINTS) {
    r.top = "the table is full: 200 points";
  } else {
    switch (f.kind) {
      case flat_kind::empty:
        r.top = "add points with the right button; h shows the keys";
        break;
      case flat_kind::single:
        r.top =
            "one point: its Voronoi region is the whole plane; add 2 more points for a triangle";
        break;
      case flat_kind::line:
        r.top = "all points on one line: no triangles; the Voronoi regions are strips";
        break;
      case flat_kind::circle:
        r.top = f.distinct == 3 ? "3 points: one triangle; its Voronoi edges are 3 rays"
                                : "all points on one circle: no unique triangulation; the "
                                  "Voronoi edges are rays from its centre";
        break;
      case flat_kind::four:
      case flat_kind::hull:
        if (f.count <= 4) {
          std::snprintf(buf, sizeof buf, "add %d more point%s for the lifted hull in 3D",
                        5 - f.count, f.count == 4 ? "" : "s");
          r.top = buf;
        } else if (f.circle) {
          r.top = "empty circle: no point lies inside the circle of a Delaunay triangle";
        } else {
          r.top = "c: empty circle, F: furthest-site, b / t: view from below / above";
        }
        break;
    }
  }
  if (f.furthest) r.top = "furthest-site: triangles orange, Voronoi purple | " + r.top;
  // A failed save of the exchange file stays in view until one succeeds,
  // whatever the messages after it say.
  if (f.file_trouble != nullptr && f.file_trouble[0] != '\0')
    r.top = std::string(f.file_trouble) + " (s saves the points to a file) | " + r.top;
  std::snprintf(buf, sizeof buf, "%d / %d points", f.count, MAX_POINTS);
  r.bottom = buf;
  if (!f.hidden.empty()) r.bottom += "   " + f.hidden;
  if (f.selected >= 0 && f.selected < f.count) {
    r.bottom += "   point " + std::to_string(f.selected) + " at (" +
                hundredths(plane_table[f.selected].x) + ", " +
                hundredths(plane_table[f.selected].y) + ")";
  }
  if (f.pointer_inside) {
    r.bottom += "   pointer (" + hundredths(f.pointer[0]) + ", " + hundredths(f.pointer[1]) + ")";
  }
  return r;
}

std::vector<std::string> wrap_status(const std::string& text, int max_lines, int width,
                                     int (*measure)(const std::string&)) {
  std::vector<std::string> lines;
  if (max_lines <= 0) return lines;
  std::string line;
  std::size_t at = 0;
  bool more = false;  // text left over when the lines ran out
  while (at < text.size()) {
    while (at < text.size() && text[at] == ' ') ++at;
    if (at >= text.size()) break;
    std::size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(at, end - at);
    const std::string joined = line.empty() ? word : line + " " + word;
    if (measure(joined) <= width) {
      line = joined;
      at = end;
      continue;
    }
    if (line.empty()) {
      // One word wider than a line: as much of it as fits.
      while (word.size() > 1 && measure(word) > width) word.pop_back();
      line = word;
      at += word.size();
    }
    if (static_cast<int>(lines.size()) + 1 == max_lines) {
      more = true;
      break;
    }
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty() && max_lines > 0) lines.push_back(line);
  if (more && !lines.empty()) {
    std::string& last = lines.back();
    while (!last.empty() && measure(last + "...") > width) last.pop_back();
    while (!last.empty() && last.back() == ' ') last.pop_back();
    last += "...";
  }
  return lines;
}
