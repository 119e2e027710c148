// The page's speed-ups (web/gl/savings.h lists them).  Each is kept because
// bench/bench_web.py --each measured it paying on the test rig (SwiftShader,
// two cores: the GPU's cost follows the triangle count, and every WebGL call
// and every float sent costs CPU); docs/performance.md has the figures.  The
// reasoning for a browser with a real GPU, where 27 000 small triangles cost
// little, is written at each.
#include "web/gl/savings.h"

#include <GL/gl.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#else
#define EMSCRIPTEN_KEEPALIVE  // built natively for the tests, which call it directly
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "web/gl/depth_sprite.h"
#include "web/gl/list_store.h"

namespace zelmor_web {

bool drawing_savings = true;
bool depth_sprites = true;
long sprite_atlas_starts = 0;  // also tells kept sprites from before a fresh start

namespace {

bool saving_on[SAVINGS] = {true, true, true, true, true};

bool on(saving_kind k) { return drawing_savings && saving_on[k]; }

// True when drawing output (opaque: every alpha 1) under c's blending leaves
// exactly the output in the pixel, as with no blending.
bool blend_replaces(const context& c, bool opaque) {
  return !c.blend || (c.blend_src == GL_ONE && c.blend_dst == GL_ZERO) ||
         (c.blend_src == GL_SRC_ALPHA && c.blend_dst == GL_ONE_MINUS_SRC_ALPHA && opaque);
}

// --- Triangles that light no pixel.  The 3D view's 200 spheres are
// mostly triangles smaller than a pixel: leaving out those that cover no
// pixel centre halves what the rig's rasteriser sets up.  On a GPU the
// triangle set-up is cheap, but so is this test, and fewer floats go to it.
//
// True when the triangle contains no pixel centre (i + 0.5, j + 0.5) of the
// batch's drawing rectangle: such a triangle lights no pixel under any tie
// rule.  The triangle is widened by SNAP_SLACK pixels for the test: the GPU
// moves vertices to its sub-pixel grid and rounds its edge tests, and a
// test with 1/32 of a pixel (measured on SwiftShader) still left out
// triangles that lit a pixel; 1/8 leaves out none of a crowded scene's.
// Small triangles are tested centre by centre, larger ones only by their
// bounding box.
constexpr float SNAP_SLACK = 1.0f / 8.0f;

bool covers_no_pixel(const vtx& a, const vtx& b, const vtx& c) {
  const float x0 = std::min({a.x, b.x, c.x}), x1 = std::max({a.x, b.x, c.x});
  const float y0 = std::min({a.y, b.y, c.y}), y1 = std::max({a.y, b.y, c.y});
  const int* s = batch_scissor();
  const float first_x = std::max(std::ceil(x0 - 0.5f - SNAP_SLACK), static_cast<float>(s[0]));
  const float last_x = std::min(std::floor(x1 - 0.5f + SNAP_SLACK), static_cast<float>(s[0] + s[2] - 1));
  const float first_y = std::max(std::ceil(y0 - 0.5f - SNAP_SLACK), static_cast<float>(s[1]));
  const float last_y = std::min(std::floor(y1 - 0.5f + SNAP_SLACK), static_cast<float>(s[1] + s[3] - 1));
  if (!(first_x <= last_x && first_y <= last_y)) return true;  // also for NaN corners
  if ((last_x - first_x + 1) * (last_y - first_y + 1) > 16) return false;
  const double area = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                      (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
  if (area == 0) return false;
  // Each edge as a line function, positive on the inner side:
  // side(x, y) = A x + B y + C, twice the signed area of (p, q, (x, y)).
  const vtx* v[3] = {&a, &b, &c};
  const double sign = area > 0 ? 1.0 : -1.0;
  double A[3], B[3], C[3], slack2[3];
  for (int e = 0; e < 3; ++e) {
    const vtx& p = *v[e];
    const vtx& q = *v[(e + 1) % 3];
    const double ex = static_cast<double>(q.x) - p.x, ey = static_cast<double>(q.y) - p.y;
    A[e] = -ey * sign;
    B[e] = ex * sign;
    C[e] = (ey * p.x - ex * p.y) * sign;
    // side / length is the distance from the edge: within SNAP_SLACK of it
    // counts as inside.
    slack2[e] = static_cast<double>(SNAP_SLACK) * SNAP_SLACK * (ex * ex + ey * ey);
  }
  for (float py = first_y; py <= last_y; ++py)
    for (float px = first_x; px <= last_x; ++px) {
      bool inside = true;
      for (int e = 0; e < 3 && inside; ++e) {
        const double side = A[e] * (px + 0.5) + B[e] * (py + 0.5) + C[e];
        inside = side >= 0 || side * side <= slack2[e];
      }
      if (inside) return false;
    }
  return true;
}

// --- Closed solids.  Half of a GLUT sphere's or cube's triangles face
// away and are hidden by the other half; on the rig each costs as much as
// a seen one.  A GPU would cull them itself for nothing, but the program
// draws with culling off, as the desktop does.
//
// True for a back face of the closed convex solid being drawn (a GLUT
// sphere or cube) when it cannot show: under a depth test that keeps the
// nearer fragment and writes its depth, and with no blending or a blend
// that replaces the pixel, the solid's front faces cover exactly the pixels
// its back faces cover and lie in front of them.  Back means that the
// face's normal, turned away from the solid's centre, points to greater
// depth in window space (a projective image of the solid, so orientation
// needs no winding convention).
bool hidden_back_face(const vtx& a, const vtx& b, const vtx& c) {
  const context& k = *current;
  if (!k.solid_open || !k.solid_centre_ok || !k.depth_test || !k.depth_mask) return false;
  if (k.depth_func != GL_LESS && k.depth_func != GL_LEQUAL) return false;
  if (!blend_replaces(k, a.c[3] == 1.0f && b.c[3] == 1.0f && c.c[3] == 1.0f)) return false;
  const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
  const float vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
  const float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  const float* o = k.solid_centre;
  const float outward = nx * (a.x - o[0]) + ny * (a.y - o[1]) + nz * (a.z - o[2]);
  if (!(outward != 0.0f)) return false;
  return (outward > 0 ? nz : -nz) > 0;
}

// --- The glyph atlas: every distinct bitmap drawn so far, one texel a bit
// (255 set, 0 clear), packed in shelves.  A label then costs a triangle
// pair per character rather than one per run of set bits (the 200 labels
// of a full scene: about 7 000 triangles fewer), and glyph quads go in
// batches of their own, drawn by a second program, so that the texture
// fetch is paid by text pixels alone.  On a GPU the triangles would cost
// little, but the floats sent and the CPU's work to make them are the same
// on any machine.

struct atlas_place {
  int x, y;
};
std::unordered_map<std::string, atlas_place> atlas_places;
shelf_packer glyph_shelves(ATLAS_SIZE, 1);  // one clear texel between glyphs

// Where the bitmap's bits lie in the atlas, added on first use; false when
// it does not fit (the caller then draws it some other way).
bool atlas_find(int w, int h, const unsigned char* bits, atlas_place* out) {
  const size_t row_bytes = static_cast<size_t>((w + 7) / 8);
  std::string key(reinterpret_cast<const char*>(&w), sizeof w);
  key.append(reinterpret_cast<const char*>(&h), sizeof h);
  key.append(reinterpret_cast<const char*>(bits), row_bytes * static_cast<size_t>(h));
  if (auto it = atlas_places.find(key); it != atlas_places.end()) {
    *out = it->second;
    return true;
  }
  if (w > ATLAS_SIZE || h > ATLAS_SIZE) return false;
  atlas_place at;
  if (!glyph_shelves.place(w, h, &at.x, &at.y)) {
    // Full (a long session of changing labels): what is gathered is drawn
    // with the atlas as it is, then the atlas starts again empty.
    flush();
    atlas_places.clear();
    glyph_shelves.empty();
    glyph_shelves.place(w, h, &at.x, &at.y);
  }
  std::vector<unsigned char> alpha(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      alpha[static_cast<size_t>(j) * w + i] = (bits[j * row_bytes + i / 8] & (0x80 >> (i % 8))) ? 255 : 0;
  upload_glyph(at.x, at.y, w, h, alpha.data());
  *out = atlas_places[key] = at;
  return true;
}

// --- Kept output of plain lists.  A list that only draws polygons
// (vertices and normals, in GLUT's solid brackets or not), run with
// lighting off, puts into the batch a function of the state it runs under.
// Its output is kept with that state, and copied when the list runs again
// under the same: the program's sphere and cube lists run 200 times a
// frame, nearly all as in the frame before while a point is dragged.  This
// is CPU work (transforming and testing every vertex) saved on any machine.

struct kept_output {
  std::vector<float> floats;
  // For a depth sprite: where it lies on the canvas and in the sprite atlas
  // (of which fresh start).
  bool sprite = false, no_sprite = false;
  int x = 0, y = 0, w = 0, h = 0, atlas_x = 0, atlas_y = 0;
  long generation = 0;
};

struct list_output {
  unsigned version = 0;   // of the list this was worked out from
  bool known = false;     // whether the list was looked at since it was made
  bool geometry = false;  // only unlit polygons: the output can be kept
  bool sets_normal = false;
  float normal[3] = {0, 0, 0};  // the current normal the list leaves
  std::unordered_map<std::string, kept_output> kept;
};

// By context, of list n at n - 1.
std::unordered_map<const context*, std::vector<list_output>> list_outputs;

constexpr size_t MAX_KEPT_OUTPUTS = 1024;

bool polygonal(int mode) {
  return mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN ||
         mode == GL_QUADS || mode == GL_QUAD_STRIP || mode == GL_POLYGON;
}

bool plain_geometry(const std::vector<list_cmd>& cmds) {
  int open_solids = 0;
  bool draws = false;
  for (const list_cmd& k : cmds) {
    switch (k.op) {
      case OP_BEGIN:
        if (!polygonal(static_cast<int>(k.a[0]))) return false;
        draws = true;
        break;
      case OP_END:
      case OP_VERTEX:
      case OP_NORMAL: break;
      case OP_SOLID_BEGIN: ++open_solids; break;
      case OP_SOLID_END: --open_solids; break;
      default: return false;
    }
  }
  return draws && open_solids == 0;
}

// The state a plain list's output depends on, as bytes (equal bytes, equal
// output; a different zero's sign or padding merely misses).  It is every
// value of draw_state, so that a value added there is in the key unless it
// is named below as one that unlit polygons cannot depend on: new state
// can make the kept output miss, never make it stale.
static_assert(std::is_trivially_copyable_v<draw_state>, "the key copies draw_state as bytes");

struct list_key {
  draw_state state;
  float mvp[16];
  int scissor[4];
  bool sprites;
  bool savings[SAVINGS];  // output kept with a saving off holds what it saves
};

std::string state_bytes(const context& c) {
  list_key k;
  std::memset(static_cast<void*>(&k), 0, sizeof k);  // trivially copyable: its padding zeroed too
  std::memcpy(&k.state, static_cast<const draw_state*>(&c), sizeof k.state);
  draw_state& s = k.state;
  // Lists of polygons alone, unlit: no line, point or bitmap state, no
  // lighting or material, and a normal that only lighting would read (the
  // list's own last normal is restored after its kept output).
  static const draw_state none;  // static: its padding bytes are zero at every call
  std::memcpy(s.normal, none.normal, sizeof s.normal);
  std::memcpy(s.raster, none.raster, sizeof s.raster);
  std::memcpy(s.raster_colour, none.raster_colour, sizeof s.raster_colour);
  s.raster_valid = none.raster_valid;
  s.line_width = none.line_width;
  s.point_size = none.point_size;
  s.line_stipple = none.line_stipple;
  s.stipple_factor = none.stipple_factor;
  s.stipple_pattern = none.stipple_pattern;
  std::memcpy(s.clear_colour, none.clear_colour, sizeof s.clear_colour);
  std::memcpy(s.model_ambient, none.model_ambient, sizeof s.model_ambient);
  for (int i = 0; i < 8; ++i) std::memcpy(&s.lights[i], &none.lights[i], sizeof s.lights[i]);
  std::memcpy(&s.front, &none.front, sizeof s.front);
  std::memcpy(&s.back, &none.back, sizeof s.back);
  s.colour_material = none.colour_material;
  s.colour_material_face = none.colour_material_face;
  s.colour_material_mode = none.colour_material_mode;
  s.normalize = none.normalize;
  s.matrix_mode = none.matrix_mode;
  // The matrices and the window enter through their product and the scissor.
  derive(c);
  std::memcpy(k.mvp, c.model_view_projection, sizeof k.mvp);
  current_scissor(k.scissor);
  // A closed solid's centre matters only while one is open (the list's own
  // brackets set it anew).
  if (!s.solid_open) {
    s.solid_centre_ok = none.solid_centre_ok;
    std::memcpy(s.solid_centre, none.solid_centre, sizeof s.solid_centre);
  }
  k.sprites = depth_sprites && on(SAVE_SPRITES);
  std::memcpy(k.savings, saving_on, sizeof k.savings);
  return std::string(reinterpret_cast<const char*>(&k), sizeof k);
}

// --- Depth sprites.  The triangles of a sphere light about one pixel
// each, and the rig's cost goes by triangles.  Where a list's output is
// opaque, of one colour and under a depth test that keeps the nearer
// fragment, the pixels it lights and the nearest depth at each are all it
// leaves in the frame (passing fragments of one colour set the same colour;
// the depth ends as the nearest of them and what was there).  When kept
// output is drawn again, those pixels are rasterised here, as the GPU fills
// triangles, into a sprite of the sprite atlas (coverage in alpha, depth as
// 24 bits in red, green and blue), and from then on the list draws as one
// quad whose fragments take their depth from the sprite.  The GPU's depth
// is its own rounding of the same planes: where two surfaces meet within
// it, a pixel can go the other way (a few in a crowded view).  On a GPU,
// a quad with a fragment-depth shader can cost more than the few hundred
// triangles it stands for; the sprite atlas upload costs the same anywhere.

std::vector<unsigned char> sprite_texels;  // RGBA rows
shelf_packer sprite_shelves(SPRITE_ATLAS_SIZE, 0);

// True when the plain triangles f (count of them) are all of one opaque
// colour.
bool one_opaque_colour(const float* f, size_t count) {
  for (size_t v = 0; v < 3 * count; ++v)
    if (std::memcmp(f + v * PLAIN_FLOATS + 3, f + 3, 4) != 0) return false;
  return reinterpret_cast<const unsigned char*>(f + 3)[3] == 255;
}

// A place in the sprite atlas for a w x h sprite; when the atlas is full,
// what is gathered is drawn and the atlas starts again (sprites kept from
// before are then of an older generation).
void sprite_place(int w, int h, int* x, int* y) {
  const size_t n = SPRITE_ATLAS_SIZE;
  if (sprite_texels.empty()) sprite_texels.assign(n * n * 4, 0);
  if (!sprite_shelves.place(w, h, x, y)) {
    restart_sprite_atlas();
    sprite_shelves.place(w, h, x, y);
  }
}

void put_sprite(const depth_sprite& sp, kept_output* k) {
  int ax, ay;
  sprite_place(sp.w, sp.h, &ax, &ay);
  for (int j = 0; j < sp.h; ++j) {
    unsigned char* row = sprite_texels.data() + (static_cast<size_t>(ay + j) * SPRITE_ATLAS_SIZE + ax) * 4;
    for (int i = 0; i < sp.w; ++i) {
      const uint32_t d = sp.depth[static_cast<size_t>(j) * sp.w + i];
      row[4 * i + 0] = d == UNCOVERED ? 0 : static_cast<unsigned char>(d >> 16);
      row[4 * i + 1] = d == UNCOVERED ? 0 : static_cast<unsigned char>(d >> 8);
      row[4 * i + 2] = d == UNCOVERED ? 0 : static_cast<unsigned char>(d);
      row[4 * i + 3] = d == UNCOVERED ? 0 : 255;
    }
  }
  sprite_rows_changed(sprite_texels.data(), ay, ay + sp.h);
  k->sprite = true;
  k->x = sp.x0;
  k->y = sp.y0;
  k->w = sp.w;
  k->h = sp.h;
  k->atlas_x = ax;
  k->atlas_y = ay;
  k->generation = sprite_atlas_starts;
}

// The sprite's quad: on whole pixels, texel centres on pixel centres.
void draw_sprite(const kept_output& k, const float* colour) {
  begin_output(SPRITES, false);
  const float n = SPRITE_ATLAS_SIZE;
  const float x0 = static_cast<float>(k.x), y0 = static_cast<float>(k.y);
  const float x1 = x0 + k.w, y1 = y0 + k.h;
  const float u0 = k.atlas_x / n, v0 = k.atlas_y / n, u1 = (k.atlas_x + k.w) / n, v1 = (k.atlas_y + k.h) / n;
  put_glyph_vertex(x0, y0, 0.5f, colour, u0, v0);
  put_glyph_vertex(x1, y0, 0.5f, colour, u1, v0);
  put_glyph_vertex(x1, y1, 0.5f, colour, u1, v1);
  put_glyph_vertex(x0, y0, 0.5f, colour, u0, v0);
  put_glyph_vertex(x1, y1, 0.5f, colour, u1, v1);
  put_glyph_vertex(x0, y1, 0.5f, colour, u0, v1);
}

// Whether output under the state now may become a sprite.
bool sprite_state(const context& c) {
  return sprite_program && depth_sprites && on(SAVE_SPRITES) && c.depth_test && c.depth_mask &&
         (c.depth_func == GL_LESS || c.depth_func == GL_LEQUAL) && blend_replaces(c, c.colour[3] == 1.0f);
}

}  // namespace

// --- What the floors above ask (each saving's reasoning is at its helpers).

// One bench switch a saving, on at start-up.
extern "C" EMSCRIPTEN_KEEPALIVE void zw_set_saving(int which, int yes) {
  if (which >= 0 && which < SAVINGS) saving_on[which] = yes != 0;
}

bool leave_out(const vtx& a, const vtx& b, const vtx& c) {
  return (on(SAVE_BACK_FACES) && hidden_back_face(a, b, c)) || (on(SAVE_SUBPIXEL) && covers_no_pixel(a, b, c));
}

bool draw_bitmap_quad(int width, int height, const unsigned char* bits, float x0, float y0) {
  const context& c = *current;
  atlas_place at;
  if (!on(SAVE_GLYPHS) || !atlas_find(width, height, bits, &at)) return false;
  begin_output(GLYPHS, c.blend);
  // One quad on whole pixels; its texel centres fall on pixel centres.
  const float u0 = static_cast<float>(at.x) / ATLAS_SIZE, v0 = static_cast<float>(at.y) / ATLAS_SIZE;
  const float u1 = static_cast<float>(at.x + width) / ATLAS_SIZE;
  const float v1 = static_cast<float>(at.y + height) / ATLAS_SIZE;
  const float x1 = x0 + width, y1 = y0 + height, z = c.raster[2];
  const float* k = c.raster_colour;
  put_glyph_vertex(x0, y0, z, k, u0, v0);
  put_glyph_vertex(x1, y0, z, k, u1, v0);
  put_glyph_vertex(x1, y1, z, k, u1, v1);
  put_glyph_vertex(x0, y0, z, k, u0, v0);
  put_glyph_vertex(x1, y1, z, k, u1, v1);
  put_glyph_vertex(x0, y1, z, k, u0, v1);
  return true;
}

void restart_sprite_atlas() {
  flush();  // what is gathered is drawn with the atlas as it is
  ++sprite_atlas_starts;
  sprite_shelves.empty();
}

bool run_kept_list(unsigned id, int depth, list_runner run) {
  context& c = *current;
  const std::vector<list_cmd>* cmds = list_commands(id);
  if (cmds == nullptr || !on(SAVE_KEPT_LISTS) || c.lighting) return false;
  std::vector<list_output>& outputs = list_outputs[&c];
  if (outputs.size() < id) outputs.resize(id);
  list_output& out = outputs[id - 1];
  if (!out.known || out.version != list_version(id)) {
    out = list_output{};
    out.version = list_version(id);
    out.geometry = plain_geometry(*cmds);
    out.sets_normal =
        std::any_of(cmds->begin(), cmds->end(), [](const list_cmd& k) { return k.op == OP_NORMAL; });
    out.known = true;
  }
  if (!out.geometry) return false;
  std::string key = state_bytes(c);
  if (const auto it = out.kept.find(key); it != out.kept.end()) {
    kept_output& k = it->second;
    // Output drawn a second time under the same state becomes a sprite
    // (not at the first: while the scene turns, no state comes again).
    if (!k.sprite && !k.no_sprite && !k.floats.empty() && sprite_state(c)) {
      int scissor[4];
      current_scissor(scissor);
      depth_sprite sp;
      const size_t count = k.floats.size() / (3 * PLAIN_FLOATS);
      if (one_opaque_colour(k.floats.data(), count) &&
          rasterise_sprite(k.floats.data(), count, PLAIN_FLOATS, scissor, &sp)) {
        put_sprite(sp, &k);
        k.floats = std::vector<float>();
      } else {
        k.no_sprite = true;
      }
    }
    if (!k.sprite || k.generation == sprite_atlas_starts) {
      if (k.sprite) {
        draw_sprite(k, c.colour);
      } else if (!k.floats.empty()) {
        begin_output(PLAIN, c.blend);
        std::memcpy(batch.grow(k.floats.size()), k.floats.data(), k.floats.size() * sizeof(float));
      }
      if (out.sets_normal) std::memcpy(c.normal, out.normal, sizeof out.normal);
      return true;
    }
    out.kept.erase(it);  // its sprite went when the atlas started again
  }
  // Where the list's first primitive would start its output.
  begin_output(PLAIN, c.blend);
  const size_t start = batch.size();
  const long flushes_before = flushes;
  run(id, depth);
  if (flushes != flushes_before) return true;  // the output went out in parts
  // Enough for every point of a full scene; turning the scene makes every
  // state new, and then what was kept starts again.
  if (out.kept.size() >= MAX_KEPT_OUTPUTS) out.kept.clear();
  kept_output k;
  k.floats.assign(batch.data() + start, batch.data() + batch.size());
  out.kept.emplace(std::move(key), std::move(k));
  std::memcpy(out.normal, c.normal, sizeof out.normal);
  return true;
}

}  // namespace zelmor_web
