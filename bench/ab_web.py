#!/usr/bin/env python3
"""Two builds of the web edition's page against each other, measured in
turn in one run: the full redraw of both views and the drag step at 200
points, as bench_web.py measures them.

    bench/ab_web.py SITE_A SITE_B [--runs 30] [--rounds 5]

SITE_A and SITE_B are built site folders (build/web/site, or build-web/site
of an older checkout).  Prints each round's medians and the median of the
rounds' B / A ratios, then how many pixels of each view differ between the
two pages' frames of the same scene (both as drawn, then both with depth
sprites off where a page has them): two builds meant to draw alike, such
as the page with and without its savings file, must show 0."""
import argparse
import os
import statistics
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from bench_web import WebPage  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("site_a")
    parser.add_argument("site_b")
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    pages = [WebPage(args.site_a), WebPage(args.site_b)]
    differing = []
    try:
        differing.append(("as drawn", compare(pages)))
        for page in pages:
            page.browser.evaluate("Module._zw_set_depth_sprites && Module._zw_set_depth_sprites(0); true")
        differing.append(("depth sprites off", compare(pages)))
        for page in pages:
            page.browser.evaluate("Module._zw_set_depth_sprites && Module._zw_set_depth_sprites(1); true")
        rounds = []
        for _ in range(args.rounds):
            r = []
            for page in pages:
                times, _, triangles = page.redraw(args.runs)
                r.append((statistics.median(times), statistics.median(page.drag(args.runs)), triangles))
            rounds.append(r)
    finally:
        for page in pages:
            page.close()
    for k, (a, b) in enumerate(rounds, 1):
        print("round %d: redraw A %.2f ms, B %.2f ms (%.0f, %.0f triangles); drag step A %.2f ms, B %.2f ms"
              % (k, a[0], b[0], a[2], b[2], a[1], b[1]))
    print("B / A, median of the rounds: redraw %.2f, drag step %.2f"
          % (statistics.median(b[0] / a[0] for a, b in rounds), statistics.median(b[1] / a[1] for a, b in rounds)))
    for what, counts in differing:
        print("pixels differing between A and B, %s: %s" % (what, ", ".join("%s %d of %d" % c for c in counts)))


def compare(pages):
    """Of each view: its name, the pixels whose colour differs between the
    two pages, and its pixels (both views drawn afresh first)."""
    out = []
    for name in ("view3d", "points"):
        frames = []
        for page in pages:
            win = getattr(page, name)
            page.browser.evaluate("Module._zw_post_redisplay(%d); while (Module._zw_run_pending()) {} true" % win)
            frames.append(page.page.pixels(win))
        (w, h, a), (_, _, b) = frames
        out.append((name, sum(1 for i in range(0, len(a), 4) if a[i:i + 3] != b[i:i + 3]), w * h))
    return out


if __name__ == "__main__":
    main()
