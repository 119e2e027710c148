#!/usr/bin/env python3
"""The web edition in headless Chromium, driven with real mouse events over
the DevTools protocol.

    test_web_page.py --site DIR --reference-tool EXE --oracle-tool EXE
                     --scenario FILE --xvfb LAUNCHER [unittest arguments]

--site is the built web folder; the reference tool makes the desktop
program's frames for the scenario (under the Xvfb launcher), the oracle tool
is the exact Delaunay oracle of the tests.  Failing frame comparisons leave
PNGs of both frames and their difference in $ZELMOR_WEB_ARTIFACTS (or the
temporary folder).
"""
import base64
import json
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import images  # noqa: E402
from cdp import Browser  # noqa: E402
from zelmor_page import Page, Server, run_tests  # noqa: E402
from plane_pixels import (POINTS_VIEW_SIZE, image_row_of_plane_toward_zero,  # noqa: E402
                          pixel_of_plane_toward_zero, plane_length_of_pixels, plane_of_mouse_row,
                          plane_of_pixel)

ARGS = None

POINTS_SIZE = POINTS_VIEW_SIZE  # the 2D points subwindow, 541 x 541
FIVE = [(100, 100), (400, 120), (270, 300), (120, 420), (430, 400)]  # window pixels, y down
# Panel controls at their window pixels (y from the top of the 541 x 615
# panel, whose top 75 rows are visible).
VORONOI_BOX = (235, 61)
GRID_BOX = (395, 16)  # "Show Grid"
NEW_BUTTON = (420, 55)
QUIT_BUTTON = (500, 55)

BLUE_EDGE = (0, 77, 255)    # glColor4f(0, 0.3, 1, 1)
RED_EDGE = (255, 0, 0)
POINT = (36, 36, 143)       # (0.14, 0.14, 0.56)
MAX_DIFFERING = 0.005       # of a window's pixels, beyond 3 in a channel
SPRITE_PIXELS = 12          # a view's pixels that depth sprites may change


def near(c, ref, tol=40):
    return all(abs(a - b) <= tol for a, b in zip(c, ref))


class Frame:
    def __init__(self, w, h, rgba):
        self.w, self.h, self.rgba = w, h, rgba

    def at(self, x, y):
        """Pixel (x, y), y down."""
        if not (0 <= x < self.w and 0 <= y < self.h):
            return None
        i = (y * self.w + x) * 4
        return tuple(self.rgba[i:i + 3])

    def count(self, colour, tol=40):
        n = 0
        for i in range(0, len(self.rgba), 4):
            if near(self.rgba[i:i + 3], colour, tol):
                n += 1
        return n

    def near_colour(self, x, y, colour, r=2, tol=40):
        for dy in range(-r, r + 1):
            for dx in range(-r, r + 1):
                c = self.at(x + dx, y + dy)
                if c is not None and near(c, colour, tol):
                    return True
        return False


def to_pixel(p):
    """Plane (x, y) -> 2D view pixel (x, y down)."""
    return pixel_of_plane_toward_zero(p[0]), image_row_of_plane_toward_zero(p[1])


class PageCase(unittest.TestCase):
    """One browser for the class; each test on a fresh load of PAGE."""
    PAGE = "index.html"

    @classmethod
    def setUpClass(cls):
        cls.server = Server(ARGS.site)
        cls.downloads = tempfile.mkdtemp(prefix="zelmor-downloads-")
        cls.browser = Browser()
        cls.browser.call("Browser.setDownloadBehavior",
                         {"behavior": "allow", "downloadPath": cls.downloads})

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.server.close()
        shutil.rmtree(cls.downloads, ignore_errors=True)

    def setUp(self):
        self.page = Page(self.browser, self.server.url().replace("index.html", self.PAGE))
        self.assertTrue(self.browser.evaluate("window.zelmorReady === true"),
                        "the page says it has no WebGL")
        self.view3d = self.page.window_id("3D Projection")
        self.panel = self.page.window_id("2D Points", 0)
        self.points = self.page.window_id("2D Points", 1)

    # --- helpers

    def frame(self, win):
        self.page.settle()
        return Frame(*self.page.pixels(win))

    def add_crowd(self, n=60):
        """n points at pseudo-random places of the points view; their pixels."""
        seed = 4242
        clicked = []
        for _ in range(n):
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            x = 15 + (seed >> 8) % 510
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            clicked.append((x, 15 + (seed >> 8) % 510))
            self.page.click(self.points, *clicked[-1], "right")
        return clicked

    def add_five(self):
        for x, y in FIVE:
            self.page.click(self.points, x, y, "right")

    def download_points(self):
        return self.download("download-points")

    def download(self, button):
        """Clicks the page's button and returns the text of the file it offers."""
        return self.download_file("#" + button)[1]

    def click_element(self, selector):
        """A real left click on the middle of the page element."""
        x, y = self.browser.evaluate("""(() => {
          const e = document.querySelector(%s);
          const r0 = e.getBoundingClientRect();
          if (r0.top < 0 || r0.bottom > window.innerHeight) e.scrollIntoView({block: 'center'});
          const r = e.getBoundingClientRect();
          return [r.left + r.width / 2, r.top + r.height / 2]; })()""" % json.dumps(selector))
        self.browser.mouse("mouseMoved", x, y)
        self.browser.mouse("mousePressed", x, y, "left", 1)
        self.browser.mouse("mouseReleased", x, y, "left", 0)

    def download_file(self, selector, press=None):
        """Clicks the element (or calls press) and returns the name and the
        text of the file the page offers."""
        for name in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, name))
        if press is None:
            self.click_element(selector)
        else:
            press()
        deadline = time.time() + 10
        while time.time() < deadline:
            done = [n for n in os.listdir(self.downloads) if not n.endswith(".crdownload")]
            if done:
                # The name can appear before the browser has written the
                # bytes: read once the size has settled (no offer is empty).
                path = os.path.join(self.downloads, done[0])
                size = os.path.getsize(path)
                time.sleep(0.05)
                if size > 0 and size == os.path.getsize(path):
                    with open(path) as f:
                        return done[0], f.read()
                continue
            time.sleep(0.05)
        self.fail("no download arrived")

    def parse_points(self, text):
        return [tuple(float(v) for v in line.split()) for line in text.splitlines() if line.strip()]

    def check_each_window_drawn_alone_leaves_the_canvas(self):
        """The canvas shows the windows as a window system stacks them,
        whichever of them drew last: each one drawn again alone (as a
        reshape or an expose asks) leaves every pixel as it was.  (The 2D
        view's last row lies over the panel's first; the top window's clear
        covers its subwindows.)"""
        self.add_five()
        self.page.settle()
        before = self.page.canvas_pixels()
        for win, (title, parent, *_rect) in sorted(self.page.windows().items(), key=lambda kv: int(kv[0])):
            with self.subTest(window=win, title=title, parent=parent):
                self.browser.evaluate("Module._zw_post_redisplay(%s)" % win)
                self.page.settle()
                now = self.page.canvas_pixels()
                if now != before:
                    changed = images.differing((before[0], before[1], images.rgb_of_rgba(before[2])),
                                               (now[0], now[1], images.rgb_of_rgba(now[2])), 0)[0]
                    self.fail("a redraw of window %s alone changed %d pixels" % (win, changed))


class WebPageTest(PageCase):
    def oracle(self, text):
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
            f.write(text)
        try:
            out = subprocess.run([ARGS.oracle_tool, f.name], check=True, capture_output=True,
                                 text=True).stdout
        finally:
            os.remove(f.name)
        edges, voronoi = [], []
        for line in out.splitlines():
            w = line.split()
            if w[0] == "edge":
                edges.append((int(w[1]), int(w[2])))
            elif w[0] == "voronoi":
                voronoi.append(tuple(float(v) for v in w[1:]))
        return edges, voronoi

    # --- the tests

    def test_five_points_give_the_delaunay_and_voronoi_edges(self):
        for x, y in FIVE[:4]:
            self.page.click(self.points, x, y, "right")
        four = self.frame(self.points)
        self.assertEqual(four.count(BLUE_EDGE, 20), 0, "edges drawn with only four points")
        self.page.click(self.points, *FIVE[4], "right")

        pts = self.parse_points(self.download_points())
        self.assertEqual(len(pts), 5)
        for (px, py), p in zip(FIVE, pts):
            x, y = plane_of_pixel(px), plane_of_mouse_row(py)
            self.assertAlmostEqual(p[0], x, places=12)
            self.assertAlmostEqual(p[1], y, places=12)
            self.assertAlmostEqual(p[2], x * x + y * y + 1.0, places=12)

        text = "".join("%.15f %.15f %.15f\n" % p for p in pts)
        edges, voronoi = self.oracle(text)
        self.assertGreaterEqual(len(edges), 7)  # 4 hull edges, and the centre point's
        view = self.frame(self.points)
        for i, j in edges:
            for t in (0.35, 0.5, 0.65):
                q = (pts[i][0] + t * (pts[j][0] - pts[i][0]), pts[i][1] + t * (pts[j][1] - pts[i][1]))
                self.assertTrue(view.near_colour(*to_pixel(q), BLUE_EDGE),
                                "Delaunay edge %d-%d not drawn at %s" % (i, j, to_pixel(q)))
        self.assertGreater(len(voronoi), 0)
        for x0, y0, x1, y1 in voronoi:
            q = ((x0 + x1) / 2, (y0 + y1) / 2)
            px, py = to_pixel(q)
            if 3 <= px < POINTS_SIZE - 3 and 3 <= py < POINTS_SIZE - 3:
                self.assertTrue(view.near_colour(px, py, RED_EDGE),
                                "Voronoi edge not drawn at %s" % ((px, py),))

    def test_the_page_shows_the_drawn_pixels_opaque(self):
        # The canvas keeps an alpha channel (clears are faster with one): it
        # must hold 1 everywhere, also under the blended surface, or the
        # page's background would show through the picture; and the 3D
        # window as the page shows it must be what the program drew.
        self.add_five()
        self.page.settle()
        x, y, w, h = self.page.rect(self.view3d)
        not_opaque, shown = self.browser.evaluate("""(() => {
          const c = document.getElementById('canvas');
          const copy = document.createElement('canvas');
          copy.width = c.width; copy.height = c.height;
          const ctx = copy.getContext('2d');
          ctx.drawImage(c, 0, 0);
          const all = ctx.getImageData(0, 0, c.width, c.height).data;
          let bad = 0;
          for (let i = 3; i < all.length; i += 4) bad += all[i] !== 255;
          const d = ctx.getImageData(%d, %d, %d, %d).data;
          let s = '';
          for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);
          return [bad, btoa(s)];
        })()""" % (x, y, w, h))
        self.assertEqual(not_opaque, 0, "pixels of the canvas not opaque")
        drawn = self.page.pixels(self.view3d)
        self.assertEqual(base64.b64decode(shown), images.rgb_of_rgba(drawn[2]))

    def test_svg_download_draws_the_oracle_edges(self):
        self.add_five()
        svg = self.download("download-svg")
        self.assertTrue(svg.startswith("<?xml") and svg.rstrip().endswith("</svg>"))
        edges, voronoi = self.oracle(self.download("download-points"))
        delaunay = svg.split('class="delaunay"')[1].split("</g>")[0]
        cells = svg.split('class="voronoi"')[1].split("</g>")[0]
        self.assertEqual(delaunay.count("<line"), len(edges))
        self.assertEqual(cells.count("<line"), len(voronoi))
        self.assertEqual(svg.count("<circle"), 5)

    def test_left_drag_moves_the_point(self):
        self.add_five()
        before = self.parse_points(self.download_points())
        x, y = FIVE[2]
        self.page.press(self.points, x, y, "left")
        steps = [(x + 10 * k, y - 8 * k) for k in range(1, 4)]
        for sx, sy in steps:
            self.page.drag_to(self.points, sx, sy)
        self.page.release(self.points, *steps[-1], "left")
        self.page.settle()

        after = self.parse_points(self.download_points())
        # The drag adds each step's pixel difference * 6 / 541, as the
        # program computes it.
        ex, ey = before[2][0], before[2][1]
        last = (x, POINTS_SIZE - y)
        for sx, sy in steps:
            ex += plane_length_of_pixels(sx - last[0])
            ey += plane_length_of_pixels((POINTS_SIZE - sy) - last[1])
            last = (sx, POINTS_SIZE - sy)
        self.assertAlmostEqual(after[2][0], ex, places=12)
        self.assertAlmostEqual(after[2][1], ey, places=12)
        self.assertEqual(after[:2] + after[3:], before[:2] + before[3:])
        view = self.frame(self.points)
        self.assertTrue(view.near_colour(*steps[-1], (255, 0, 255), r=3, tol=10),
                        "the dragged point is not drawn, selected, where the drag ended")

    def test_drag_in_3d_turns_the_scene(self):
        self.add_five()
        still = self.frame(self.view3d)
        self.page.press(self.view3d, 270, 270, "left")
        for k in range(1, 5):
            self.page.drag_to(self.view3d, 270 + 10 * k, 270)
            self.page.settle()
        self.page.release(self.view3d, 310, 270, "left")
        turned = self.frame(self.view3d)
        changed = sum(1 for i in range(0, len(still.rgba), 4)
                      if still.rgba[i:i + 3] != turned.rgba[i:i + 3])
        self.assertGreater(changed, 0.02 * still.w * still.h)
        # Motion without the button held turns nothing.
        self.page.drag_to(self.view3d, 100, 100, button=None)
        self.page.settle()
        self.assertEqual(self.frame(self.view3d).rgba, turned.rgba)

    def test_leaving_out_unseen_triangles_changes_no_pixel(self):
        # Sixty points crowd the views with labels, small spheres and cubes
        # whose back faces and sub-pixel triangles the page leaves out, and
        # whose display lists' output it keeps from frame to frame; each view,
        # after a point is selected (its sphere changes colour), after one is
        # dragged (one sphere moves), turned and with the grid on, must look
        # exactly as when every triangle and every run of a label's bits is
        # drawn afresh.
        clicked = self.add_crowd()

        def three_ways():
            frames = []
            for savings, sprites in ((1, 1), (1, 0), (0, 0)):
                self.browser.evaluate("Module._zw_set_drawing_savings(%d); Module._zw_set_depth_sprites(%d)"
                                      % (savings, sprites))
                for win in (self.view3d, self.points):
                    self.browser.evaluate("Module._zw_post_redisplay(%d)" % win)
                frames.append([self.frame(win).rgba for win in (self.view3d, self.points)])
            self.browser.evaluate("Module._zw_set_drawing_savings(1); Module._zw_set_depth_sprites(1)")
            return frames

        def differing(a, b):
            return sum(1 for i in range(0, len(a), 4) if a[i:i + 3] != b[i:i + 3])

        steps = ("as clicked", "a point selected", "a point dragged", "one turn", "the grid on, two turns",
                 "three turns")
        for step, name in enumerate(steps):
            sprites, saved, full = three_ways()
            for view, a, b, c in zip(("3D view", "points view"), sprites, saved, full):
                self.assertEqual(differing(b, c), 0, "%s, %s" % (view, name))
                # A sprite's depth is the page's own rounding of the GPU's:
                # where two surfaces meet within it (a label beside its
                # sphere), a pixel may go the other way.
                self.assertLessEqual(differing(a, b), SPRITE_PIXELS, "%s, %s, sprites" % (view, name))
            if step == 0:
                self.page.click(self.points, *clicked[7], "middle")
            elif step == 1:
                x, y = clicked[3]
                self.page.press(self.points, x, y, "left")
                self.page.drag_to(self.points, x + 9, y - 6, "left")
                self.page.release(self.points, x + 9, y - 6, "left")
            else:
                if step == 3:
                    self.page.click(self.panel, *GRID_BOX)
                self.page.press(self.view3d, 200, 300, "left")
                self.page.drag_to(self.view3d, 240 + 15 * step, 260 - 20 * step)
                self.page.release(self.view3d, 240 + 15 * step, 260 - 20 * step, "left")
            self.page.settle()

    def test_depth_sprites_are_made_anew_when_their_atlas_starts_again(self):
        # Sprites are made when kept output is drawn a second time.  When the
        # sprite atlas starts again empty, sprites kept from before must not
        # be drawn from what it holds then: the next frame draws triangles,
        # the one after makes new sprites, and they match the triangles.
        self.add_crowd()
        b = self.browser

        def redraw():
            """The triangles of one redraw of the 3D view."""
            before = b.evaluate("Module._zw_triangles_drawn()")
            b.evaluate("Module._zw_post_redisplay(%d)" % self.view3d)
            self.page.settle()
            return b.evaluate("Module._zw_triangles_drawn()") - before

        def sprites_match_triangles(what):
            frames = []
            for sprites in (1, 0):
                b.evaluate("Module._zw_set_depth_sprites(%d)" % sprites)
                redraw()
                redraw()
                frames.append(self.frame(self.view3d).rgba)
            b.evaluate("Module._zw_set_depth_sprites(1)")
            one, other = frames
            self.assertLessEqual(sum(1 for i in range(0, len(one), 4) if one[i:i + 3] != other[i:i + 3]),
                                 SPRITE_PIXELS, what)

        redraw()
        with_sprites = redraw()
        b.evaluate("Module._zw_restart_sprite_atlas()")
        self.assertGreater(redraw(), with_sprites + 2000, "sprites from before the fresh start drawn")
        self.assertEqual(redraw(), with_sprites)
        sprites_match_triangles("after a fresh start asked for")

        # Turning the scene a little and letting go, again and again, makes
        # new sprites at each stop until the atlas is full and starts again
        # by itself.
        starts = b.evaluate("Module._zw_sprite_atlas_starts()")
        for _ in range(100):
            self.page.press(self.view3d, 200, 300, "left")
            self.page.drag_to(self.view3d, 202, 300)
            self.page.release(self.view3d, 202, 300, "left")
            redraw()
            redraw()
            if b.evaluate("Module._zw_sprite_atlas_starts()") > starts:
                break
        self.assertGreater(b.evaluate("Module._zw_sprite_atlas_starts()"), starts)
        sprites_match_triangles("after the atlas was full")

    def test_check_box_hides_the_voronoi_layer(self):
        self.add_five()
        shown = self.frame(self.points)
        self.assertGreater(shown.count(RED_EDGE, 20), 100)
        self.page.click(self.panel, *VORONOI_BOX)
        hidden = self.frame(self.points)
        self.assertEqual(hidden.count(RED_EDGE, 20), 0)
        self.assertGreater(hidden.count(BLUE_EDGE, 20), 100)

    def test_new_empties_the_exchange_file(self):
        self.add_five()
        self.assertEqual(len(self.parse_points(self.download_points())), 5)
        self.page.click(self.panel, *NEW_BUTTON)
        self.assertEqual(self.browser.evaluate("window.zelmorPointsText()"), "")
        view = self.frame(self.points)
        self.assertEqual(view.count(POINT, 10), 0)
        self.assertEqual(view.count(BLUE_EDGE, 20), 0)

    def test_quit_ends_the_program(self):
        self.add_five()
        self.page.click(self.panel, *QUIT_BUTTON)
        self.assertTrue(self.browser.wait_for("window.zelmorEnded === true", 5))
        message = self.browser.evaluate("document.getElementById('message').textContent")
        self.assertIn("ZELMOR has ended", message)
        before = self.frame(self.points)
        text = self.browser.evaluate("window.zelmorPointsText()")
        # Nothing more runs: a click adds no point and draws nothing.
        self.page.click(self.points, 200, 200, "right")
        time.sleep(0.2)
        self.assertEqual(self.browser.evaluate("window.zelmorPointsText()"), text)
        self.assertEqual(self.frame(self.points).rgba, before.rgba)

    def test_each_window_drawn_alone_leaves_the_canvas(self):
        self.check_each_window_drawn_alone_leaves_the_canvas()

    def test_clicks_land_right_on_a_scaled_page(self):
        self.browser.evaluate("document.getElementById('canvas').style.width = '700px'; true")
        scale = self.browser.evaluate(
            "document.getElementById('canvas').getBoundingClientRect().width / 1093")
        self.assertLess(scale, 0.7)
        self.page.click(self.points, 150, 200, "right")
        pts = self.parse_points(self.browser.evaluate("window.zelmorPointsText()"))
        self.assertEqual(len(pts), 1)
        self.assertAlmostEqual(pts[0][0], plane_of_pixel(150), places=12)
        self.assertAlmostEqual(pts[0][1], plane_of_mouse_row(200), places=12)

    def test_frames_match_the_desktop(self):
        refs = tempfile.mkdtemp(prefix="zelmor-desktop-frames-")
        try:
            subprocess.run([ARGS.xvfb, ARGS.reference_tool, ARGS.scenario, refs], check=True,
                           cwd=refs, capture_output=True, timeout=60)
            self.replay_and_compare(refs)
        finally:
            shutil.rmtree(refs, ignore_errors=True)

    def replay_and_compare(self, refs):
        wins = {"points": self.points, "panel": self.panel, "view3d": self.view3d}
        artifacts = os.environ.get("ZELMOR_WEB_ARTIFACTS", tempfile.gettempdir())
        failures = []
        with open(ARGS.scenario) as f:
            lines = [line.split() for line in f if line.strip() and not line.startswith("%")]
        for words in lines:
            if words[0] != "frames":
                self.page.click(wins[words[0]], int(words[2]), int(words[3]), words[1])
                continue
            for name, win in wins.items():
                fw, fh, rgba = self.page.pixels(win)
                web = (fw, fh, images.rgb_of_rgba(rgba))
                desk = images.crop(images.read_ppm(os.path.join(refs, "%s-%s.ppm" % (words[1], name))),
                                   0, 0, fw, fh)
                if name == "panel":
                    # The panel's first visible row lies under the points
                    # view (541 rows from row 1 of their parent); only the
                    # rows below it show the panel itself.
                    web, desk = images.crop(web, 0, 1, fw, fh - 1), images.crop(desk, 0, 1, fw, fh - 1)
                n, marks = images.differing(desk, web)
                share = n / float(web[0] * web[1])
                print("%s %s: %d of %d pixels differ (%.3f %%)" % (words[1], name, n, web[0] * web[1],
                                                                  100 * share))
                if share > MAX_DIFFERING:
                    stem = os.path.join(artifacts, "zelmor-web-%s-%s" % (words[1], name))
                    images.write_png(stem + "-desktop.png", desk)
                    images.write_png(stem + "-web.png", web)
                    images.write_png(stem + "-diff.png", marks)
                    failures.append("%s/%s: %.3f %% (see %s-*.png)" % (words[1], name, 100 * share, stem))
        self.assertEqual(failures, [])


class LabPageTest(PageCase):
    """The lab's page: its toolbar and keys, Load and Save."""
    PAGE = "lab.html"

    def button(self, label):
        self.click_element("#toolbar button[title=%s]" % json.dumps(label))
        self.page.settle()

    def key(self, key, code, text):
        # Keys go to the window under the pointer, as under X.
        self.page.drag_to(self.points, 270, 270, button=None)
        for kind in ("keyDown", "keyUp"):
            self.browser.call("Input.dispatchKeyEvent", {
                "type": kind, "key": key, "code": code, "text": text if kind == "keyDown" else "",
                "windowsVirtualKeyCode": ord(key.upper()) if len(key) == 1 else 0})
        self.page.settle()

    def points_now(self):
        return self.parse_points(self.browser.evaluate("window.zelmorPointsText()") or "")

    def load(self, path):
        """Chooses the file in the page's file picker, as a user would."""
        before = self.browser.evaluate("window.zelmorLoads || 0")
        doc = self.browser.call("DOM.getDocument")["root"]["nodeId"]
        node = self.browser.call("DOM.querySelector", {"nodeId": doc, "selector": "#load-file"})
        self.browser.call("DOM.setFileInputFiles", {"files": [path], "nodeId": node["nodeId"]})
        # The page reads the file before it hands it to the program.
        self.assertTrue(self.browser.wait_for("(window.zelmorLoads || 0) > %d" % before, 10))
        self.page.settle()

    def test_each_window_drawn_alone_leaves_the_canvas(self):
        self.check_each_window_drawn_alone_leaves_the_canvas()

    def test_toolbar_buttons_do_what_the_keys_do(self):
        self.button("square and its centre")
        square = self.points_now()
        self.assertEqual(len(square), 5)
        self.page.click(self.panel, *NEW_BUTTON)
        self.assertEqual(self.points_now(), [])
        self.key("1", "Digit1", "1")
        self.assertEqual(self.points_now(), square)
        # Select the last point with the left button, delete it with the
        # button, undo with the button, redo with the key.
        self.page.click(self.points, *to_pixel(square[4]), "left")
        self.button("delete the selected point")
        self.assertEqual(self.points_now(), square[:4])
        self.button("undo the last edit")
        self.assertEqual(self.points_now(), square)
        self.key("y", "KeyY", "y")
        self.assertEqual(self.points_now(), square[:4])

    def test_help_comes_over_the_views_and_a_click_closes_it(self):
        self.add_five()
        before = self.frame(self.points)
        self.key("h", "KeyH", "h")
        about = self.page.window_id("About ZELMOR")
        help_frame = self.frame(about)
        shown = self.frame(self.points)
        # Where the help window covers the 2D view, the view shows the help.
        ax, ay = self.page.rect(about)[:2]
        px, py = self.page.rect(self.points)[:2]
        covered = [(x, y) for y in range(0, POINTS_SIZE, 7) for x in range(0, POINTS_SIZE, 7)
                   if help_frame.at(x + px - ax, y + py - ay) is not None]
        self.assertGreater(len(covered), 1000)
        for x, y in covered:
            self.assertEqual(shown.at(x, y), help_frame.at(x + px - ax, y + py - ay))
        self.assertNotEqual(shown.rgba, before.rgba)
        # Its Dismiss button (at the bottom right, kept on the canvas) closes
        # it; the view is whole again, above the status line (which follows
        # the pointer).
        self.page.click(about, 650, self.page.rect(about)[3] - 13, "left")
        self.assertNotIn(str(about), self.page.windows())
        above_status = before.w * 4 * (before.h - 34)
        self.assertEqual(self.frame(self.points).rgba[:above_status], before.rgba[:above_status])

    def test_save_downloads_the_points_and_load_reads_them_back(self):
        self.add_five()
        five = self.points_now()
        name, text = self.download_file("#save-points")
        self.assertRegex(name, r"^zelmor-\d{8}-\d{6}(-\d+)?\.txt$")
        saved = [tuple(float(v) for v in line.split()) for line in text.splitlines()
                 if line.strip() and not line.startswith("%")]
        self.assertEqual(len(saved), 5)
        for s, p in zip(saved, five):
            self.assertAlmostEqual(s[0], p[0], places=12)
            self.assertAlmostEqual(s[1], p[1], places=12)
        # The s key saves through the browser too, under a name of its own.
        second, again = self.download_file(None, press=lambda: self.key("s", "KeyS", "s"))
        self.assertNotEqual(second, name)
        self.assertEqual(again.splitlines()[1:], text.splitlines()[1:])

        folder = tempfile.mkdtemp(prefix="zelmor-lab-load-")
        try:
            good = os.path.join(folder, name)
            with open(good, "w") as f:
                f.write(text)
            self.page.click(self.panel, *NEW_BUTTON)
            self.load(good)
            self.assertEqual(self.points_now(), five)
            # A file that is not a points file changes nothing.
            bad = os.path.join(folder, "notes.txt")
            with open(bad, "w") as f:
                f.write("these are not points\n")
            self.load(bad)
            self.assertEqual(self.points_now(), five)
        finally:
            shutil.rmtree(folder, ignore_errors=True)


    # --- the lab's picture, wheel, Quit!, file keys and loader

    def status(self):
        return self.browser.evaluate("Module.UTF8ToString(Module._zl_status_text())")

    def svg(self):
        name, text = self.download_file("#download-svg")
        self.assertEqual(name, "zelmor-lab.svg")
        self.assertTrue(text.startswith("<?xml") and text.rstrip().endswith("</svg>"))
        return text

    def saved(self):
        """The points as "Save points" keeps them: [(x, y, w)], w 0 without weights."""
        text = self.download_file("#save-points")[1]
        weighted = "% columns: x y weight" in text
        rows = [tuple(float(v) for v in line.split()) for line in text.splitlines()
                if line.strip() and not line.startswith("%")]
        return [(r[0], r[1], r[2] if weighted else 0.0) for r in rows]

    def test_svg_of_a_flat_set_is_the_labs_exact_diagram(self):
        self.key("0", "Digit0", "0")  # twelve points on one circle
        pts = self.points_now()
        self.assertEqual(len(pts), 12)
        svg = self.svg()
        edges, pieces = run_oracle(["--flat"], "".join("%r %r\n" % p[:2] for p in pts))
        self.assertEqual((len(edges), len(pieces)), (12, 12))
        self.assertEqual(sorted(svg_edges(svg, "delaunay", pts)), sorted(edges))
        drawn = svg_lines(svg, "voronoi")
        self.assertEqual(len(drawn), 12)
        for q in pieces:
            self.assertTrue(any(same_piece(d, q) for d in drawn), "ray %s not drawn" % (q,))
        # The points are the lab's own, with their labels; n takes the labels
        # away from the view and from the picture.
        self.assertEqual(len(svg_circles(svg, "points")), 12)
        self.assertEqual(svg_group(svg, "labels").count("<text"), 12)
        self.key("n", "KeyN", "n")
        self.assertNotIn("<text", self.svg())
        # F shows the furthest-site diagram of a set in general position.
        self.key("9", "Digit9", "9")
        self.assertEqual(svg_group(self.svg(), "furthest").count("<line"), 0)
        self.key("F", "KeyF", "F")
        self.assertGreater(svg_group(self.svg(), "furthest").count("<line"), 0)

    def test_svg_of_a_weighted_set_has_its_circles_and_hollow_points(self):
        self.key("4", "Digit4", "4")  # the 5 x 5 grid, spacing 1
        centre = to_pixel((0.0, 0.0))
        self.page.wheel(self.points, *centre, -5000)  # fifty notches up at once
        pts = self.saved()
        self.assertEqual(len(pts), 25)
        self.assertAlmostEqual(pts[12][2], 5.0, places=9)
        self.assertEqual([p[2] for i, p in enumerate(pts) if i != 12], [0.0] * 24)
        svg = self.svg()
        rings = svg_circles(svg, "weights")
        self.assertEqual(len(rings), 1)
        self.assertAlmostEqual(rings[0][0], 0.0, places=6)
        self.assertAlmostEqual(rings[0][1], 0.0, places=6)
        self.assertAlmostEqual(rings[0][2], 100.0 * math.sqrt(5.0), places=2)
        hidden, strong = run_oracle(["--weights"], "".join("%r %r %r\n" % p for p in pts),
                                    hidden=True)
        self.assertEqual(len(hidden), 8)
        dots = svg_circles(svg, "points")
        hollow = sorted(point_index(pts, d) for d in dots if d[3])
        self.assertEqual(hollow, sorted(hidden))
        edges = set(svg_edges(svg, "delaunay", pts))
        for e in strong:
            self.assertIn(e, edges)
        self.assertFalse(any(i in hidden or j in hidden for i, j in edges))
        # w hides the circles in the view and in the picture.
        self.key("w", "KeyW", "w")
        self.assertEqual(svg_circles(self.svg(), "weights"), [])

    def test_wheel_over_a_point_weights_it_and_the_page_stays(self):
        self.browser.evaluate("document.body.style.minHeight = '4000px'; window.scrollTo(0, 0); true")
        self.key("1", "Digit1", "1")  # a square and its centre (point 4)
        centre = to_pixel((0.0, 0.0))
        for notches, weight in ((-100, 0.1), (-300, 0.4), (100, 0.3)):
            self.page.wheel(self.points, *centre, notches)
            time.sleep(0.2)
            self.assertEqual(self.browser.evaluate("window.scrollY"), 0, "the page scrolled")
            pts = self.saved()
            self.assertAlmostEqual(pts[4][2], weight, places=9)
            self.assertEqual([p[2] for p in pts[:4]], [0.0] * 4)
        # A fine wheel adds up to a notch.
        for _ in range(4):
            self.page.wheel(self.points, *centre, -25)
        self.assertAlmostEqual(self.saved()[4][2], 0.4, places=9)
        # Away from the points the wheel scrolls the page and weights nothing.
        self.page.wheel(self.points, 60, 60, 300)
        self.assertTrue(self.browser.wait_for("window.scrollY > 0", 5), "the page did not scroll")
        self.browser.evaluate("window.scrollTo(0, 0); true")
        self.assertAlmostEqual(self.saved()[4][2], 0.4, places=9)

    def test_one_wheel_gesture_is_one_undo_step(self):
        self.key("1", "Digit1", "1")
        centre = to_pixel((0.0, 0.0))
        # Five notches as a wheel sends them, one event each, a moment apart.
        for _ in range(5):
            self.page.wheel(self.points, *centre, -100)
            time.sleep(0.05)
        self.assertAlmostEqual(self.saved()[4][2], 0.5, places=9)
        self.key("z", "KeyZ", "z")
        self.assertEqual([p[2] for p in self.saved()], [0.0] * 5)
        self.key("y", "KeyY", "y")
        self.assertAlmostEqual(self.saved()[4][2], 0.5, places=9)

    def test_quit_is_not_on_the_labs_page(self):
        self.add_five()
        self.assertTrue(self.browser.evaluate(
            "document.getElementById('download-points').offsetParent === null"))
        panel = self.frame(self.panel)
        red = sum(1 for y in range(40, min(panel.h, 75)) for x in range(460, 535)
                  if near(panel.at(x, y), RED_EDGE, 60))
        self.assertEqual(red, 0, "Quit! is drawn on the lab's page")
        self.page.click(self.panel, *QUIT_BUTTON)
        time.sleep(0.2)
        self.assertFalse(self.browser.evaluate("window.zelmorEnded === true"))
        self.page.click(self.points, 200, 200, "right")
        self.assertEqual(len(self.points_now()), 6)

    def test_file_keys_say_what_the_page_does_instead(self):
        for key, button in (("L", "Load points"), ("S", "Save points")):
            self.key(key, "Key" + key, key)
            said = self.status()
            self.assertIn(button, said)
            self.assertNotIn("zelmor-lab FILE", said)

    def test_loader_names_the_users_file_and_says_every_failure(self):
        self.key("1", "Digit1", "1")
        square = self.points_now()
        folder = tempfile.mkdtemp(prefix="zelmor-lab-load-")
        try:
            bad = os.path.join(folder, "lesson 3.txt")
            with open(bad, "w") as f:
                f.write("0 0\nnot a point\n")
            self.load(bad)
            self.assertIn("lesson 3.txt", self.status())
            self.assertNotIn("zelmor-load", self.status())
            self.assertEqual(self.points_now(), square)

            good = os.path.join(folder, "three.txt")
            with open(good, "w") as f:
                f.write("0 0\n1 0\n0 1\n")
            self.load(good)
            self.assertEqual(self.status(), "loaded 3 points from three.txt")
            three = self.points_now()
            self.assertEqual(len(three), 3)

            # Too big to be a points file: refused before it is read, at
            # once, whether just over the bound or 2 GiB.
            for size, shown in ((1024 * 1024 + 1, "1.0 MiB"), (2 << 30, "2.0 GiB")):
                big = os.path.join(folder, "big.txt")
                with open(big, "wb") as f:
                    f.truncate(size)
                started = time.time()
                self.load(big)
                self.assertLess(time.time() - started, 5)
                self.assertEqual("big.txt: more than 1048576 bytes (%s); nothing loaded" % shown,
                                 self.status())
                self.assertEqual(self.points_now(), three)
                os.remove(big)

            # A file gone before the page reads it.
            gone = os.path.join(folder, "gone.txt")
            with open(gone, "w") as f:
                f.write("0 0\n")
            os.remove(gone)
            self.load(gone)
            self.assertIn("cannot read gone.txt", self.status())
            self.assertEqual(self.points_now(), three)
        finally:
            shutil.rmtree(folder, ignore_errors=True)


# --- reading the lab's SVG back


def svg_group(svg, name):
    start = svg.find('<g class="%s"' % name)
    return "" if start < 0 else svg[start:svg.find("</g>", start)]


def svg_numbers(element, *names):
    return [float(re.search(r' %s="([-0-9.]+)"' % n, element).group(1)) for n in names]


def svg_lines(svg, name):
    """The group's lines in plane units."""
    out = []
    for el in re.findall(r"<line [^>]*>", svg_group(svg, name)):
        x1, y1, x2, y2 = svg_numbers(el, "x1", "y1", "x2", "y2")
        out.append((x1 / 100 - 3, 3 - y1 / 100, x2 / 100 - 3, 3 - y2 / 100))
    return out


def svg_circles(svg, name):
    """The group's circles: (x, y) in plane units, r in pixels, hollow."""
    out = []
    for el in re.findall(r"<circle [^>]*>", svg_group(svg, name)):
        cx, cy, r = svg_numbers(el, "cx", "cy", "r")
        out.append((cx / 100 - 3, 3 - cy / 100, r, 'class="hidden"' in el))
    return out


def point_index(pts, q):
    found = [i for i, p in enumerate(pts) if abs(p[0] - q[0]) < 1e-4 and abs(p[1] - q[1]) < 1e-4]
    assert found, "no point at %s" % (q[:2],)
    return found[0]


def svg_edges(svg, name, pts):
    return [tuple(sorted((point_index(pts, l[:2]), point_index(pts, l[2:]))))
            for l in svg_lines(svg, name)]


def same_piece(a, b, tol=1e-4):
    return (all(abs(u - v) < tol for u, v in zip(a, b)) or
            all(abs(u - v) < tol for u, v in zip(a, (b[2], b[3], b[0], b[1]))))


def run_oracle(options, text, hidden=False):
    """The oracle tool's edges and Voronoi pieces (or hidden points and edges)."""
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        f.write(text)
    try:
        out = subprocess.run([ARGS.oracle_tool] + options + [f.name], check=True,
                             capture_output=True, text=True).stdout
    finally:
        os.remove(f.name)
    edges, pieces, hid = [], [], []
    for line in out.splitlines():
        w = line.split()
        if w[0] == "edge":
            edges.append((int(w[1]), int(w[2])))
        elif w[0] == "voronoi":
            pieces.append(tuple(float(v) for v in w[1:]))
        elif w[0] == "hidden":
            hid.append(int(w[1]))
    return (hid, edges) if hidden else (edges, pieces)


class NoWebGLTest(unittest.TestCase):
    def test_page_says_it_needs_webgl(self):
        server = Server(ARGS.site)
        browser = Browser(webgl=False)
        try:
            browser.navigate(server.url())
            self.assertTrue(browser.wait_for("window.zelmorNoWebGL === true", 30))
            message = browser.evaluate("document.getElementById('message').textContent")
            self.assertIn("WebGL", message)
            self.assertEqual(browser.evaluate(
                "getComputedStyle(document.getElementById('canvas')).display"), "none")
        finally:
            browser.close()
            server.close()


def main():
    def keep(args):
        global ARGS
        ARGS = args
    return run_tests("index.html", ("--reference-tool", "--oracle-tool", "--scenario", "--xvfb"), keep)


if __name__ == "__main__":
    sys.exit(main())
