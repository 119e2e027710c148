#!/usr/bin/env python3
"""Watch it grow on the lab's page, in headless Chromium with real key and
mouse events over the DevTools protocol: the row of buttons for the mode's
keys, the arrows, play on the page's own timer (glutTimerFunc), the flips,
and leaving the mode.  Checked by the status line and the views' pixels.

    test_grow_page.py --site DIR [unittest arguments]
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from zelmor_page import LabPageCase, run_tests  # noqa: E402



def gold(c):
    return c[0] > 230 and 180 < c[1] < 225 and c[2] < 40


def green(c):
    return c[0] < 90 and c[1] > 180 and 50 < c[2] < 110


def grey(c):
    return c[0] == c[1] == c[2] and 175 < c[0] < 195


class GrowPageTest(LabPageCase):
    button_row = "#grow"

    # --- the tests

    def test_the_row_has_a_button_for_every_key_of_the_mode(self):
        texts = self.browser.evaluate(
            "Array.from(document.querySelectorAll('#grow button')).map(b => b.textContent)")
        self.assertEqual(texts, [
            "grow on / off (g)", "|< first (Home)", "< back (Left)", "play / pause (Space)",
            "next > (Right)", "last >| (End)", "slower ([)", "faster (])", "hole / flips (i)",
            "index / random order (j)"])
        # None of them is in the general toolbar as well.
        general = self.browser.evaluate(
            "Array.from(document.querySelectorAll('#toolbar button')).map(b => b.title)")
        self.assertFalse([t for t in general if "grow" in t])

    def test_buttons_and_keys_step_play_and_leave(self):
        self.key("9", "Digit9", "9")  # the README's twelve points
        self.button("watch it grow: on / off")
        self.assertTrue(self.status().startswith("inserting point 0 of 12"), self.status())
        self.assertGreater(self.count(self.points, grey), 11 * 20, "the points still to come")
        # Three steps on: the first triangle, green.
        for _ in range(3):
            self.button("grow: next step")
        self.assertTrue(self.status().startswith("inserting point 2 of 12"), self.status())
        self.assertGreater(self.count(self.points, green), 1000)
        # The arrow key on to a point whose circles hold it: gold in both views.
        lit = False
        for _ in range(12):
            self.key("ArrowRight", "ArrowRight")
            if "hold it in" in self.status() or "holds it in" in self.status():
                lit = True
                break
        self.assertTrue(lit, self.status())
        self.assertGreater(self.count(self.points, gold), 1000)
        self.assertGreater(self.count(self.view3d, gold), 100)
        # Back with Left, then Home.
        before = self.status()
        self.key("ArrowLeft", "ArrowLeft")
        self.assertNotEqual(before, self.status())
        self.button("grow: first step")
        self.assertTrue(self.status().startswith("inserting point 0 of 12"), self.status())
        # Play at the fastest: the page's timer steps to the end alone.
        for _ in range(4):
            self.button("grow: play faster")
        self.button("grow: play / pause")
        # Generous: a loaded machine may run the browser's timers late.
        self.assertTrue(self.wait(lambda: "(last step)" in self.status(), 90), self.status())
        self.assertEqual(0, self.count(self.points, grey))
        self.assertGreater(self.count(self.points, green), 300)
        # The flips, by the key: a split, then flips one at a time.
        self.key("i", "KeyI", "i")
        self.button("grow: first step")
        flip = False
        for _ in range(60):
            self.button("grow: next step")
            if "flip 1 of" in self.status():
                flip = True
                break
        self.assertTrue(flip, self.status())
        self.assertIn("gives way to", self.status())
        self.assertGreater(self.count(self.points, green), 100)
        # Out of the mode: the lab's own picture.
        self.key("g", "KeyG", "g")
        self.assertEqual(0, self.count(self.points, gold) + self.count(self.points, green))
        self.assertEqual(0, self.count(self.points, grey))

    def test_pause_stops_the_timer(self):
        self.key("9", "Digit9", "9")
        self.key("g", "KeyG", "g")
        self.key(" ", "Space", " ")  # play at the start speed: 0.7 s a stage
        self.assertTrue(self.wait(lambda: not self.status().startswith("inserting point 0 "), 5), self.status())
        self.key(" ", "Space", " ")
        self.assertIn("(paused)", self.status())
        paused = self.status()
        time.sleep(1.6)
        self.page.settle()
        self.assertEqual(paused, self.status(), "a stage went by after the pause")



if __name__ == "__main__":
    sys.exit(run_tests("lab.html"))
