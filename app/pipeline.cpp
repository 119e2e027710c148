// The recompute pipeline: the point-exchange file's writer, the engine's
// site callbacks, the output driver and recompute's order of steps.
//
//   write_point_file / write_points / format_fixed15   the file's lines
//   exchange_value / exchange_hundredths               what the reader makes of them
//   get_next_site / block_site_num / order_identity     the engine's callbacks
//   output_hull                                         the output driver
//   reset_record_lists / recompute_from / recompute     the pipeline
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "app/app.h"
#include "diag/diag.h"
#include "hull/hull.h"

void (*post_points_redisplay)() = nullptr;
double* (*site_reader)(int j) = nullptr;
int (*site_order)(int j) = nullptr;

// ---------------------------------------------------------------------------
// The file's numbers
// ---------------------------------------------------------------------------

namespace {

constexpr std::uint64_t kTen15 = 1000000000000000ULL;
constexpr std::uint64_t kFive15 = 30517578125ULL;  // 5^15
constexpr std::uint64_t kTwo53 = std::uint64_t{1} << 53;

// Below this magnitude v * 10^15 rounded fits in 64 bits (9000e15 < 2^63.2),
// so "%.15f" can be produced from one exact 128-bit product.
constexpr double kFastLimit = 9000.0;

// v * 10^15 rounded to the nearest integer, ties to even, computed exactly
// from v's binary value (as printf does in the default rounding mode).
// Requires |v| < kFastLimit; the sign is dropped.
std::uint64_t scaled_by_1e15(double v) {
  int e = 0;
  const double m = std::frexp(std::fabs(v), &e);  // |v| = m * 2^e, m in [0.5, 1)
  const auto mant = static_cast<std::uint64_t>(std::ldexp(m, 53));
  // |v| * 10^15 = mant * 5^15 * 2^(e - 53 + 15); the exponent is negative
  // because |v| < 2^14.
  const unsigned __int128 p = static_cast<unsigned __int128>(mant) * kFive15;
  const int shift = 53 - 15 - e;
  if (shift > 100) return 0;  // p < 2^88: less than half of the last place
  const auto q = static_cast<std::uint64_t>(p >> shift);
  const unsigned __int128 rem = p - (static_cast<unsigned __int128>(q) << shift);
  const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
  if (rem > half || (rem == half && (q & 1) != 0)) return q + 1;
  return q;
}

}  // namespace

int format_fixed15(double v, char* out) {
  if (!(std::fabs(v) < kFastLimit)) return std::snprintf(out, 330, "%.15f", v);
  const std::uint64_t q = scaled_by_1e15(v);
  char* o = out;
  if (std::signbit(v)) *o++ = '-';  // printf keeps the sign of -0.0 and of tiny negatives
  std::uint64_t whole = q / kTen15;
  std::uint64_t frac = q % kTen15;
  char digits[8];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole != 0);
  while (n > 0) *o++ = digits[--n];
  *o++ = '.';
  for (int i = 14; i >= 0; --i) {
    o[i] = static_cast<char>('0' + frac % 10);
    frac /= 10;
  }
  o += 15;
  *o = '\0';
  return static_cast<int>(o - out);
}

double exchange_value(double v) {
  if (std::fabs(v) < kFastLimit) {
    const std::uint64_t q = scaled_by_1e15(v);
    if (q <= kTwo53) {
      // The text is q / 10^15 exactly; both are exact doubles, so one
      // division gives the correctly rounded value strtod returns.
      const double r = static_cast<double>(q) / 1e15;
      return std::signbit(v) ? -r : r;
    }
  }
  char text[330];
  format_fixed15(v, text);
  return std::strtod(text, nullptr);
}

double exchange_hundredths(double v) { return std::floor(100.0 * exchange_value(v) + 0.5); }

void write_points(FILE* f) {
  // Lines are gathered in a buffer and written in few calls; a line is at
  // most 3 * 329 + 3 characters even for the largest doubles.
  char buf[8192];
  std::size_t used = 0;
  for (int i = 0; i < point_count; ++i) {
    if (used > sizeof buf - 1000) {
      std::fwrite(buf, 1, used, f);
      used = 0;
    }
    const point_rec& p = point_table[i];
    used += static_cast<std::size_t>(format_fixed15(p.x, buf + used));
    buf[used++] = ' ';
    used += static_cast<std::size_t>(format_fixed15(p.y, buf + used));
    buf[used++] = ' ';
    used += static_cast<std::size_t>(format_fixed15(p.z, buf + used));
    buf[used++] = '\n';
  }
  if (used > 0) std::fwrite(buf, 1, used, f);
}

namespace {

// Rewrites the file from empty ("w+c": create or truncate; "c" asks for
// commit on flush where the platform knows it).  A file that cannot be
// opened leaves the old one in place and is reported.
void rewrite_from_empty() {
  FILE* f = std::fopen(".ZELMOR", "w+c");
  if (f == nullptr) {
    std::printf("File open failed :(\n");
    std::fflush(stdout);
    return;
  }
  write_points(f);
  std::fclose(f);
}

}  // namespace

void write_point_file() {
  // The file is overwritten in place and then cut to its new length rather
  // than truncated to nothing first: on ext4 a file truncated to zero and
  // written again is flushed to disk when closed, which costs milliseconds
  // on every drag step.  The content is the same either way.
  const int fd = open(".ZELMOR", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  FILE* f = fd >= 0 ? fdopen(fd, "r+") : nullptr;
  if (f == nullptr) {
    if (fd >= 0) close(fd);
    rewrite_from_empty();
    return;
  }
  write_points(f);
  const bool cut = std::fflush(f) == 0 && ftruncate(fd, ftello(f)) == 0;
  std::fclose(f);
  if (!cut) rewrite_from_empty();
}

// ---------------------------------------------------------------------------
// The engine's callbacks
// ---------------------------------------------------------------------------

int order_identity(int j) { return j; }

double* get_next_site() {
  const int j = site_counter;
  ++site_counter;
  return site_reader(site_order(j));
}

int block_site_num(double* s) {
  if (s == nullptr) return -2;
  // Compared as addresses: a pointer from elsewhere is not an error here.
  const auto addr = reinterpret_cast<std::uintptr_t>(s);
  for (int i = 0; i < num_blocks; ++i) {
    const auto start = reinterpret_cast<std::uintptr_t>(site_blocks[i]);
    if (addr < start) continue;
    const std::uintptr_t k = (addr - start) / sizeof(double);
    if (k < static_cast<std::uintptr_t>(BLOCKSIZE) * static_cast<std::uintptr_t>(site_dim)) {
      return static_cast<int>(k) / site_dim + i * BLOCKSIZE;
    }
  }
  return -3;
}

// ---------------------------------------------------------------------------
// Output driver and pipeline
// ---------------------------------------------------------------------------

void output_hull(simplex* root, void* (*walk)(simplex*, void* (*)(simplex*, void*)),
                 void* (*visitor)(simplex*, void*), facet_out_f out, FILE* stream) {
  out(nullptr, 0, stream, -1);
  visitor(nullptr, reinterpret_cast<void*>(out));
  walk(root, visitor);
  out(nullptr, 0, stream, 1);
}

void reset_record_lists() {
  if (tri_list != nullptr) {
    for (rec_node* n = tri_list->head; n != nullptr; n = n->next) release_record(n->data);
  }
  if (edge_list != nullptr) {
    for (rec_node* n = edge_list->head; n != nullptr; n = n->next) release_record(n->data);
  }
  records_released();
  free_rec_list(tri_list);
  free_rec_list(edge_list);
  tri_list = new_rec_list();
  edge_list = new_rec_list();
}

simplex* recompute_build(FILE* in) {
  // Mark the point set as seen; no site blocks yet.
  need_recompute = 0;
  num_blocks = 0;
  // The exchange text to read (the caller opened it).
  point_file = in;
  // Reports go to the console.
  diag_stream = stderr;
  out_stream = stdout;
  // The engine takes its sites from the reader, in file order.
  site_counter = 0;
  site_reader = read_site;
  site_order = order_identity;
  // Prime the reader: the first data line is read and checked here.
  read_site(-1);
  // Build the 3D hull of the sites as given: they are lifted already, so the
  // engine runs in its plain (not lifted) mode.
  simplex* root = hull_build(get_next_site, block_site_num, 3, 0);
  // Done with the text.
  std::fclose(point_file);
  point_file = nullptr;
  return root;
}

void recompute_extract(simplex* root) {
  // One record per facet, with its edges.
  output_hull(root, walk_facets, emit_facet, make_triangle, out_stream);
  // Normals, orientation, pruning of upper edges, circumcentres, edge counts.
  compute_normals();
  orient_normals();
  prune_upper_edges();
  finish_triangles();
}

void recompute_release() {
  // Release the hull storage ...
  hull_free();
  // ... and the site blocks: nothing of this recomputation outlives it but
  // its records.
  release_site_blocks();
}

void recompute_from(FILE* in) {
  // The previous records go with their lists: a drag recomputes on every
  // motion event, so nothing may pile up.
  reset_record_lists();
  recompute_extract(recompute_build(in));
  recompute_release();
}

void recompute() {
  // "c" as in write_point_file.
  FILE* f = std::fopen(".ZELMOR", "rc");
  if (f == nullptr) {
    std::printf("Open Failed\n");
    std::fflush(stdout);
    std::exit(-1);
  }
  recompute_from(f);
  // The 2D view redraws with the new records; the GL side returns to the
  // window that was current (the 3D window, which goes on drawing).
  if (post_points_redisplay != nullptr) post_points_redisplay();
}
