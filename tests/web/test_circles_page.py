#!/usr/bin/env python3
"""Circles to hold, the flip, weights by hand, zoom and snap on the lab's page, in
headless Chromium with real mouse and key events over the DevTools protocol:
a circle held by a click stays in both views through a real drag of the 3D
view; the toolbar's flip button shows the triangle that is not Delaunay and
flips back; Shift and a drag set a point's weight, and one undo takes the
whole drag back; the zoom buttons zoom about where the pointer was and
the snap and the zoom place points in whole hundredths.  Checked by the
status line, the points file and the views' pixels.

    test_circles_page.py --site DIR [unittest arguments]
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from zelmor_page import LabPageCase, run_tests  # noqa: E402
from plane_pixels import (image_row_of_plane_from_top_toward_zero,  # noqa: E402
                          pixel_of_plane_toward_zero, plane_length_of_pixels)

SHIFT = 8  # the protocol's modifier bit


def near(c, rgb, tol=14):
    return all(abs(c[i] - rgb[i]) <= tol for i in range(3))


def teal(c):  # the first held circle's colour
    return near(c, (0, 153, 153))


def magenta(c):  # the triangle that is not Delaunay
    return near(c, (204, 0, 128))


def weight_orange(c):  # a weight circle
    return near(c, (217, 115, 0), 20)


def px(x):
    """Plane x -> pixel of the 541 x 541 view, from the left."""
    return pixel_of_plane_toward_zero(x)


def py(y):
    """Plane y -> pixel row from the top."""
    return image_row_of_plane_from_top_toward_zero(y)


class CirclesPageTest(LabPageCase):
    key_at = (500, 500)

    def shift_mouse(self, kind, x, y, buttons):
        px_, py_ = self.page._at(self.points, x, y)
        self.browser.call("Input.dispatchMouseEvent", {
            "type": kind, "x": px_, "y": py_, "button": "left" if kind != "mouseMoved" else "left",
            "buttons": buttons, "clickCount": 1 if kind != "mouseMoved" else 0, "modifiers": SHIFT})

    def test_a_held_circle_stays_through_a_drag_of_the_3d_view(self):
        self.key("9", "Digit9", "9")  # the README's twelve points
        self.button("empty circle on / off")
        self.page.click(self.points, px(0.13), py(-0.23))  # inside triangle 5 6 7
        self.assertIn("holding the circle of 5, 6, 7", self.status())
        self.button("empty circle on / off")  # the pointer's circle off; the held one stays
        self.assertGreater(self.count(self.points, teal), 400)
        before = self.count(self.view3d, teal)
        self.assertGreater(before, 100)
        frame = self.page.pixels(self.view3d)[2]
        self.page.press(self.view3d, 100, 300)
        for k in range(1, 9):
            self.page.drag_to(self.view3d, 100 + 20 * k, 300 - 8 * k)
            self.page.settle()
        self.page.release(self.view3d, 260, 236)
        self.page.settle()
        self.assertNotEqual(frame, self.page.pixels(self.view3d)[2], "the 3D view did not turn")
        self.assertGreater(self.count(self.view3d, teal), 100, "the held circle left the 3D view")
        self.assertGreater(self.count(self.points, teal), 400)
        self.button("let go of the circles held")
        self.assertEqual(0, self.count(self.points, teal))
        self.assertEqual(0, self.count(self.view3d, teal))

    def test_the_flip_button_shows_the_counter_example_and_flips_back(self):
        self.key("9", "Digit9", "9")
        self.assertEqual(0, self.count(self.points, magenta))
        # The pointer beside the edge 6-7, then the toolbar's button (the
        # pointer has left the plane by then: the lab keeps where it was).
        self.page.drag_to(self.points, px(0.15), py(-0.40), button=None)
        self.button("flip the edge under the pointer")
        self.assertIn("point 6 lies inside this circle: below this plane (6-7 flipped to 5-11)",
                      self.status())
        self.assertGreater(self.count(self.points, magenta), 300)
        self.assertGreater(self.count(self.view3d, magenta), 200)
        self.button("smallest angle on / off")
        self.assertIn("after the flip", self.status())
        self.assertIn("(worse)", self.status())
        self.button("flip the edge under the pointer")
        self.assertIn("flipped back", self.status())
        self.assertEqual(0, self.count(self.points, magenta))
        self.assertEqual(0, self.count(self.view3d, magenta))

    def test_a_shift_drag_sets_a_weight_and_one_undo_takes_it_back(self):
        self.key("9", "Digit9", "9")
        self.assertEqual(0, self.count(self.points, weight_orange))
        # Point 5 at (0.1, 0.2), dragged with Shift up to (0.1, 1.0).
        self.shift_mouse("mouseMoved", px(0.1), py(0.2), 0)
        self.shift_mouse("mousePressed", px(0.1), py(0.2), 1)
        for y in (0.4, 0.6, 0.8, 1.0):
            self.shift_mouse("mouseMoved", px(0.1), py(y), 1)
            self.page.settle()
        self.assertIn("point 5: weight 0.6", self.status())  # live, before the release
        self.shift_mouse("mouseReleased", px(0.1), py(1.0), 0)
        self.page.settle()
        self.assertIn("z undoes the drag", self.status())
        self.assertGreater(self.count(self.points, weight_orange), 200)
        self.key("z", "KeyZ", "z")
        self.assertEqual(0, self.count(self.points, weight_orange), self.status())
        self.key("y", "KeyY", "y")
        self.assertGreater(self.count(self.points, weight_orange), 200, self.status())

    def point_list(self):
        text = self.browser.evaluate(
            "(() => { try { return Module.FS.readFile('.ZELMOR', {encoding: 'utf8'}); }"
            " catch (e) { return ''; } })()")
        return [tuple(float(v) for v in line.split()[:2]) for line in text.splitlines() if line.strip()]

    def test_the_zoom_buttons_and_the_snap_place_points_in_whole_hundredths(self):
        self.key("5", "Digit5", "5")  # the cluster within 0.1 around (1, 0.54)
        self.assertEqual(8, len(self.point_list()))
        marker = lambda c: near(c, (36, 36, 143), 20)  # noqa: E731
        blob = self.count(self.points, marker)
        # The pointer over the cluster, then the toolbar's zoom button three
        # times: the view zooms about where the pointer was.
        self.page.drag_to(self.points, px(1.0), py(0.54), button=None)
        for _ in range(3):
            self.button("zoom in about the pointer")
        self.assertIn("zoom 3.8x", self.status())
        # Eight markers of 8 x 8 pixels, no longer overlapping.
        self.assertGreater(self.count(self.points, marker), blob + 100)
        # The snap to 0.25, then a right click: the point lands on the grid.
        self.button("snap: off / 0.25 / 0.1 / 0.01")
        self.assertIn("snap to 0.25", self.status())
        self.page.click(self.points, px(1.0) + 120, py(0.54) - 100, "right")
        pts = self.point_list()
        self.assertEqual(9, len(pts), self.status())
        x, y = pts[8]
        self.assertEqual(0, round(x * 100) % 25, pts[8])
        self.assertEqual(0, round(y * 100) % 25, pts[8])
        self.assertIn("snap 0.25: point 8 added at", self.status())
        # Zoomed, the snap off: a right click lands in whole hundredths near
        # the pointer (a pixel is about a quarter of a hundredth here).
        for _ in range(3):
            self.button("snap: off / 0.25 / 0.1 / 0.01")
        self.assertIn("snap off", self.status())
        self.page.click(self.points, px(1.0) - 120, py(0.54) + 90, "right")
        pts = self.point_list()
        self.assertEqual(10, len(pts), self.status())
        x, y = pts[9]
        self.assertEqual(round(x * 100) / 100, x)
        self.assertEqual(round(y * 100) / 100, y)
        self.assertAlmostEqual(1.0 - plane_length_of_pixels(120) / 3.8147, x, delta=0.012)
        self.assertAlmostEqual(0.54 - plane_length_of_pixels(90) / 3.8147, y, delta=0.012)
        self.button("the whole square again")
        self.assertIn("the whole square", self.status())
        # Ctrl and the wheel over the plane (a touchpad's pinch comes so
        # too): two notches up zoom 1.25 x 1.25 about the pointer.
        x, y = self.page._at(self.points, px(1.0), py(0.54))
        for _ in range(2):
            self.browser.call("Input.dispatchMouseEvent", {
                "type": "mouseWheel", "x": x, "y": y, "deltaX": 0, "deltaY": -100, "modifiers": 2})
        self.page.settle()
        self.assertIn("zoom 1.6x", self.status())
        self.assertEqual(10, len(self.point_list()))  # no weight, no point changed


    def svg_circle(self, svg, group, after=0):
        """(cx, cy) of the first <circle> of a group of the page's SVG."""
        at = svg.index('<g class="%s"' % group)
        at = svg.index("<circle", at + after)
        cx = float(svg[svg.index('cx="', at) + 4:].split('"')[0])
        cy = float(svg[svg.index('cy="', at) + 4:].split('"')[0])
        return cx, cy

    def test_three_points_picked_weights_and_the_zoomed_snapping_svg(self):
        self.key("9", "Digit9", "9")
        # The pick button, then 6, 7 and 11 clicked: a Delaunay triangle.
        self.button("pick 3 points: circle, plane")
        self.assertIn("click three points", self.status())
        for x, y in ((-0.6, -0.4), (0.9, -0.5), (-0.2, -2.3)):
            self.page.click(self.points, px(x), py(y))
        self.assertEqual("the circle of 6, 7, 11 holds no point: a Delaunay triangle", self.status())
        ring = self.count(self.points, magenta)
        self.assertGreater(ring, 300)
        # Point 5 weighted about 2 by a Shift drag: its power to that circle
        # turns negative, and it is ringed (more magenta) in the SVG too.
        self.shift_mouse("mouseMoved", px(0.1), py(0.2), 0)
        self.shift_mouse("mousePressed", px(0.1), py(0.2), 1)
        for y in (0.6, 1.0, 1.4, 1.6):
            self.shift_mouse("mouseMoved", px(0.1), py(y), 1)
            self.page.settle()
        self.shift_mouse("mouseReleased", px(0.1), py(1.6), 0)
        self.page.settle()
        self.assertGreater(self.count(self.points, magenta), ring + 20, self.status())
        svg = self.browser.evaluate("window.zelmorSvgText()")
        inside = svg.index('class="inside"', svg.index('<g class="picked-triangle"'))
        cx, cy = self.svg_circle(svg, "picked-triangle", inside - svg.index('<g class="picked-triangle"'))
        self.assertEqual((310.0, 280.0), (cx, cy))  # point 5 at (0.1, 0.2), 100 pixels a unit
        # No smallest angle with weights, and the status line says why.
        self.button("smallest angle on / off")
        self.assertIn("no smallest angle with weights: a regular triangulation does not maximise",
                      self.status())
        self.button("smallest angle on / off")
        # Zoomed twice about (-1, 0) and the snap to 0.25: the SVG shows the
        # part of the square the status line names and the snap's cross.
        self.page.drag_to(self.points, px(-1.0), py(0.0), button=None)
        self.button("zoom in about the pointer")
        self.button("zoom in about the pointer")
        words = self.status().split()
        self.assertEqual("zoom", words[0], self.status())
        scale = float(words[1].rstrip("x:"))
        x0, x1 = float(words[3]), float(words[5].rstrip(","))
        y0, y1 = float(words[7]), float(words[9])
        self.button("snap: off / 0.25 / 0.1 / 0.01")
        self.page.drag_to(self.points, px(-0.4), py(-0.2), button=None)
        svg = self.browser.evaluate("window.zelmorSvgText()")
        cx, cy = self.svg_circle(svg, "points", 0)  # point 0 at (-2, -1.5)
        per_unit = 600 / (x1 - x0)
        self.assertAlmostEqual(per_unit, 100 * scale, delta=5)
        self.assertAlmostEqual(300 + (-2.0 - (x0 + x1) / 2) * per_unit, cx, delta=2)
        self.assertAlmostEqual(300 - (-1.5 - (y0 + y1) / 2) * per_unit, cy, delta=2)
        self.assertIn('<g class="snap"', svg)
        self.assertRegex(svg, r">\(-?\d\.\d\d, -?\d\.\d\d\)</text>")


if __name__ == "__main__":
    sys.exit(run_tests("lab.html"))
