"""Where the 2D points view draws a plane point, and which plane point a
pixel stands for: the browser tests' side of tests/support/plane_pixels.h,
with the same names and the same arithmetic.

The view shows the square [-3, 3] x [-3, 3] on its 541 x 541 pixels: plane
coordinate p is drawn at 270.5 + p * 541 / 6 from the left (x) or from the
bottom (y); a click is read back as (pixel - 270) * 6 / 541.  The named
roundings are the header's: _toward_zero is Python's int(); image rows count
from the top of a picture (height - 1 - the row from the bottom)."""

POINTS_VIEW_SIZE = 541
PLANE_SIDE = 6.0


def pixel_of_plane(p, size=POINTS_VIEW_SIZE):
    """Where plane coordinate p is drawn, from the left or the bottom, in
    fractional pixels."""
    return size / 2 + p * size / PLANE_SIDE


def pixel_of_plane_toward_zero(p, size=POINTS_VIEW_SIZE):
    return int(pixel_of_plane(p, size))


def image_row_of_plane_toward_zero(y, height=POINTS_VIEW_SIZE):
    return height - 1 - pixel_of_plane_toward_zero(y)


def image_row_of_plane_from_top_toward_zero(y):
    """The image row of plane y measured down from the view's top edge
    (270.5 - y * 541 / 6), then truncated: inside the view, the row
    image_row_of_plane_toward_zero gives, except that a position exactly on a
    row boundary goes to the row below."""
    return int(POINTS_VIEW_SIZE / 2 - y * POINTS_VIEW_SIZE / PLANE_SIDE)


def plane_of_pixel(pixel, size=POINTS_VIEW_SIZE):
    """The plane coordinate the view makes of a whole pixel column (or row
    from the bottom)."""
    return (pixel - size // 2) * PLANE_SIDE / size


def plane_of_mouse_row(y_top, size=POINTS_VIEW_SIZE):
    """The plane coordinate the view makes of a pointer row counted from the
    top (the view reads size - y_top as the row from the bottom)."""
    return plane_of_pixel(size - y_top, size)


def plane_length_of_pixels(n):
    return n * PLANE_SIDE / POINTS_VIEW_SIZE
