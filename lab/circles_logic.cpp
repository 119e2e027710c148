// Circles to hold, the counter-example and the smallest angle (see
// circles_logic.h): no GL, tested without a display.
#include "lab/circles_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/flat_diagram.h"
#include "lab/lab.h"
#include "lab/lessons.h"

namespace {

using i128 = __int128;

int sign(i128 v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

std::vector<lab_pinned_circle>& pins() {
  static auto* p = new std::vector<lab_pinned_circle>();  // never destroyed: exit() may run in a callback
  return *p;
}

bool counter_on = false;
lab_counter_example counter;

lab_triangle sorted(int a, int b, int c) {
  lab_triangle t{a, b, c};
  std::sort(t.begin(), t.end());
  return t;
}

// (b - a) x (q - a) of plane positions, in doubles: only to find the
// triangle under the pointer, which decides nothing geometric.
double cross(int a, int b, double qx, double qy) {
  return (plane_table[b].x - plane_table[a].x) * (qy - plane_table[a].y) -
         (plane_table[b].y - plane_table[a].y) * (qx - plane_table[a].x);
}

double distance_to_segment(int a, int b, double x, double y) {
  const double ax = plane_table[a].x, ay = plane_table[a].y;
  const double dx = plane_table[b].x - ax, dy = plane_table[b].y - ay;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(x - ax - t * dx, y - ay - t * dy);
}

// The corner of t other than a and b.
int third(const lab_triangle& t, int a, int b) {
  for (int k : t)
    if (k != a && k != b) return k;
  return -1;
}

bool has_edge(const lab_triangle& t, int a, int b) {
  return std::count(t.begin(), t.end(), a) + std::count(t.begin(), t.end(), b) == 2;
}

// The triangles of tris on edge a-b (at most two in a triangulation).
std::vector<int> triangles_on(const std::vector<lab_triangle>& tris, int a, int b) {
  std::vector<int> on;
  for (size_t i = 0; i < tris.size(); ++i)
    if (has_edge(tris[i], a, b)) on.push_back(static_cast<int>(i));
  return on;
}

// u = from - at, v = to - at, exact: the dot product and |u x v|.
void angle_parts(const lab_angle& a, i128* dot, i128* cr) {
  const lab_exact_point p = lab_exact(a.at), q = lab_exact(a.from), r = lab_exact(a.to);
  const i128 ux = q.x - p.x, uy = q.y - p.y, vx = r.x - p.x, vy = r.y - p.y;
  *dot = ux * vx + uy * vy;
  const i128 c = ux * vy - uy * vx;
  *cr = c < 0 ? -c : c;
}

double degrees_of(const lab_angle& a) {
  const double ux = plane_table[a.from].x - plane_table[a.at].x;
  const double uy = plane_table[a.from].y - plane_table[a.at].y;
  const double vx = plane_table[a.to].x - plane_table[a.at].x;
  const double vy = plane_table[a.to].y - plane_table[a.at].y;
  return std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy) * 180.0 / M_PI;
}

}  // namespace

lab_exact_point lab_exact(int i) {
  return {static_cast<long long>(exchange_hundredths(plane_table[i].x)),
          static_cast<long long>(exchange_hundredths(plane_table[i].y)), weight_units(i)};
}

int lab_orient(int a, int b, int c) {
  const lab_exact_point p = lab_exact(a), q = lab_exact(b), r = lab_exact(c);
  return sign(static_cast<i128>(q.x - p.x) * (r.y - p.y) - static_cast<i128>(q.y - p.y) * (r.x - p.x));
}

int lab_lift_below(int a, int b, int c, int d) {
  const lab_exact_point P[4] = {lab_exact(a), lab_exact(b), lab_exact(c), lab_exact(d)};
  // Rows relative to d: (x, y, lift) with lift = x^2 + y^2 - w.
  i128 m[3][3];
  for (int r = 0; r < 3; ++r) {
    const i128 x = P[r].x - P[3].x, y = P[r].y - P[3].y;
    const i128 la = static_cast<i128>(P[r].x) * P[r].x + static_cast<i128>(P[r].y) * P[r].y - P[r].w;
    const i128 ld = static_cast<i128>(P[3].x) * P[3].x + static_cast<i128>(P[3].y) * P[3].y - P[3].w;
    m[r][0] = x;
    m[r][1] = y;
    m[r][2] = la - ld;
  }
  const i128 det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                   m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                   m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  // For a, b, c counter-clockwise the determinant is positive exactly when
  // d's lift lies below their plane.
  return sign(det) * lab_orient(a, b, c);
}

std::vector<lab_triangle> lab_shown_triangles(bool furthest) {
  std::vector<lab_triangle> tris;
  if (furthest) {
    if (point_count <= 4) return tris;
    for (const auto& t : compute_furthest_site().triangles) tris.push_back(t);
    return tris;
  }
  for (rec_node* n = tri_list != nullptr ? tri_list->head : nullptr; n != nullptr; n = n->next) {
    const auto* t = static_cast<const dtri*>(n->data);
    if (!is_delaunay_triangle(t)) continue;
    tris.push_back(sorted(static_cast<int>(t->v[0] - point_table),
                          static_cast<int>(t->v[1] - point_table),
                          static_cast<int>(t->v[2] - point_table)));
  }
  if (tris.empty()) {
    const flat_diagram g = compute_flat_diagram(plane_table, point_count);
    if (flat_diagram_drawn(g, point_count))
      for (const auto& t : g.triangles) tris.push_back(t);
  }
  std::sort(tris.begin(), tris.end());
  return tris;
}

int lab_triangle_at(const std::vector<lab_triangle>& tris, double x, double y) {
  for (size_t i = 0; i < tris.size(); ++i) {
    const lab_triangle& t = tris[i];
    const double area = cross(t[0], t[1], plane_table[t[2]].x, plane_table[t[2]].y);
    if (area == 0.0) continue;
    const double s = area > 0 ? 1.0 : -1.0;
    if (s * cross(t[0], t[1], x, y) >= 0 && s * cross(t[1], t[2], x, y) >= 0 &&
        s * cross(t[2], t[0], x, y) >= 0)
      return static_cast<int>(i);
  }
  return -1;
}

bool lab_weighted() {
  for (int i = 0; i < point_count; ++i)
    if (weight_units(i) != 0) return true;
  return false;
}

int lab_circle_of(const lab_triangle& t, double centre[2], double* radius, double* radius2) {
  // Relative to corner a: the centre u solves 2 u.(p - a) = |p - a|^2 -
  // (w_p - w_a) for p = b, c, and r^2 = |u|^2 - w_a.  Once exactly, in whole
  // hundredths and square hundredths, for the sign ...
  const lab_exact_point A = lab_exact(t[0]), B = lab_exact(t[1]), C = lab_exact(t[2]);
  const i128 bx = B.x - A.x, by = B.y - A.y, cx = C.x - A.x, cy = C.y - A.y;
  const i128 lb = bx * bx + by * by - (B.w - A.w), lc = cx * cx + cy * cy - (C.w - A.w);
  const i128 d = 2 * (bx * cy - by * cx);
  const i128 nx = lb * cy - lc * by, ny = bx * lc - cx * lb;
  const int s = sign(nx * nx + ny * ny - static_cast<i128>(A.w) * d * d);
  // ... and once in doubles from the positions drawn, for the picture.
  const point_rec& a = plane_table[t[0]];
  const double wa = static_cast<double>(A.w) * 1e-4;
  const double fbx = plane_table[t[1]].x - a.x, fby = plane_table[t[1]].y - a.y;
  const double fcx = plane_table[t[2]].x - a.x, fcy = plane_table[t[2]].y - a.y;
  const double flb = fbx * fbx + fby * fby - (static_cast<double>(B.w) * 1e-4 - wa);
  const double flc = fcx * fcx + fcy * fcy - (static_cast<double>(C.w) * 1e-4 - wa);
  const double fd = 2.0 * (fbx * fcy - fby * fcx);
  const double ux = (flb * fcy - flc * fby) / fd, uy = (fbx * flc - fcx * flb) / fd;
  centre[0] = a.x + ux;
  centre[1] = a.y + uy;
  const double r2 = ux * ux + uy * uy - wa;
  *radius = s > 0 && r2 > 0 ? std::sqrt(r2) : 0.0;
  if (radius2 != nullptr) *radius2 = r2;
  return s;
}

// --- circles held ------------------------------------------------------------------

const std::vector<lab_pinned_circle>& lab_pinned() { return pins(); }
void lab_pinned_set(const std::vector<lab_pinned_circle>& p) { pins() = p; }

int lab_pin_at(double x, double y, bool furthest) {
  const std::vector<lab_triangle> tris = lab_shown_triangles(furthest);
  const int i = lab_triangle_at(tris, x, y);
  const char* kind = furthest ? "furthest-site circle" : (lab_weighted() ? "orthogonal circle" : "circle");
  if (i < 0) {
    lab_status("no %s triangle here to hold the circle of",
               furthest ? "furthest-site" : (lab_weighted() ? "regular" : "Delaunay"));
    return 0;
  }
  const lab_triangle t = tris[static_cast<size_t>(i)];
  if (furthest && lab_weighted()) {
    // The furthest-site diagram shown is that of the points without weights.
    lab_status("furthest-site circles are for points without weights");
    return 0;
  }
  auto& p = pins();
  for (size_t k = 0; k < p.size(); ++k) {
    if (p[k].corner == t && p[k].furthest == furthest) {
      p.erase(p.begin() + static_cast<long>(k));
      lab_status("let go of the %s of %d, %d, %d (%zu held)", kind, t[0], t[1], t[2], p.size());
      return -1;
    }
  }
  if (p.size() >= static_cast<size_t>(LAB_PINNED_MAX)) {
    lab_status("%d circles held already: click one to let go of it, or C lets go of all",
               LAB_PINNED_MAX);
    return 0;
  }
  // The first colour no held circle has.
  int colour = 0;
  while (std::any_of(p.begin(), p.end(), [&](const lab_pinned_circle& c) { return c.colour == colour; }))
    ++colour;
  p.push_back({t, furthest, colour});
  double centre[2], r, r2;
  if (lab_circle_of(t, centre, &r, &r2) < 0) {
    lab_status("holding the %s of %d, %d, %d: its radius is imaginary (squared radius %.4f), "
               "no circle to draw (%zu held)", kind, t[0], t[1], t[2], r2, p.size());
    return 1;
  }
  lab_status("holding the %s of %d, %d, %d (%zu held; click it again to let go, C lets go of all)",
             kind, t[0], t[1], t[2], p.size());
  return 1;
}

int lab_pins_clear() {
  const int n = static_cast<int>(pins().size());
  pins().clear();
  return n;
}

int lab_pins_follow() {
  auto& p = pins();
  if (p.empty()) return 0;
  std::vector<lab_triangle> lower, upper;
  bool have_lower = false, have_upper = false;
  std::string gone;
  int dropped = 0;
  for (size_t k = 0; k < p.size();) {
    auto& tris = p[k].furthest ? upper : lower;
    bool& have = p[k].furthest ? have_upper : have_lower;
    if (!have) {
      tris = lab_shown_triangles(p[k].furthest);
      have = true;
    }
    const lab_triangle& t = p[k].corner;
    const bool alive = t[2] < point_count && std::binary_search(tris.begin(), tris.end(), t);
    if (alive) {
      ++k;
      continue;
    }
    char name[40];
    std::snprintf(name, sizeof name, "%s%d, %d, %d", dropped == 0 ? "" : "; ", t[0], t[1], t[2]);
    gone += name;
    ++dropped;
    p.erase(p.begin() + static_cast<long>(k));
  }
  if (dropped > 0)
    lab_status("let go of the circle%s of %s: that triangle is gone", dropped == 1 ? "" : "s",
               gone.c_str());
  return dropped;
}

// --- counter-example ---------------------------------------------------------------

int lab_flip_at(const std::vector<lab_triangle>& tris, double x, double y,
                lab_counter_example* out, std::string* why) {
  const int i = lab_triangle_at(tris, x, y);
  if (i < 0) {
    *why = "no Delaunay triangle under the pointer: point into one, near the edge to flip";
    return 0;
  }
  const lab_triangle& t = tris[static_cast<size_t>(i)];
  int best_a = -1, best_b = -1;
  double best = 1e300;
  for (int k = 0; k < 3; ++k) {
    const int a = t[static_cast<size_t>(k)], b = t[static_cast<size_t>((k + 1) % 3)];
    if (triangles_on(tris, a, b).size() != 2) continue;
    const double dist = distance_to_segment(a, b, x, y);
    if (dist < best) {
      best = dist;
      best_a = std::min(a, b);
      best_b = std::max(a, b);
    }
  }
  if (best_a < 0) {
    *why = "this triangle has no edge shared with another triangle: nothing to flip";
    return 0;
  }
  const std::vector<int> on = triangles_on(tris, best_a, best_b);
  lab_counter_example ce;
  ce.a = best_a;
  ce.b = best_b;
  ce.c = third(tris[static_cast<size_t>(on[0])], best_a, best_b);
  ce.d = third(tris[static_cast<size_t>(on[1])], best_a, best_b);
  if (ce.c > ce.d) std::swap(ce.c, ce.d);
  // The new edge c-d must cross a-b: a and b strictly on either side of it.
  if (lab_orient(ce.c, ce.d, ce.a) * lab_orient(ce.c, ce.d, ce.b) >= 0) {
    char text[LAB_STATUS_MAX];
    std::snprintf(text, sizeof text,
                  "edge %d-%d cannot flip: %d, %d, %d, %d make no convex quadrilateral", ce.a,
                  ce.b, ce.a, ce.c, ce.b, ce.d);
    *why = text;
    return 0;
  }
  // Look at the new triangle the pointer is in (a's when it is on c-d).
  const lab_triangle with_a = sorted(ce.c, ce.d, ce.a), with_b = sorted(ce.c, ce.d, ce.b);
  const std::vector<lab_triangle> two = {with_a, with_b};
  const bool b_side = lab_triangle_at(two, x, y) == 1;
  ce.shown = b_side ? with_b : with_a;
  ce.offending = b_side ? ce.a : ce.b;
  ce.below = lab_lift_below(ce.shown[0], ce.shown[1], ce.shown[2], ce.offending);
  *out = ce;
  return 1;
}

bool lab_counter_example_holds(const std::vector<lab_triangle>& tris, lab_counter_example* ce) {
  const int n = std::max({ce->a, ce->b, ce->c, ce->d});
  if (ce->a < 0 || n >= point_count) return false;
  if (!std::binary_search(tris.begin(), tris.end(), sorted(ce->a, ce->b, ce->c)) ||
      !std::binary_search(tris.begin(), tris.end(), sorted(ce->a, ce->b, ce->d)))
    return false;
  if (lab_orient(ce->c, ce->d, ce->a) * lab_orient(ce->c, ce->d, ce->b) >= 0) return false;
  ce->below = lab_lift_below(ce->shown[0], ce->shown[1], ce->shown[2], ce->offending);
  return true;
}

std::string lab_counter_example_text(const lab_counter_example& ce) {
  char text[LAB_STATUS_MAX];
  if (lab_weighted()) {
    // The circle is the orthogonal one; inside is a negative power.
    const char* where = ce.below > 0   ? "is negative: below this plane"
                        : ce.below == 0 ? "is zero: on this plane (both ways are regular)"
                                        : "is positive: above this plane";
    double centre[2], r;
    const bool imaginary = lab_circle_of(ce.shown, centre, &r) < 0;
    std::snprintf(text, sizeof text, "point %d's power to this circle %s (%d-%d flipped to %d-%d)%s",
                  ce.offending, where, ce.a, ce.b, ce.c, ce.d,
                  imaginary ? "; the circle's radius is imaginary: not drawn" : "");
    return text;
  }
  const char* where = ce.below > 0   ? "inside this circle: below this plane"
                      : ce.below == 0 ? "on this circle: on this plane (both ways are Delaunay)"
                                      : "outside this circle: above this plane";
  std::snprintf(text, sizeof text, "point %d lies %s (%d-%d flipped to %d-%d)", ce.offending,
                where, ce.a, ce.b, ce.c, ce.d);
  return text;
}

std::vector<lab_triangle> lab_flipped(const std::vector<lab_triangle>& tris,
                                      const lab_counter_example& ce) {
  std::vector<lab_triangle> out;
  const lab_triangle old1 = sorted(ce.a, ce.b, ce.c), old2 = sorted(ce.a, ce.b, ce.d);
  for (const auto& t : tris)
    if (t != old1 && t != old2) out.push_back(t);
  out.push_back(sorted(ce.c, ce.d, ce.a));
  out.push_back(sorted(ce.c, ce.d, ce.b));
  std::sort(out.begin(), out.end());
  return out;
}

bool lab_counter_example_shown(lab_counter_example* ce) {
  if (counter_on && ce != nullptr) *ce = counter;
  return counter_on;
}

void lab_counter_example_set(const lab_counter_example* ce) {
  counter_on = ce != nullptr;
  if (ce != nullptr) counter = *ce;
}

// --- a triangle picked by hand -----------------------------------------------------

namespace {

bool picked_on = false;
lab_picked_triangle picked;

// "4", "4, 7", "4, 7, 9, 12, 15, 20 and 3 more"
std::string names_of(const std::vector<int>& pts) {
  constexpr size_t kNamed = 6;
  std::string s;
  for (size_t k = 0; k < pts.size() && k < kNamed; ++k) s += (k == 0 ? "" : ", ") + std::to_string(pts[k]);
  if (pts.size() > kNamed) s += " and " + std::to_string(pts.size() - kNamed) + " more";
  return s;
}

}  // namespace

int lab_pick_triangle(int a, int b, int c, const std::vector<lab_triangle>& tris,
                      lab_picked_triangle* out, std::string* why) {
  const lab_triangle t = sorted(a, b, c);
  char text[LAB_STATUS_MAX];
  if (t[0] < 0 || t[2] >= point_count) {
    *why = "pick three of the points shown";
    return 0;
  }
  if (t[0] == t[1] || t[1] == t[2]) {
    std::snprintf(text, sizeof text, "point %d picked twice: pick three different points",
                  t[0] == t[1] ? t[0] : t[1]);
    *why = text;
    return 0;
  }
  if (lab_orient(t[0], t[1], t[2]) == 0) {
    std::snprintf(text, sizeof text,
                  "points %d, %d, %d lie in a row: they make no triangle and have no circle", t[0], t[1],
                  t[2]);
    *why = text;
    return 0;
  }
  lab_picked_triangle p;
  p.corner = t;
  for (int i = 0; i < point_count; ++i) {
    if (i == t[0] || i == t[1] || i == t[2]) continue;
    const int below = lab_lift_below(t[0], t[1], t[2], i);
    if (below > 0) p.below.push_back(i);
    if (below == 0) p.on.push_back(i);
  }
  p.shown = std::binary_search(tris.begin(), tris.end(), t);
  double centre[2], r;
  p.circle = lab_circle_of(t, centre, &r);
  *out = p;
  return 1;
}

std::string lab_picked_text(const lab_picked_triangle& p) {
  const bool weighted = lab_weighted();
  const char* kind = weighted ? "regular" : "Delaunay";
  char corners[48], text[LAB_STATUS_MAX];
  std::snprintf(corners, sizeof corners, "%d, %d, %d", p.corner[0], p.corner[1], p.corner[2]);
  const std::string imaginary = p.circle < 0 ? " (its radius is imaginary: not drawn)" : "";
  const size_t n = p.below.size();
  if (n > 0) {
    const std::string who = names_of(p.below);
    if (weighted)
      std::snprintf(text, sizeof text, "point%s %s %s negative power to the circle of %s%s: below its plane: not a %s triangle",
                    n == 1 ? "" : "s", who.c_str(), n == 1 ? "has" : "have", corners, imaginary.c_str(), kind);
    else
      std::snprintf(text, sizeof text, "point%s %s %s inside the circle of %s: below its plane: not a %s triangle",
                    n == 1 ? "" : "s", who.c_str(), n == 1 ? "lies" : "lie", corners, kind);
    return text;
  }
  // Nothing below: a face of the lower hull.  Points on the circle too
  // leave the choice of triangles open; the one shown may be another.
  const std::string holds = weighted ? "no point has negative power to the circle of " + std::string(corners) + imaginary
                                     : "the circle of " + std::string(corners) + " holds no point";
  std::string on;
  if (!p.on.empty())
    on = " (" + std::string(p.on.size() == 1 ? "point " : "points ") + names_of(p.on) +
         (weighted ? " zero power)" : " on it)");
  std::snprintf(text, sizeof text, "%s: %s %s triangle%s", holds.c_str(),
                p.shown ? "a" : "it would be a", kind, on.c_str());
  return text;
}

bool lab_picked_shown(lab_picked_triangle* p) {
  if (picked_on && p != nullptr) *p = picked;
  return picked_on;
}

void lab_picked_set(const lab_picked_triangle* p) {
  picked_on = p != nullptr;
  if (p != nullptr) picked = *p;
}

bool lab_picked_follow(const std::vector<lab_triangle>& tris) {
  if (!picked_on) return false;
  std::string why;
  lab_picked_triangle again;
  if (!lab_pick_triangle(picked.corner[0], picked.corner[1], picked.corner[2], tris, &again, &why)) {
    picked_on = false;
    return false;
  }
  picked = again;
  return true;
}

// --- angles ------------------------------------------------------------------------

int lab_compare_angles(const lab_angle& p, const lab_angle& q) {
  // Both angles lie in [0, pi]: the smaller has the larger cotangent,
  // dot / |cross|; cross-multiplied, as |cross| >= 0.
  i128 dp, cp, dq, cq;
  angle_parts(p, &dp, &cp);
  angle_parts(q, &dq, &cq);
  const i128 l = dp * cq, r = dq * cp;
  if (cp == 0 && cq == 0) {  // both 0 or 180 degrees: a larger dot is the smaller angle
    const int sp = sign(dp), sq = sign(dq);
    return sp > sq ? -1 : (sp < sq ? 1 : 0);
  }
  return l > r ? -1 : (l < r ? 1 : 0);
}

lab_angle lab_smallest_angle(const std::vector<lab_triangle>& tris) {
  // The comparison of lab_compare_angles, with the best angle's parts kept
  // rather than worked out again for every corner.
  lab_angle best;
  i128 best_dot = 0, best_cr = 0;
  for (const auto& t : tris) {
    for (int k = 0; k < 3; ++k) {
      lab_angle a;
      a.at = t[static_cast<size_t>(k)];
      a.from = t[static_cast<size_t>((k + 1) % 3)];
      a.to = t[static_cast<size_t>((k + 2) % 3)];
      i128 dot, cr;
      angle_parts(a, &dot, &cr);
      bool smaller;
      if (best.at < 0) {
        smaller = true;
      } else if (cr == 0 && best_cr == 0) {
        smaller = sign(dot) > sign(best_dot);
      } else {
        smaller = dot * best_cr > best_dot * cr;
      }
      if (smaller) {
        best = a;
        best_dot = dot;
        best_cr = cr;
      }
    }
  }
  if (best.at >= 0) best.degrees = degrees_of(best);
  return best;
}

std::string lab_angles_text(const lab_angle& now, const lab_angle* flipped) {
  char text[LAB_STATUS_MAX];
  if (now.at < 0) return "no triangle: no smallest angle";
  int n = std::snprintf(text, sizeof text, "smallest angle %.1f deg at %d", now.degrees, now.at);
  if (flipped != nullptr && flipped->at >= 0) {
    const int c = lab_compare_angles(*flipped, now);
    std::snprintf(text + n, sizeof text - static_cast<size_t>(n),
                  "; after the flip %.1f deg at %d (%s)", flipped->degrees, flipped->at,
                  c < 0 ? "worse" : (c == 0 ? "the same" : "better"));
  }
  return text;
}
