// The one door for edits of the point set: what must follow every change of
// the tables, whichever front end made it.  See app/app.h for the contract.
//
// Before this door every edit path wrote the rule out again (zelmor's add,
// drag and New, the lab's weights, snap and history, the pages' links), and
// the copies had drifted apart in harmless ways that a next copy could have
// turned into real ones:
//  - the flag was set before the rewrite in some copies and after it in
//    others.  Nothing in write_point_file reads the flag, so the order is
//    free; the door sets it first, as the road of an edit has always been
//    told (flag, append, rewrite).
//  - a drag re-lifted the whole entry from plane_table while a weight change
//    re-lifted z alone.  Both tables hold the same x, y and w for an entry
//    (add_point fills both, and only these re-lifts change x and y), so the
//    whole entry is the one rule and gives the same bits.
//  - a refused add (a full table) left the flag alone in zelmor but set it
//    in the lab's snapped add.  Nothing changed, so nothing is stale: the
//    door's add sets it only when the point went in.
//  - New dropped the records after the rewrite, the lab and the front page
//    before it.  The rewrite reads point_table only, never the records, so
//    the door drops them first, before any entry changes under them.
#include "app/app.h"

void point_set_changed() {
  need_recompute = 1;
  write_point_file();
}

int append_point(const point_rec& p) {
  if (!add_point(p)) return 0;
  point_set_changed();
  return 1;
}

void point_changed(int i) {
  if (i < 0 || i >= point_count) return;
  const point_rec& p = plane_table[i];
  point_table[i] = point_rec{p.x, p.y, lifted_height_of(i, p.x, p.y), p.w};
  point_set_changed();
}

void replace_point_set(const point_rec* pts, int count) {
  reset_record_lists();
  point_count = 0;
  for (int i = 0; i < count; ++i) add_point(pts[i]);
  point_set_changed();
}

void relift_points() {
  for (int i = 0; i < point_count; ++i)
    point_table[i].z = lifted_height_of(i, plane_table[i].x, plane_table[i].y);
}
