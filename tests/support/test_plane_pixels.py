#!/usr/bin/env python3
"""The browser tests' plane_pixels.py against plane_pixels.h: the same
answers, to the last bit, for a sweep of plane coordinates and pixels.

    test_plane_pixels.py DUMP

DUMP is the plane_pixels_dump program (plane_pixels_dump.cpp)."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import plane_pixels as pp  # noqa: E402

DUMP = None


class AgreesWithTheHeader(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.lines = [line.split() for line in
                     subprocess.run([DUMP], check=True, capture_output=True, text=True).stdout.splitlines()]

    def test_where_a_plane_coordinate_is_drawn(self):
        rows = [w for w in self.lines if w[0] == "p"]
        self.assertEqual(641, len(rows))
        for _, p, at, column, row in rows:
            p = float(p)
            self.assertEqual(float(at), pp.pixel_of_plane(p), p)
            self.assertEqual(int(column), pp.pixel_of_plane_toward_zero(p), p)
            self.assertEqual(int(row), pp.image_row_of_plane_toward_zero(p), p)
            # Inside the view, measured down from the top edge, the row is
            # the same but on a row's boundary, where it is the one below.
            if 0 <= float(at) < pp.POINTS_VIEW_SIZE:
                from_top = pp.image_row_of_plane_from_top_toward_zero(p)
                boundary = float(at) == int(float(at))
                self.assertIn(from_top - int(row), (0, 1) if boundary else (0,), p)

    def test_what_a_pixel_reads_back_as(self):
        rows = [w for w in self.lines if w[0] == "n"]
        self.assertEqual(581, len(rows))
        for _, n, column, mouse_row, length in rows:
            n = int(n)
            self.assertEqual(float(column), pp.plane_of_pixel(n), n)
            self.assertEqual(float(mouse_row), pp.plane_of_mouse_row(n), n)
            self.assertEqual(float(length), pp.plane_length_of_pixels(n), n)


if __name__ == "__main__":
    DUMP = sys.argv.pop(1)
    unittest.main()
