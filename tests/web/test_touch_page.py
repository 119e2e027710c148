#!/usr/bin/env python3
"""Both pages by fingers and on other screens, in headless Chromium over the
DevTools protocol: real touch sequences (Input.dispatchTouchEvent) that tap
a point in, drag it, long-press it (the lab's menu then weights and deletes
it), turn the 3D view with one finger and pinch it and the lab's plane
closer; the wheel over the 3D view; and the page at 800 x 600 and
1920 x 1080, device pixel ratio 1 and 2 (Emulation.setDeviceMetricsOverride):
a backing store of device pixels, no sideways scroll, the panel and status
line in sight, and the screen showing the program's own pixels, drawn at
twice the resolution rather than doubled.

    test_touch_page.py --site DIR [unittest arguments]
"""
import math
import os
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "support"))

import images  # noqa: E402
from zelmor_page import LabPageCase, Page, Server, press_key, run_tests  # noqa: E402
from plane_pixels import plane_of_mouse_row, plane_of_pixel  # noqa: E402

LONG_PRESS_S = 0.8  # the page's long press is 0.5 s


def magenta(c):  # the selected point
    return c[0] > 200 and c[1] < 90 and c[2] > 200


def param(fragment, name):
    """The value of name=... in an address fragment."""
    for part in fragment.split("&"):
        if part.startswith(name + "="):
            return part[len(name) + 1:]
    return None


SHARED = {}  # one browser and one server for the file


def setUpModule():
    from cdp import Browser
    SHARED["server"] = Server(LabPageCase.site)
    SHARED["browser"] = Browser()
    SHARED["tab"] = None


def tearDownModule():
    SHARED["browser"].close()
    SHARED["server"].close()


class TouchCase(unittest.TestCase):
    """Each test opens its page in a tab of its own."""

    def setUp(self):
        self.browser = SHARED["browser"]
        self.server = SHARED["server"]

    def fresh_tab(self):
        """A new tab for the test, the last one closed: after a touch
        sequence of two fingers on these pages, headless Chromium's touch
        emulation delivers no more touches to that tab's later pages."""
        b = self.browser
        old = SHARED["tab"]
        b.session = None
        SHARED["tab"] = b.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        b.session = b.call("Target.attachToTarget", {"targetId": SHARED["tab"], "flatten": True})["sessionId"]
        b.call("Page.enable")
        b.call("Runtime.enable")
        if old is not None:
            b.call("Target.closeTarget", {"targetId": old})

    def open(self, page, width=1300, height=900, ratio=1):
        self.fresh_tab()
        self.browser.call("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": ratio, "mobile": False})
        self.page = Page(self.browser, self.server.url(page))
        self.assertTrue(self.browser.evaluate("window.zelmorReady === true"), "no WebGL")
        self.view3d = self.page.window_id("3D Projection")
        self.points = self.page.window_id("2D Points", 1)

    def fragment(self):
        return self.browser.evaluate(
            "Module.UTF8ToString((Module._zl_fragment || Module._zw_fragment)())")

    def points_now(self):
        text = self.browser.evaluate("window.zelmorPointsText()") or ""
        return [tuple(float(v) for v in line.split()[:2]) for line in text.splitlines() if line.strip()]

    # Touch sequences: each finger a list of window pixels, all fingers moving
    # in step, as the protocol sends them.
    def touch(self, win, *fingers, hold=0.0):
        paths = [[self.page._at(win, x, y) for x, y in f] for f in fingers]

        def send(kind, k):
            pts = [] if kind == "touchEnd" else [
                {"x": p[min(k, len(p) - 1)][0], "y": p[min(k, len(p) - 1)][1], "id": i}
                for i, p in enumerate(paths)]
            self.browser.call("Input.dispatchTouchEvent", {"type": kind, "touchPoints": pts})

        send("touchStart", 0)
        if hold:
            time.sleep(hold)
        last = max(len(p) for p in paths)
        for k in range(1, last):
            send("touchMove", k)
        # The fingers lift one by one (the protocol lifts those a touch
        # event no longer lists), the first last.
        while len(paths) > 1:
            paths.pop()
            send("touchMove", last)
        send("touchEnd", 0)
        self.page.settle()

    def tap(self, win, x, y):
        self.touch(win, [(x, y)])

    def magenta_near(self, win, x, y, r=8):
        self.page.settle()
        w, h, data = self.page.pixels(win)
        return sum(1 for yy in range(max(0, y - r), min(h, y + r)) for xx in range(max(0, x - r), min(w, x + r))
                   if magenta(data[(yy * w + xx) * 4:(yy * w + xx) * 4 + 3]))

    def assert_at(self, point, pixel):
        size = self.page.rect(self.points)[2] + 1  # the view's last column lies under its border
        self.assertAlmostEqual(point[0], plane_of_pixel(pixel[0], size), delta=0.02)
        self.assertAlmostEqual(point[1], plane_of_mouse_row(pixel[1], size), delta=0.02)


class FingersTest(TouchCase):
    def test_front_page_tap_drag_long_press(self):
        self.open("index.html")
        # A tap on the empty plane adds a point there, and only that.
        self.tap(self.points, 150, 200)
        self.tap(self.points, 400, 300)
        pts = self.points_now()
        self.assertEqual(len(pts), 2)
        self.assert_at(pts[0], (150, 200))
        # A finger on a point drags it; nothing is added.
        self.touch(self.points, [(150, 200), (160, 205), (200, 230), (250, 260)])
        pts = self.points_now()
        self.assertEqual(len(pts), 2)
        self.assert_at(pts[0], (250, 260))
        self.assert_at(pts[1], (400, 300))
        # A long press on the other point selects it, and moves nothing.
        self.assertEqual(self.magenta_near(self.points, 400, 300), 0)
        self.touch(self.points, [(400, 300)], hold=LONG_PRESS_S)
        self.assertGreater(self.magenta_near(self.points, 400, 300), 0)
        self.assertEqual(self.magenta_near(self.points, 250, 260), 0)
        self.assertEqual(self.points_now(), pts)

    def test_front_page_turn_and_pinch(self):
        self.open("index.html")
        for x, y in ((150, 200), (400, 300), (300, 100), (200, 420), (450, 450)):
            self.tap(self.points, x, y)
        before = self.fragment()
        # One finger turns the 3D view.
        self.touch(self.view3d, [(270, 270), (280, 270), (300, 275), (330, 280)])
        turned = self.fragment()
        self.assertNotEqual(param(turned, "view.rot"), param(before, "view.rot"))
        self.assertEqual(len(self.points_now()), 5)
        # Two fingers 1.6 times as far apart zoom it a step closer (the
        # panel's " +": 1.5 x), together again a step back.
        self.assertEqual(float(param(turned, "panel.zoom")), 1.5)
        self.touch(self.view3d, [(220, 270), (210, 270), (200, 270), (190, 270)],
                   [(320, 270), (330, 270), (340, 270), (350, 270)])
        self.assertAlmostEqual(float(param(self.fragment(), "panel.zoom")), 2.25, places=5)
        self.touch(self.view3d, [(190, 270), (200, 270), (210, 270), (220, 270)],
                   [(350, 270), (340, 270), (330, 270), (320, 270)])
        self.assertAlmostEqual(float(param(self.fragment(), "panel.zoom")), 1.5, places=5)
        self.assertEqual(param(self.fragment(), "view.rot"), param(turned, "view.rot"))
        self.assertEqual(len(self.points_now()), 5)

    def test_lab_page_long_press_menu_and_pinch(self):
        self.open("lab.html")
        self.tap(self.points, 270, 270)
        self.assertEqual(len(self.points_now()), 1)
        self.assertEqual(param(self.fragment(), "layers.selected"), "-1")
        self.touch(self.points, [(270, 270)], hold=LONG_PRESS_S)
        self.assertEqual(param(self.fragment(), "layers.selected"), "0")
        menu = self.browser.evaluate("""(() => { const m = document.getElementById('touch-menu');
          return [m.className, Array.from(m.querySelectorAll('button')).map(b => {
            const r = b.getBoundingClientRect(); return [b.textContent, r.width, r.height]; })]; })()""")
        self.assertEqual(menu[0], "shown")
        self.assertEqual([m[0] for m in menu[1]], ["delete the point", "weight + 0.1", "weight \u2212 0.1"])
        for _, w, h in menu[1]:
            self.assertGreaterEqual(min(w, h), 44)

        def press_menu(text):
            x, y = self.browser.evaluate("""(() => { const b = Array.from(document.querySelectorAll(
              '#touch-menu button')).find(b => b.textContent === %r); const r = b.getBoundingClientRect();
              return [r.left + r.width / 2, r.top + r.height / 2]; })()""" % text)
            for kind in ("touchStart", "touchEnd"):
                self.browser.call("Input.dispatchTouchEvent", {
                    "type": kind, "touchPoints": [] if kind == "touchEnd" else [{"x": x, "y": y, "id": 0}]})
            self.page.settle()

        press_menu("weight + 0.1")
        press_menu("weight + 0.1")
        press_menu("weight \u2212 0.1")
        self.assertAlmostEqual(float(param(self.fragment(), "p").split(",")[2]), 0.1, places=9)
        press_menu("delete the point")
        self.assertEqual(self.points_now(), [])
        self.assertEqual(self.browser.evaluate("document.getElementById('touch-menu').className"), "")
        # Two fingers apart over the plane zoom it about their middle, as
        # Ctrl and the wheel do: 1.6 x apart, two steps of 1.25.
        self.touch(self.points, [(220, 270), (210, 270), (200, 270), (190, 270)],
                   [(320, 270), (330, 270), (340, 270), (350, 270)])
        self.assertAlmostEqual(float(param(self.fragment(), "plane.zoom")), 1.5625, places=9)
        self.assertEqual(self.points_now(), [])

    def test_a_finger_beside_a_small_panel_control_works_it(self):
        # At ratio 2, as on a tablet: the panel's check boxes are 23 layout
        # pixels tall and the knob 17 wide, smaller than a fingertip.
        self.open("index.html", 1300, 900, 2)
        panel = self.page.window_id("2D Points", 0)
        scale = self.browser.evaluate("Module._zw_draw_scale()")
        height = round(615 * scale)

        def at(lx, ly):  # a layout pixel of the panel (from its bottom) as a window pixel
            return math.ceil(lx * scale), height - 1 - math.ceil(ly * scale)

        # 8 layout pixels under "Show Grid" (its box spans rows 588 to 610):
        # the mouse keeps the box's own size and misses it; a finger ticks it.
        self.page.click(panel, *at(420, 580))
        self.assertEqual(param(self.fragment(), "panel.grid"), "0")
        self.tap(panel, *at(420, 580))
        self.assertEqual(param(self.fragment(), "panel.grid"), "1")
        # 20 layout pixels right of the weight's knob (at 105 for weight 1;
        # it grabs within 8): a finger takes the knob and it follows the
        # finger pixel by pixel, 40 pixels right: 4 units of the 13 over
        # the track's 130 pixels.
        self.assertEqual(float(param(self.fragment(), "panel.weight")), 1.0)
        self.touch(panel, [at(125, 586), at(135, 586), at(150, 586), at(165, 586)])
        self.assertAlmostEqual(float(param(self.fragment(), "panel.weight")), 5.0, places=5)
        self.assertEqual(self.points_now(), [])

    def test_wheel_over_the_3d_view_zooms_it(self):
        self.open("index.html")
        self.browser.evaluate("document.body.style.minHeight = '4000px'; window.scrollTo(0, 0); true")
        x, y = self.page._at(self.view3d, 270, 270)
        self.browser.mouse("mouseMoved", x, y)
        for dy, zoom in ((-100, 2.25), (-100, 3.375), (100, 2.25)):
            self.browser.call("Input.dispatchMouseEvent", {
                "type": "mouseWheel", "x": x, "y": y, "deltaX": 0, "deltaY": dy})
            self.page.settle()
            self.assertAlmostEqual(float(param(self.fragment(), "panel.zoom")), zoom, places=5)
        # The page itself did not scroll.
        self.assertEqual(self.browser.evaluate("window.scrollY"), 0)


class ScreensTest(TouchCase):
    def check_screen(self, page, width, height, ratio):
        self.open(page, width, height, ratio)
        where = "%s at %d x %d, ratio %g" % (page, width, height, ratio)
        box = self.browser.evaluate("""(() => { const c = document.getElementById('canvas');
          const r = c.getBoundingClientRect();
          return [c.width, c.height, r.left, r.top, r.width, r.height, innerWidth, innerHeight,
                  document.documentElement.scrollWidth, Module._zw_draw_scale()]; })()""")
        cw, ch, left, top, w, h, inner_w, inner_h, scroll_w, scale = box
        # No sideways scroll; the whole picture, panel and status line with
        # it, above the fold.
        self.assertLessEqual(scroll_w, inner_w, where)
        self.assertLessEqual(top + h, inner_h, where)
        self.assertGreaterEqual(left, 0, where)
        # The backing store: never fewer pixels than the screen shows; as
        # many as it shows wherever the program can draw at that scale.
        self.assertGreaterEqual(cw + 1, w * ratio, where)
        if w * ratio >= cw / scale:
            self.assertAlmostEqual(cw, w * ratio, delta=1.5, msg=where)
            self.assertAlmostEqual(ch, h * ratio, delta=1.5, msg=where)
        return box

    def screen_pixels(self, x, y, w, h):
        """The screenshot of a CSS rectangle, in device pixels."""
        import base64
        shot = self.browser.call("Page.captureScreenshot", {
            "format": "png", "clip": {"x": x, "y": y, "width": w, "height": h, "scale": 1}})
        return images.read_png(base64.b64decode(shot["data"]))

    def test_layouts_at_800_and_1920_wide(self):
        for page in ("index.html", "lab.html"):
            for width, height in ((800, 600), (1920, 1080)):
                for ratio in (1, 2):
                    self.check_screen(page, width, height, ratio)

    def test_windows_too_low_for_the_picture_draw_what_they_show(self):
        # The height decides the picture's size here: the canvas holds as
        # many pixels as the screen shows of it (the lab's picture is taller
        # by its status band than the estimate the page starts from).
        for page in ("index.html", "lab.html"):
            for width, height, ratio in ((1280, 700, 2), (844, 390, 3)):
                with self.subTest(page=page, width=width, height=height, ratio=ratio):
                    self.check_screen(page, width, height, ratio)

    def test_a_phone_held_upright_gets_the_views_one_under_the_other(self):
        self.open("index.html", 390, 844, 3)
        box = self.browser.evaluate("""(() => { const c = document.getElementById('canvas');
          const r = c.getBoundingClientRect();
          return [c.width, r.width, innerWidth, document.documentElement.scrollWidth]; })()""")
        cw, w, inner_w, scroll_w = box
        self.assertLessEqual(scroll_w, inner_w)
        self.assertAlmostEqual(cw, w * 3, delta=1.5)
        top = self.page.rect(self.page.window_id("2D Points"))
        view3d = self.page.rect(self.view3d)
        self.assertEqual(view3d[0], 0)
        self.assertGreaterEqual(view3d[1], top[1] + top[3])
        # Each view takes about the whole width: its text is drawn large
        # enough to read (the 2D view at least 300 CSS pixels wide).
        self.assertGreater(self.page.rect(self.points)[2] / 3, 300)
        # And a tap still adds a point where it lands.
        self.tap(self.points, 300, 300)
        self.assertEqual(len(self.points_now()), 1)
        self.assert_at(self.points_now()[0], (300, 300))
        # The picture fills the width: a finger drawn up the empty plane
        # scrolls the page down to the 3D view, and adds nothing.
        self.assertEqual(self.browser.evaluate("window.scrollY"), 0)
        self.touch(self.points, [(500, 900), (500, 860), (500, 700), (500, 500)])
        self.assertGreater(self.browser.evaluate("window.scrollY"), 100)
        self.assertEqual(len(self.points_now()), 1)

    def test_a_phone_turned_on_its_side_puts_the_views_side_by_side(self):
        self.open("index.html", 390, 844, 3)
        self.tap(self.points, 300, 300)
        lesson = self.points_now()

        def turn(width, height):
            canvas_w = self.browser.evaluate("Module._zw_canvas_width()")
            self.browser.call("Emulation.setDeviceMetricsOverride", {
                "width": width, "height": height, "deviceScaleFactor": 3, "mobile": False})
            self.browser.evaluate("window.dispatchEvent(new Event('resize')); true")
            # The program lays its windows out anew a moment after the
            # resize (side by side or stacked, the canvas's width changes).
            self.assertTrue(self.browser.wait_for("Module._zw_canvas_width() !== %d" % canvas_w, 10))
            self.page.settle()
            top = self.page.rect(self.page.window_id("2D Points"))
            view3d = self.page.rect(self.view3d)
            cw, w, inner_w, scroll_w = self.browser.evaluate("""(() => {
              const c = document.getElementById('canvas'), r = c.getBoundingClientRect();
              return [c.width, r.width, innerWidth, document.documentElement.scrollWidth]; })()""")
            self.assertLessEqual(scroll_w, inner_w)
            # As many pixels as the screen shows, on its side too (where
            # the picture is shown small to fit the height).
            self.assertAlmostEqual(cw, w * 3, delta=1.5)
            self.assertEqual(self.points_now(), lesson)
            return top, view3d

        top, view3d = turn(844, 390)
        self.assertEqual(view3d[1], 0, "the 3D view beside the 2D view")
        self.assertGreaterEqual(view3d[0], top[0] + top[2])
        top, view3d = turn(390, 844)
        self.assertEqual(view3d[0], 0, "the 3D view under the 2D view")
        self.assertGreaterEqual(view3d[1], top[1] + top[3])
        # A tap still lands where it is made.
        self.tap(self.points, 200, 400)
        self.assert_at(self.points_now()[-1], (200, 400))

    def test_a_zoom_after_the_start_draws_sharp_again_and_keeps_the_lesson(self):
        status = "document.getElementById('status').textContent"
        for page in ("index.html", "lab.html"):
            self.open(page, 1300, 900, 1)
            self.tap(self.points, 150, 200)
            self.tap(self.points, 400, 300)
            lesson = self.points_now()
            self.assertEqual(len(lesson), 2)
            # The browser zoomed to 200 %, then 150 %, then back: the program
            # draws again at the new ratio (every canvas pixel a device
            # pixel), the points and the lab's history as they were.  (The
            # protocol's change of ratio sends the page no event: the resize
            # a zoom brings is sent.)
            for ratio in (2, 1.5, 1):
                where = "%s at ratio %g" % (page, ratio)
                with self.subTest(page=page, ratio=ratio):
                    self.browser.call("Emulation.setDeviceMetricsOverride", {
                        "width": 1300, "height": 900, "deviceScaleFactor": ratio, "mobile": False})
                    self.browser.evaluate("window.dispatchEvent(new Event('resize')); true")
                    self.assertTrue(self.browser.wait_for(
                        "Math.abs(Module._zw_draw_scale() - %g) < 0.01" % ratio, 10), where)
                    self.page.settle()
                    cw, ch, w, h, scroll_w, inner_w = self.browser.evaluate("""(() => {
                      const c = document.getElementById('canvas'), r = c.getBoundingClientRect();
                      return [c.width, c.height, r.width, r.height,
                              document.documentElement.scrollWidth, innerWidth]; })()""")
                    self.assertAlmostEqual(cw, w * ratio, delta=1.5, msg=where)
                    self.assertAlmostEqual(ch, h * ratio, delta=1.5, msg=where)
                    self.assertLessEqual(scroll_w, inner_w, where)
                    self.assertEqual(self.browser.evaluate(status), "", where)
                    self.assertEqual(self.points_now(), lesson, where)
                    # The windows at their new sizes: the 2D view as many
                    # pixels wide as the scale says, and a tap lands where
                    # it is made.
                    self.assertAlmostEqual(self.page.rect(self.points)[2], 540 * ratio, delta=3, msg=where)
                    if page == "index.html":
                        self.tap(self.points, int(300 * ratio), int(120 * ratio))
                        self.assert_at(self.points_now()[-1], (int(300 * ratio), int(120 * ratio)))
                        lesson = self.points_now()
            if page == "lab.html":
                # The history from before the zooms: two undos empty the plane.
                for _ in range(2):
                    press_key(self.page, self.points, "z", "KeyZ", "z")
                self.assertEqual(self.points_now(), [])

    def test_ratio_2_shows_the_programs_own_pixels_drawn_finer(self):
        for width, height in ((1920, 1080), (800, 600)):
            box = self.check_screen("index.html", width, height, 2)
            panel = self.page.window_id("2D Points", 0)
            px, py, pw, ph = self.page.rect(panel)
            # The panel's left part: its labels and sliders.
            rw, rh = min(pw, 400), ph - 4
            w, h, drawn = self.page.pixels(panel)
            drawn = images.crop((w, h, images.rgb_of_rgba(drawn)), 0, 2, rw, rh)
            css = box[4] / box[0]  # CSS pixels a canvas pixel
            shown = self.screen_pixels(box[2] + px * css, box[3] + (py + 2) * css, rw * css, rh * css)
            # The screen shows the canvas pixel for pixel: nothing stretched
            # or blurred on the way.
            self.assertEqual(shown[:2], drawn[:2])
            count, _ = images.differing(shown, drawn, tol=8)
            self.assertLess(count, rw * rh // 200, "%d x %d: the screen resampled the picture" % (width, height))
            # And the program drew at the finer scale: a frame doubled from
            # one of half the size would have every 2 x 2 block one colour.
            rgb, mixed = drawn[2], 0
            for y in range(0, rh - 1, 2):
                for x in range(0, rw - 1, 2):
                    i, j = (y * rw + x) * 3, ((y + 1) * rw + x) * 3
                    if len({rgb[i:i + 3], rgb[i + 3:i + 6], rgb[j:j + 3], rgb[j + 3:j + 6]}) > 1:
                        mixed += 1
            self.assertGreater(mixed, rw * rh // 4 // 50, "%d x %d: no finer detail" % (width, height))


if __name__ == "__main__":
    sys.exit(run_tests("lab.html"))
