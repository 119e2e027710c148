// app/app.h — the application core: point set, display records, view
// settings, the recompute pipeline and the extraction.
//
// Nothing declared here needs GL or names a window: this header is the whole
// of what zelmor_core offers, and zelmor_core links no GL.  The windows, the
// quadrics and the redisplay requests are declared one floor up, in
// app/windows.h.
#pragma once

#include <cstdio>

// ---------------------------------------------------------------------------
// Point set and display records
// ---------------------------------------------------------------------------

// One point: plane coordinates, height (0 in plane_table, lifted in
// point_table) and a homogeneous w that is 1.0 for every user point and read
// by nothing.
struct point_rec {
  double x, y, z, w;
};

inline constexpr int MAX_POINTS = 200;

// Entry i of both tables is the same point; its index is its label, its line
// number - 1 in the point-exchange file and its site number in the hull.
extern point_rec plane_table[MAX_POINTS];
extern point_rec point_table[MAX_POINTS];
extern int point_count;

// Nonzero when the point set changed since the last recomputation (the
// door for edits below sets it).  A change of the common weight alone (the
// slider, relift_points) does not set it; a point's own weight does.
extern int need_recompute;

// A circumcentre coordinate not yet computed.
inline constexpr double CC_UNSET = -4242.4242;

// Doubly linked list of record pointers; the list owns its nodes, not the
// records.
struct rec_node {
  void* data;
  rec_node* next;
  rec_node* prev;
};
struct rec_list {
  rec_node* head;
  rec_node* tail;
};

struct dedge;

// One facet of the hull of the lifted points.
struct dtri {
  point_rec* v[3];      // into point_table, in the engine's vertex order
  double cc[3];         // circumcentre of the projection; CC_UNSET until computed
  dedge* e[3];          // e[0] = v0-v1, e[1] = v1-v2, e[2] = v2-v0
  float face_normal[3]; // unit, pointing out of the hull
  short edge_count;     // edge_list entries naming this triangle as t0 or t1
};

// One hull edge; (a, b) and (b, a) are the same edge.
struct dedge {
  point_rec* a;  // endpoint named first by the creating facet
  point_rec* b;
  dtri* t0;      // the triangle whose extraction created the edge
  dtri* t1;      // the other one; null until it is extracted
};

extern rec_list* tri_list;
extern rec_list* edge_list;

rec_list* new_rec_list();
void rec_list_append(rec_list* list, void* record);
void free_rec_list(rec_list* list);

// Appends p (plane_table) and its lift (point_table).  When the tables are
// full it refuses the point, says so on standard output and changes nothing.
// Returns 1 when the point was added, 0 when it was refused.
int add_point(const point_rec& p);

// The lift rule: x*x + y*y in double, the float weight widened and added last.
double lifted_height(double x, double y);

// --- Edits of the point set: the one door (app/point_edits.cpp) ----------
//
// Every edit of every front end (zelmor's mouse and New, the lab's keys,
// weights, snap, undo and loads, the pages' links) goes through these, so
// that after it: point_table holds the lift of each plane_table entry,
// ".ZELMOR" holds point_table (write_point_file), and need_recompute is set,
// whatever the number of points.  Records of the last recomputation stay
// across an append or a change of one point (they point into point_table,
// whose entries stay where they are, and the next recomputation replaces
// them) and are dropped by a replacement (their entries may now hold other
// points or none).
//
// The selection and any drag in progress are the front end's: zelmor's New
// keeps the highlighted index (it names no point until one is added again),
// while the lab clears an index that would name another point than the one
// the user picked.  Per-point weights (point_weights) must be in place
// before the call: the lift reads them.

// The point set changed: need_recompute set, ".ZELMOR" rewritten.
void point_set_changed();

// add_point, then point_set_changed when the point went in.  A refused
// point (full tables) changes nothing: no flag, no rewrite.  Returns
// add_point's answer.
int append_point(const point_rec& p);

// plane_table[i] moved or its weight changed: point_table[i] becomes its
// lift (x, y and w as in plane_table), then point_set_changed.  Does nothing
// for an index that names no point.
void point_changed(int i);

// The set becomes pts[0 .. count-1], appended in order as the right button
// would: records dropped, tables refilled, point_set_changed.  Entries past
// count keep their old contents, as add_point will overwrite them.
void replace_point_set(const point_rec* pts, int count);

// The common weight changed: every point_table[i].z follows the lift rule.
// Not an edit: ".ZELMOR" and need_recompute are left alone, since the same
// shift of every height changes no hull face's projection.
void relift_points();

// --- Per-point weights (app/weights.cpp) -----------------------------------
//
// A front end that gives its points weights points this at MAX_POINTS
// doubles, entry i the weight of point i; point i is then lifted
// to x*x + y*y + weight - w_i, the lower hull projects to the regular
// (weighted Delaunay) triangulation and the centres of the records are power
// centres.  Null (zelmor, the batch tool without --power): every weight 0.
extern const double* point_weights;

// Weights are held within -WEIGHT_LIMIT .. WEIGHT_LIMIT square plane units:
// in whole units (10^-4) at most 10^12, so heights stay within
// -10^12 .. 3 * 10^12 and every integer computation on them fits.
inline constexpr double WEIGHT_LIMIT = 1e8;

// The weight of point i in the units of the engine's heights, square
// hundredths: floor(10^4 w_i + 0.5), held at the limit; 0 without the hook,
// for an index outside the tables and for a weight that is not a number.
long long weight_units(int i);

// The height of point i at (x, y): lifted_height(x, y) less its rounded
// weight.  Exactly lifted_height(x, y) for a weight of 0.
double lifted_height_of(int i, double x, double y);

// After a recomputation: hidden[i] = 1 for each point that is a vertex of no
// Delaunay triangle (its weighted lift lies above the lower hull, or it
// coincides with an earlier point), 0 for the others and for every entry when
// the records hold no Delaunay triangle.  Returns the number of hidden points.
int find_hidden_points(unsigned char hidden[MAX_POINTS]);

// ---------------------------------------------------------------------------
// Recompute pipeline, point-exchange file and extraction
// ---------------------------------------------------------------------------

// Rewrites ".ZELMOR" in the working directory from point_table.  The new
// file replaces the old one whole (a link is replaced, never written
// through); a directory, FIFO, device or another user's file in its place is
// left alone.  A failed save says so on standard output and stays on record
// (point_file_failure) until a save succeeds; the text is kept in memory
// either way.
void write_point_file();

// Null while the last save of ".ZELMOR" succeeded, else why it failed, as
// ".ZELMOR not saved: <reason>".
const char* point_file_failure();

// Set by start-up: called whenever point_file_failure() changes, so that the
// GL side can show it.  Null means nothing to do.
extern void (*point_file_state_changed)();

// Formats point_table into the in-memory point text (write_point_file does
// this first), and a read stream over that text (null when out of memory).
void update_point_text();
FILE* open_point_text();

// Reads the text write_point_file last produced back from memory (not from
// the file, which another process may have changed), builds the hull,
// refills tri_list and edge_list.
void recompute();

// Set by start-up: posts a redisplay of the 2D points view (the last step of
// recompute), so that the core never includes GLUT.  Null means nothing to do.
extern void (*post_points_redisplay)();

// Releases the records of the last recomputation with their lists and leaves
// both lists empty.
void reset_record_lists();

// The Voronoi edge dual to the Delaunay edge e, as both the 2D view draws it
// and the batch tool prints it: a segment between two circumcentres, or a ray
// from one circumcentre to where it leaves the view square.  Fills seg with
// x0, y0, x1, y1 and returns 1; returns 0 when e has no Voronoi edge to draw.
int voronoi_edge(const dedge* e, double seg[4]);

// The records of a recomputation come from the extraction's own pool (a
// fixed table sized for the largest hull of MAX_POINTS points, malloc beyond
// it); reset_record_lists() and the pruning step release them with
// release_record(), which free()s anything not from the pool.  A record that
// other code puts into tri_list or edge_list must therefore come from malloc.

// --- Point-exchange file: lines "%.15f %.15f %.15f\n" --------------------

// Writes one line per valid point_table entry to f: the text that
// write_point_file saves.
void write_points(FILE* f);

// Formats v exactly as printf's "%.15f" does; out needs room for 330
// characters.  Returns the length written (no terminator counted).
int format_fixed15(double v, char* out);

// The value the site reader gets back for a coordinate v written with
// "%.15f" (what strtod gives for that text), and the whole hundredths the
// engine then works in: floor(100 * value + 0.5).
double exchange_value(double v);
double exchange_hundredths(double v);

// Plane coordinates beyond this many units are refused by the reader: inside
// it every hundredths computation of the pipeline is exact in 64 and 128 bits.
inline constexpr double COORD_LIMIT = 10000.0;

// recompute on a stream already open for reading (closed here): records
// reset, sites read, hull built, records extracted, hull and sites released.
// recompute() and the batch tool run it on open_point_text().  Does not post
// the redisplay.
void recompute_from(FILE* in);

// recompute_from's steps after the reset, for timing them one by one: the
// sites read from in (which is closed) and the hull built, returning its
// root; the records extracted from the hull; the hull and sites released.
struct simplex;
simplex* recompute_build(FILE* in);
void recompute_extract(simplex* root);
void recompute_release();

// --- Site reader and site blocks (app/secondary_win.cpp) -----------------

inline constexpr int MAXBLOCKS = 1000;     // bound on num_blocks
inline constexpr int BLOCKSIZE = 100000;   // sites per block
inline constexpr int LINE_BUF_SIZE = 100;  // physical lines longer than 99 characters are split

extern double* site_blocks[MAXBLOCKS];
extern int num_blocks;
extern int site_dim;                  // 3: coordinates per site and per data line
extern int site_counter;              // sites requested so far in this recomputation
extern char line_buf[LINE_BUF_SIZE];  // the current input line, kept between read_site calls
extern FILE* point_file;              // the stream a recomputation reads

// read_site(-1) primes the reader (reads and checks the first data line);
// read_site(j), j >= 0, returns site j (x and y in whole hundredths, the third
// coordinate X*X + Y*Y of those less weight_units(j)) or null at the end of
// the input.
double* read_site(int j);
// Storage for site j: the slot after prev, or a new block when j is a
// multiple of BLOCKSIZE.
double* new_site(double* prev, int j);
// Frees site_blocks[0 .. num_blocks-1] and sets num_blocks to 0.
void release_site_blocks();

extern double* (*site_reader)(int j);
extern int (*site_order)(int j);
int order_identity(int j);
// The engine's callbacks: the next site in file order, and a site's number
// (-2 for null, -3 for a pointer outside the blocks).
double* get_next_site();
int block_site_num(double* s);

// --- Extraction (app/extract.cpp) ----------------------------------------

struct simplex;
typedef void (*facet_out_f)(double** verts, int count, FILE* stream, int marker);

// The output driver: out(null, 0, stream, -1); visitor(null, out);
// walk(root, visitor); out(null, 0, stream, 1).
void output_hull(simplex* root, void* (*walk)(simplex*, void* (*)(simplex*, void*)),
                 void* (*visitor)(simplex*, void*), facet_out_f out, FILE* stream);
// The facet visitor: remembers out when given; hands each facet's vertices
// to the remembered output callback.  Always returns null.
void* emit_facet(simplex* s, void* out);
// The output callback: one dtri (and its edges) per facet of three vertices.
void make_triangle(double** verts, int count, FILE* stream, int marker);
// The edge between point_table[i] and point_table[j], created with t as t0
// or completed with t as t1.
dedge* find_or_add_edge(int i, int j, dtri* t);
void compute_normals();
void orient_normals();
void prune_upper_edges();
void finish_triangles();
void compute_circumcentre(dtri* t);
// The point against which orient_normals turns every normal outwards: the
// mean of all facet corners of the last extraction, lifted (rounded points,
// plane units, the current weight added), which lies strictly inside a
// three-dimensional hull.
extern double hull_centre[3];

// A Delaunay triangle: a lower facet of the lifted hull, whose face_normal
// points down.  Upper facets point up; a facet standing vertically over
// collinear boundary points has z exactly 0 and is neither.
inline bool is_delaunay_triangle(const dtri* t) { return t != nullptr && t->face_normal[2] < 0.0f; }

// Releases one dtri or dedge record: back to the pool, or free().
void release_record(void* record);
// Called by reset_record_lists once every record is released: the pool
// starts over and the edge index forgets the released edges.
void records_released();

// The whole hundredths (X, Y) in which the engine saw the point p when p was
// written to the point-exchange file (exchange_hundredths of p->x and p->y).
// Returns 0, leaving X and Y alone, when a coordinate is beyond COORD_LIMIT
// or not finite.
int point_hundredths(const point_rec* p, long long* X, long long* Y);

// ---------------------------------------------------------------------------
// View settings and selection (statically initialised, never reset)
// ---------------------------------------------------------------------------

extern int show_hyperboloid;        // 1
extern int show_delaunay;           // 1
extern int show_voronoi;            // 1
extern unsigned char show_grid;     // 0; the "Show Grid" box keeps it in step
extern float hyperboloid_opacity;   // 0.3 until the first motion in the panel
extern float zoom_factor;           // 1.5
extern float weight;                // 1.0, range -3 .. 10 in steps of 0.1

extern int selected_count;          // 0 until a press first hits a point
extern int selected_points[MAX_POINTS];

// ---------------------------------------------------------------------------
// Scene data computed once at start-up (no GL needed)
// ---------------------------------------------------------------------------

inline constexpr int MESH_N = 50;
extern point_rec hyperboloid_mesh[MESH_N][MESH_N];
extern point_rec hyperboloid_normals[MESH_N][MESH_N];
void compute_hyperboloid_mesh();

inline constexpr int ABOUT_LINES = 29;
inline constexpr int ABOUT_LINE_MAX = 74;
extern char about_text[ABOUT_LINES * (ABOUT_LINE_MAX + 1) + 1];
void assemble_about_text();
