#!/usr/bin/env python3
"""The web edition's speed against the desktop program's, measured in the
same run: a full redraw of both views with 200 points ("3D Projection" and
the 2D points view, no recomputation) and one drag step (a motion event of
a grabbed point through every redraw it causes, the hull recomputation
included).  On the page also a turn step: a motion event of a drag in "3D
Projection" that turns the scene a little further each time, so that the
page keeps no display list's output from the frame before (every sphere
and cube is transformed anew), against the desktop's frame_3d.

    bench/bench_web.py [--build build] [--runs 40] [--rounds 3]
    bench/bench_web.py --each [--build build] [--runs 40] [--rounds 3]
    bench/bench_web.py --ratio [--build build] [--runs 40] [--rounds 3]
    bench/bench_web.py --rescale [--build build] [--runs 40] [--rounds 3]

The desktop and the page are measured in turn, round by round, and each
round gives its own ratio.  The page's figures come twice in each round: as
the page draws, and with its savings switched off (every triangle drawn,
text as runs of pixels, display lists run afresh), its baseline.

With --each, the page alone, each of its speed-ups weighed on its own
(web/gl/savings.h lists them): the redraw, drag step and turn step with
every saving on, with that one saving off, and with all of them off, in
turn within each round; each round's ratio (one off / all on) says what the
saving is worth, above 1 when it pays.

With --ratio, the page alone on a screen of device pixel ratio 1 and on
one of ratio 2, where it draws four times the pixels: the redraw and the
drag step at each, in turn within each round, and each round's ratio.

With --rescale, the page alone: what a browser zoom after the start costs,
the windows laid out anew at drawing scale 2 (or back at 1), the canvas
resized and both views drawn, against a full redraw at the scale reached,
in turn within each round.

Needs the desktop build with the web edition (bash scripts/test.sh makes
both).  The desktop figures come from zelmor_bench's frame_3d, frame_2d and
drag_step under a private Xvfb; the web figures from headless Chromium
(WebGL through SwiftShader), each step timed in the page up to a pixel
read-back, so that the GPU work is in.  Medians in milliseconds."""
import argparse
import json
import os
import statistics
import subprocess
import sys

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "web"))

from cdp import Browser  # noqa: E402
from zelmor_page import Page, Server  # noqa: E402

# The 200 points of bench/bench_frames.cpp: the same pseudo-random pixels.
def bench_pixels():
    seed = 12345
    out = []
    for _ in range(400):
        seed = (seed * 1103515245 + 12345) & 0xFFFFFFFF
        out.append(((seed >> 8) % 521) + 10)
    return list(zip(out[0::2], out[1::2]))


def desktop(build):
    exe = os.path.join(build, "zelmor_bench")
    xvfb = os.path.join(root, "tests", "support", "with-xvfb.sh")
    # The drawers' current path only: the "/immediate" runs are its baseline.
    out = subprocess.run([xvfb, exe, "--benchmark_filter=^(frame_3d|frame_2d|drag_step)/200$",
                          "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true",
                          "--benchmark_format=json"], check=True, capture_output=True,
                         text=True).stdout
    medians = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            medians[b["run_name"].split("/")[0]] = b["real_time"]
    assert set(medians) == {"frame_3d", "frame_2d", "drag_step"}, medians
    return medians


TIMING = """(() => {
  const gl = Module.zwGL, px = new Uint8Array(4);
  const sync = () => gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, px);
  const times = [];
  %s
  for (let k = 0; k < %d; ++k) {
    let t0 = performance.now();
    %s
    while (Module._zw_run_pending()) {}
    sync();
    times.push(performance.now() - t0);
  }
  %s
  return times;
})()"""


class WebPage:
    """The page with the benchmark's 200 points, in one browser for the run."""

    def __init__(self, site, ratio=None):
        self.server = Server(site)
        self.browser = Browser()
        try:
            if ratio is not None:
                # A screen of that device pixel ratio: the page draws at it.
                self.browser.call("Emulation.setDeviceMetricsOverride", {
                    "width": 1300, "height": 900, "deviceScaleFactor": ratio, "mobile": False})
            self.page = Page(self.browser, self.server.url())
            self.view3d = self.page.window_id("3D Projection")
            self.points = self.page.window_id("2D Points", 1)
            x0, y0 = self.page.rect(self.points)[:2]
            scale = self.browser.evaluate("Module._zw_draw_scale()")

            def at(x, y):  # the benchmark's pixel (y from the bottom of 541) on the canvas
                return x0 + round(x * scale), y0 + round((541 - y) * scale)
            clicks = ";".join("Module._zw_mouse(0, 2, %d, %d); Module._zw_mouse(1, 2, %d, %d)"
                              % (at(x, y) + at(x, y)) for x, y in bench_pixels())
            self.browser.evaluate(clicks + "; true")
            self.page.settle()
            assert self.browser.evaluate("window.zelmorPointsText().split('\\n').length") == 201
            # The first point where it is drawn: the drag grabs it.
            self.grab = at(*bench_pixels()[0])
        except BaseException:
            self.close()
            raise

    def close(self):
        self.browser.close()
        self.server.close()

    def savings(self, on):
        self.browser.evaluate("Module._zw_set_drawing_savings(%d)" % on)

    def saving(self, which, on):
        """One speed-up on or off (web/gl/savings.h's saving_kind)."""
        self.browser.evaluate("Module._zw_set_saving(%d, %d)" % (which, on))

    def redraw(self, runs):
        """Times of a full redraw of both views, and draw calls and triangles a redraw."""
        b = self.browser
        counts0 = b.evaluate("[Module._zw_draw_calls(), Module._zw_triangles_drawn()]")
        times = b.evaluate(TIMING % ("", runs, "Module._zw_post_redisplay(%d); Module._zw_post_redisplay(%d);"
                                     % (self.view3d, self.points), ""), timeout=120)
        counts1 = b.evaluate("[Module._zw_draw_calls(), Module._zw_triangles_drawn()]")
        return times, (counts1[0] - counts0[0]) / runs, (counts1[1] - counts0[1]) / runs

    def drag(self, runs):
        """Times of a drag step: the grabbed point one pixel right and back."""
        cx, cy = self.grab
        return self.browser.evaluate(TIMING % (
            "Module._zw_mouse(0, 0, %d, %d); while (Module._zw_run_pending()) {}" % (cx, cy),
            runs, "Module._zw_mouse(2, 0, %d + (k & 1), %d);" % (cx, cy),
            "Module._zw_mouse(1, 0, %d, %d);" % (cx, cy)), timeout=120)

    def turn(self, runs):
        """Times of a turn step, each one pixel further than the last (the
        scene stays turned)."""
        x, y, w, h = self.page.rect(self.view3d)
        tx, ty = x + w // 2, y + h // 2
        return self.browser.evaluate(TIMING % (
            "Module._zw_mouse(0, 0, %d, %d); while (Module._zw_run_pending()) {}" % (tx - runs, ty),
            runs, "Module._zw_mouse(2, 0, %d + k, %d);" % (tx - runs + 1, ty),
            "Module._zw_mouse(1, 0, %d, %d);" % (tx, ty)), timeout=120)

    def turn_back(self, runs):
        """Undoes turn(runs) in one motion (turns about one axis add up)."""
        x, y, w, h = self.page.rect(self.view3d)
        tx, ty = x + w // 2, y + h // 2
        self.browser.evaluate("Module._zw_mouse(0, 0, %d, %d); Module._zw_mouse(2, 0, %d, %d); "
                              "Module._zw_mouse(1, 0, %d, %d); while (Module._zw_run_pending()) {} true"
                              % (tx, ty, tx - runs, ty, tx - runs, ty))


# The speed-ups in the order of web/gl/savings.h's saving_kind.
SAVINGS = ("sub-pixel triangles left out", "hidden back faces of closed solids left out",
           "bitmaps from the glyph atlas", "kept output of plain lists", "depth sprites")


def each(page, runs, rounds):
    """Each saving weighed against all of them on: the two measured one
    right after the other, round by round (the rig's speed drifts within
    seconds), each round giving its own ratio."""
    def measure():
        times, calls, triangles = page.redraw(runs)
        out = {"redraw": statistics.median(times), "calls": calls, "triangles": triangles,
               "drag": statistics.median(page.drag(runs)), "turn": statistics.median(page.turn(runs))}
        page.turn_back(runs)  # every configuration sees the same scene
        return out

    def switch(which, on):
        if which == "all":
            page.savings(on)
        else:
            page.saving(which, on)

    configs = [(name, k) for k, name in enumerate(SAVINGS)] + [("all off", "all")]
    print("%d rounds of %d runs; medians of the rounds in ms, and the median of the rounds' ratios "
          "(this off / all on: above 1, the saving pays)" % (rounds, runs))
    for name, which in configs:
        pairs = []
        for k in range(rounds):
            # Which comes first alternates, so that neither gains by its place.
            if k % 2 == 0:
                on = measure()
                switch(which, 0)
                off = measure()
                switch(which, 1)
            else:
                switch(which, 0)
                off = measure()
                switch(which, 1)
                on = measure()
            pairs.append((on, off))
        row = [name.ljust(44)]
        for step in ("redraw", "drag", "turn"):
            row.append("%s %6.2f -> %6.2f (%.2f)" % (
                step, statistics.median(a[step] for a, _ in pairs), statistics.median(b[step] for _, b in pairs),
                statistics.median(b[step] / a[step] for a, b in pairs)))
        row.append("triangles %.0f -> %.0f, calls %.0f -> %.0f" % (
            pairs[-1][0]["triangles"], pairs[-1][1]["triangles"], pairs[-1][0]["calls"], pairs[-1][1]["calls"]))
        print("  ".join(row), flush=True)


def by_ratio(site, runs, rounds):
    """The page at device pixel ratio 1 and 2 (four times the pixels),
    measured in turn, round by round; each round's ratio (2 / 1)."""
    pages = {r: WebPage(site, r) for r in (1, 2)}
    try:
        sizes = {r: pages[r].browser.evaluate("[Module._zw_canvas_width(), Module._zw_canvas_height()]")
                 for r in pages}
        rows = []
        for k in range(rounds):
            order = (1, 2) if k % 2 == 0 else (2, 1)
            rows.append({r: (statistics.median(pages[r].redraw(runs)[0]),
                             statistics.median(pages[r].drag(runs))) for r in order})
    finally:
        for p in pages.values():
            p.close()
    for r in (1, 2):
        print("ratio %d: canvas %d x %d; full redraw %.2f ms, drag step %.2f ms (medians of the rounds)"
              % (r, sizes[r][0], sizes[r][1], statistics.median(x[r][0] for x in rows),
                 statistics.median(x[r][1] for x in rows)))
    print("full redraw at ratio 2 / ratio 1: median of the rounds %.2f (rounds: %s)" % (
        statistics.median(x[2][0] / x[1][0] for x in rows), ", ".join("%.2f" % (x[2][0] / x[1][0]) for x in rows)))
    print("drag step at ratio 2 / ratio 1: median of the rounds %.2f" %
          statistics.median(x[2][1] / x[1][1] for x in rows))


def by_rescale(site, runs, rounds):
    """A rescale from 1 to 2 and back, each against a full redraw at the
    scale it reaches, round by round."""
    page = WebPage(site)
    step = ("Module._zw_set_draw_scale(%s); Module._zw_fit_canvas();")
    try:
        rows = []
        for _ in range(rounds):
            row = {}
            for scale, back in ((2, 1), (1, 2)):
                # Each timed step goes to `scale`; its untimed way back
                # comes first, so that every step is a real change.
                times = page.browser.evaluate(TIMING % (
                    "", runs, "Module._zw_set_draw_scale(%d); Module._zw_fit_canvas(); "
                    "while (Module._zw_run_pending()) {} sync(); t0 = performance.now(); " % back
                    + step % scale, ""), timeout=240)
                redraw = statistics.median(page.redraw(runs)[0])
                row[scale] = (statistics.median(times), redraw)
            rows.append(row)
    finally:
        page.close()
    for scale in (2, 1):
        print("rescale to %d: %.2f ms; full redraw at %d: %.2f ms; ratio %.2f (rounds: %s)" % (
            scale, statistics.median(r[scale][0] for r in rows), scale,
            statistics.median(r[scale][1] for r in rows),
            statistics.median(r[scale][0] / r[scale][1] for r in rows),
            ", ".join("%.2f" % (r[scale][0] / r[scale][1]) for r in rows)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(root, "build"))
    parser.add_argument("--runs", type=int, default=40)
    parser.add_argument("--rounds", type=int, default=3,
                        help="desktop and page measured in turn this many times")
    parser.add_argument("--each", action="store_true", help="weigh each of the page's speed-ups")
    parser.add_argument("--ratio", action="store_true",
                        help="the page at device pixel ratio 2 against ratio 1")
    parser.add_argument("--rescale", action="store_true",
                        help="a browser zoom's new drawing scale against a full redraw")
    args = parser.parse_args()
    if args.rescale:
        by_rescale(os.path.join(args.build, "web", "site"), args.runs, args.rounds)
        return
    if args.ratio:
        by_ratio(os.path.join(args.build, "web", "site"), args.runs, args.rounds)
        return
    page = WebPage(os.path.join(args.build, "web", "site"))
    if args.each:
        try:
            each(page, args.runs, args.rounds)
        finally:
            page.close()
        return
    try:
        # The machine's speed drifts over minutes, and the two renderers
        # feel it differently: the desktop and the page take turns, and each
        # round's ratio is of figures taken seconds apart.
        rounds = []
        for _ in range(args.rounds):
            d = desktop(args.build)
            w = {}
            # With the savings and, as the page's own baseline, without them.
            for on in (1, 0):
                page.savings(on)
                times, calls, triangles = page.redraw(args.runs)
                w[on] = {"redraw": statistics.median(times), "calls": calls, "triangles": triangles,
                         "drag": statistics.median(page.drag(args.runs))}
            page.savings(1)
            rounds.append((d, w))
        # Last, as it leaves the scene turned.
        turn = {}
        for on in (1, 0):
            page.savings(on)
            turn[on] = statistics.median(page.turn(args.runs))
        page.savings(1)
    finally:
        page.close()

    ratios = []
    for k, (d, w) in enumerate(rounds, 1):
        base = d["frame_3d"] + d["frame_2d"]
        ratios.append(w[1]["redraw"] / base)
        print("round %d: desktop frame_3d + frame_2d %.2f + %.2f = %.2f ms, drag step %.2f ms" %
              (k, d["frame_3d"], d["frame_2d"], base, d["drag_step"]))
        for name, on in (("web", 1), ("web, every triangle drawn", 0)):
            print("  %s: full redraw %.2f ms (%.2f times the desktop's), %.0f draw calls, %.0f triangles; "
                  "drag step %.2f ms" % (name, w[on]["redraw"], w[on]["redraw"] / base, w[on]["calls"],
                                         w[on]["triangles"], w[on]["drag"]))
    print("full redraw of both views (200 points), web / desktop: median of the rounds %.2f (rounds: %s)"
          % (statistics.median(ratios), ", ".join("%.2f" % r for r in ratios)))
    print("drag step (200 points): web %.2f ms, desktop %.2f ms (medians of the rounds)"
          % (statistics.median(w[1]["drag"] for _, w in rounds),
             statistics.median(d["drag_step"] for d, _ in rounds)))
    print("turn step (200 points, every list's output new): web %.2f ms (every triangle drawn: %.2f ms); "
          "desktop frame_3d %.2f ms" % (turn[1], turn[0], statistics.median(d["frame_3d"] for d, _ in rounds)))


if __name__ == "__main__":
    main()
