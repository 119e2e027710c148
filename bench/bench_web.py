#!/usr/bin/env python3
"""The web edition's speed against the desktop program's, measured in the
same run: a full redraw of both views with 200 points ("3D Projection" and
the 2D points view, no recomputation) and one drag step (a motion event of
a grabbed point through every redraw it causes, the hull recomputation
included).

    bench/bench_web.py [--build build] [--runs 40]

The web figures come twice, interleaved: as the page draws, and with its
savings switched off (every triangle drawn, text as runs of pixels), the
baseline in the same run.

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
sys.path.insert(0, os.path.join(root, "web", "tests"))

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
    const t0 = performance.now();
    %s
    while (Module._zw_run_pending()) {}
    sync();
    times.push(performance.now() - t0);
  }
  %s
  return times;
})()"""


def web(site, runs):
    server = Server(site)
    browser = Browser()
    try:
        page = Page(browser, server.url())
        view3d = page.window_id("3D Projection")
        points = page.window_id("2D Points", 1)
        x0, y0 = page.rect(points)[:2]
        # Right clicks at the benchmark's pixels (y from the bottom of 541).
        clicks = ";".join("Module._zw_mouse(0, 2, %d, %d); Module._zw_mouse(1, 2, %d, %d)"
                          % (x0 + x, y0 + 541 - y, x0 + x, y0 + 541 - y)
                          for x, y in bench_pixels())
        browser.evaluate(clicks + "; true")
        page.settle()
        assert browser.evaluate("window.zelmorPointsText().split('\\n').length") == 201
        # Grab the first point where it is drawn and move it one pixel right
        # and back, one motion event per step.
        x, y = bench_pixels()[0]
        cx, cy = x0 + x, y0 + 541 - y
        out = {}
        # With the savings (unseen triangles left out, text from the glyph
        # atlas) and, as the baseline of the same run, without them.
        for savings in (1, 0, 1, 0):
            browser.evaluate("Module._zw_set_drawing_savings(%d)" % savings)
            counts0 = browser.evaluate("[Module._zw_draw_calls(), Module._zw_triangles_drawn()]")
            redraw = browser.evaluate(TIMING % ("", runs, "Module._zw_post_redisplay(%d); "
                                                "Module._zw_post_redisplay(%d);" % (view3d, points), ""),
                                      timeout=120)
            counts1 = browser.evaluate("[Module._zw_draw_calls(), Module._zw_triangles_drawn()]")
            drag = browser.evaluate(TIMING % (
                "Module._zw_mouse(0, 0, %d, %d); while (Module._zw_run_pending()) {}" % (cx, cy),
                runs, "Module._zw_mouse(2, 0, %d + (k & 1), %d);" % (cx, cy),
                "Module._zw_mouse(1, 0, %d, %d);" % (cx, cy)), timeout=120)
            o = out.setdefault(savings, {"redraw": [], "drag": []})
            o["redraw"] += redraw
            o["drag"] += drag
            o["calls"] = (counts1[0] - counts0[0]) / runs
            o["triangles"] = (counts1[1] - counts0[1]) / runs
        browser.evaluate("Module._zw_set_drawing_savings(1)")
        for o in out.values():
            o["redraw"] = statistics.median(o["redraw"])
            o["drag"] = statistics.median(o["drag"])
        return out[1], out[0]
    finally:
        browser.close()
        server.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(root, "build"))
    parser.add_argument("--runs", type=int, default=40)
    args = parser.parse_args()
    d = desktop(args.build)
    now, before = web(os.path.join(args.build, "web", "site"), args.runs)
    base = d["frame_3d"] + d["frame_2d"]
    print("desktop frame_3d + frame_2d (200 points): %.2f + %.2f = %.2f ms"
          % (d["frame_3d"], d["frame_2d"], base))
    for name, w in (("web", now), ("web, every triangle drawn", before)):
        print("%s: full redraw of both views (200 points) %.2f ms (%.2f times the desktop's), "
              "%.0f draw calls, %.0f triangles; drag step %.2f ms"
              % (name, w["redraw"], w["redraw"] / base, w["calls"], w["triangles"], w["drag"]))
    print("drag step (200 points): web %.2f ms, desktop %.2f ms" % (now["drag"], d["drag_step"]))


if __name__ == "__main__":
    main()
