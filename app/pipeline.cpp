// The recompute pipeline: the point-exchange file's writer, the engine's
// site callbacks, the output driver and recompute's order of steps.
//
//   write_point_file / write_points / format_fixed15   the file's lines
//   update_point_text / open_point_text                 the same text in memory
//   exchange_value / exchange_hundredths               what the reader makes of them
//   get_next_site / block_site_num / order_identity     the engine's callbacks
//   output_hull                                         the output driver
//   reset_record_lists / recompute_from / recompute     the pipeline
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/app.h"
#include "app/safe_write.h"
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

namespace {

// The longest line format_fixed15 can give: three numbers of at most 329
// characters, two blanks and the newline.
constexpr std::size_t kMaxLine = 3 * 329 + 3;

// The text write_point_file last produced, whether or not it reached the
// disk: the recomputation reads this, never the file, so that a file another
// process changed, a full disk or a folder that cannot be written leave the
// program with its own points and their triangulation.
char point_text[MAX_POINTS * kMaxLine];
std::size_t point_text_size = 0;

// Why the last save failed ("" once one succeeds).
char save_failure[160] = "";

std::size_t format_points(char* out) {
  std::size_t used = 0;
  for (int i = 0; i < point_count; ++i) {
    const point_rec& p = point_table[i];
    used += static_cast<std::size_t>(format_fixed15(p.x, out + used));
    out[used++] = ' ';
    used += static_cast<std::size_t>(format_fixed15(p.y, out + used));
    out[used++] = ' ';
    used += static_cast<std::size_t>(format_fixed15(p.z, out + used));
    out[used++] = '\n';
  }
  return used;
}

const char kPointFile[] = ".ZELMOR";

// Puts point_text on disk as ".ZELMOR", whole: a reader sees the old file or
// the new one, never a torn one.  A symbolic link of that name is replaced
// by the file (its target is never written); a directory, a FIFO, a device
// or another user's file of that name is left alone.  Not synced: a drag
// rewrites the file on every motion event.  Returns null, or why nothing
// was saved; *opened tells whether the new file could be created at all.
const char* save_point_text(bool* opened) {
  // Temporaries of an earlier run that was killed mid-save, once per
  // process: the folder never changes under a running program.
  static bool swept = false;
  if (!swept) {
    swept = true;
    sweep_stale_temps(".");
  }
  safe_write_options options;
  options.links = link_rule::replace_link;
  options.refuse_foreign = true;
  const safe_write_result r = safe_replace(kPointFile, point_text, point_text_size, options);
  *opened = r.temp_created;
  return r.reason;
}

}  // namespace

void write_points(FILE* f) {
  char* text = static_cast<char*>(std::malloc(static_cast<std::size_t>(point_count) * kMaxLine + 1));
  if (text == nullptr) fatal_error("out of memory for the point-exchange text\n");
  std::fwrite(text, 1, format_points(text), f);
  std::free(text);
}

void (*point_file_state_changed)() = nullptr;

const char* point_file_failure() { return save_failure[0] != '\0' ? save_failure : nullptr; }

void update_point_text() { point_text_size = format_points(point_text); }

FILE* open_point_text() { return fmemopen(point_text, point_text_size, "r"); }

void write_point_file() {
  update_point_text();
  bool opened = false;
  const char* failure = save_point_text(&opened);
  // The console as ever; the failure also stays on record (the "2D Points"
  // title shows it) until a save succeeds.
  if (failure != nullptr) {
    if (opened) {
      std::printf("%s not saved: %s\n", kPointFile, failure);
    } else {
      std::printf("File open failed :(\n");
    }
    std::fflush(stdout);
  }
  char now[sizeof save_failure] = "";
  if (failure != nullptr) std::snprintf(now, sizeof now, "%s not saved: %s", kPointFile, failure);
  if (std::strcmp(now, save_failure) != 0) {
    std::memcpy(save_failure, now, sizeof now);
    if (point_file_state_changed != nullptr) point_file_state_changed();
  }
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
  // engine runs in its plain (not lifted) mode.  The reader's sites are whole
  // numbers (|x|, |y| <= 10^6 hundredths, heights within -10^12 .. 3 * 10^12)
  // inside the engine's exact range, so every decision is taken exactly: far
  // from the origin or with huge weights the floating-point kernel's
  // tolerances are coarser than the hull.
  exact_sites = 1;
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
  // The text last written, from memory: the same reader, rounding and
  // records as from the file, whatever has become of the file since.
  FILE* f = open_point_text();
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
