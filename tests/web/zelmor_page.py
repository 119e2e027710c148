"""Drives a ZELMOR web page in headless Chromium: serves the built folder on
127.0.0.1, opens the page, clicks real mouse events into the program's
windows and reads their pixels back."""
import argparse
import base64
import json
import os
import sys
import time
import unittest

# The site's own server, web/serve.py, and the tests' shared helpers in
# tests/support/ (plane_pixels.py: where the 2D view draws a plane point).
_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(_ROOT, "web"))
sys.path.insert(0, os.path.join(_ROOT, "tests", "support"))

from serve import Server  # noqa: E402,F401  (the tests serve the site with it)

BUTTONS = {"left": (0, 1), "middle": (1, 4), "right": (2, 2)}


class Page:
    """The running program in one browser page."""

    def __init__(self, browser, url, ready_timeout=30):
        self.b = browser
        self.b.navigate(url)
        ok = self.b.wait_for("window.zelmorReady === true || window.zelmorNoWebGL === true",
                             ready_timeout)
        if not ok:
            raise RuntimeError("the page did not start")
        self.settle()

    def settle(self):
        """Serves every pending reshape and redisplay now."""
        self.b.evaluate("for (let i = 0; i < 100 && Module._zw_run_pending(); ++i) {} true")

    def windows(self):
        """{id: (title, parent, x, y, w, h)} of the visible windows, canvas pixels."""
        return self.b.evaluate("""(() => {
          const out = {};
          const n = Module._zw_window_count();
          const r = Module._malloc(16);
          for (let id = 1; id <= n; ++id) {
            if (!Module._zw_window_rect(id, r)) continue;
            const v = Module.HEAP32.subarray(r >> 2, (r >> 2) + 4);
            out[id] = [Module.UTF8ToString(Module._zw_window_title(id)),
                       Module._zw_window_parent(id), v[0], v[1], v[2], v[3]];
          }
          Module._free(r);
          return out;
        })()""")

    def window_id(self, title, child=None):
        """A top-level window by title, or its child-th subwindow (0 first)."""
        wins = {int(k): v for k, v in self.windows().items()}
        top = [i for i, v in sorted(wins.items()) if v[0] == title and v[1] == 0][0]
        if child is None:
            return top
        return [i for i, v in sorted(wins.items()) if v[1] == top][child]

    def rect(self, win):
        return self.windows()[str(win)][2:]

    def page_point(self, cx, cy):
        """Canvas pixel -> CSS pixel of the page (the centre of the pixel)."""
        box = self.b.evaluate("""(() => { const c = document.getElementById('canvas');
          const r = c.getBoundingClientRect();
          return [r.left, r.top, r.width / c.width, r.height / c.height]; })()""")
        return box[0] + (cx + 0.5) * box[2], box[1] + (cy + 0.5) * box[3]

    def _at(self, win, x, y):
        """Window pixel -> CSS pixel of the page, scrolled into view first (a
        real pointer cannot reach what lies outside the browser's window)."""
        r = self.rect(win)
        px, py = self.page_point(r[0] + x, r[1] + y)
        height = self.b.evaluate("window.innerHeight")
        if not 0 <= py < height:
            self.b.evaluate("window.scrollBy(0, %d); true" % int(py - height / 2))
            px, py = self.page_point(r[0] + x, r[1] + y)
        return px, py

    def press(self, win, x, y, button="left"):
        px, py = self._at(win, x, y)
        self.b.mouse("mouseMoved", px, py)
        self.b.mouse("mousePressed", px, py, button, BUTTONS[button][1])

    def release(self, win, x, y, button="left"):
        px, py = self._at(win, x, y)
        self.b.mouse("mouseReleased", px, py, button, 0)

    def drag_to(self, win, x, y, button="left"):
        """Moves the pointer with button held (None: with no button)."""
        px, py = self._at(win, x, y)
        if button is None:
            self.b.mouse("mouseMoved", px, py)
        else:
            self.b.mouse("mouseMoved", px, py, button, BUTTONS[button][1])

    def click(self, win, x, y, button="left"):
        self.press(win, x, y, button)
        self.release(win, x, y, button)
        self.settle()

    def wheel(self, win, x, y, dy):
        """The pointer to (x, y) of win, then one wheel event of dy (100 a
        notch, negative up)."""
        px, py = self._at(win, x, y)
        self.b.mouse("mouseMoved", px, py)
        self.b.call("Input.dispatchMouseEvent", {
            "type": "mouseWheel", "x": px, "y": py, "deltaX": 0, "deltaY": dy})
        self.settle()

    def pixels(self, win):
        """(w, h, bytes RGBA rows from the top) of the window's visible part."""
        return self.canvas_pixels(*self.rect(win))

    def canvas_pixels(self, x=0, y=0, w=None, h=None):
        """(w, h, bytes RGBA rows from the top) of a part of the canvas (y
        down); all of it by default."""
        if w is None:
            w, h = self.b.evaluate("[Module._zw_canvas_width(), Module._zw_canvas_height()]")
        data = self.b.evaluate("""(() => {
          const n = %d * %d * 4, p = Module._malloc(n);
          Module._zw_read_pixels(%d, %d, %d, %d, p);
          const bytes = Module.HEAPU8.subarray(p, p + n);
          let s = '';
          for (let i = 0; i < n; i += 32768)
            s += String.fromCharCode.apply(null, bytes.subarray(i, Math.min(n, i + 32768)));
          Module._free(p);
          return btoa(s);
        })()""" % (w, h, x, y, w, h))
        return w, h, base64.b64decode(data)


# ---------------------------------------------------------------------------
# What every browser test of the pages shares: real key presses and button
# clicks, the lab's page opened fresh for each test, and the command line.
# ---------------------------------------------------------------------------

def press_key(page, win, key, code, text="", at=(270, 270)):
    """A real key press and release, the pointer first moved over pixel `at`
    of window `win` (keys go to the window under the pointer)."""
    page.drag_to(win, at[0], at[1], button=None)
    for kind in ("keyDown", "keyUp"):
        page.b.call("Input.dispatchKeyEvent", {
            "type": kind, "key": key, "code": code, "text": text if kind == "keyDown" else "",
            "windowsVirtualKeyCode": ord(key.upper()) if len(key) == 1 else 0})
    page.settle()


def click_element(page, selector):
    """A real click on the page's element that selector names, scrolled into
    view first (as a user scrolls to a control below the fold)."""
    x, y = page.b.evaluate("""(() => {
      const e = document.querySelector(%s);
      e.scrollIntoView({block: 'center'});
      const r = e.getBoundingClientRect();
      return [r.left + r.width / 2, r.top + r.height / 2]; })()""" % json.dumps(selector))
    page.b.mouse("mouseMoved", x, y)
    page.b.mouse("mousePressed", x, y, "left", 1)
    page.b.mouse("mouseReleased", x, y, "left", 0)
    page.settle()


class LabPageCase(unittest.TestCase):
    """The lab's page, opened anew for every test; one browser and one server
    for the class.  `site` is set by run_tests; `key_at` is where the pointer
    rests in the 2D view while a key is pressed, `button_row` the element
    that holds the buttons button() clicks."""

    site = None
    key_at = (270, 270)
    button_row = "#toolbar"

    @classmethod
    def setUpClass(cls):
        from cdp import Browser
        cls.server = Server(cls.site)
        cls.browser = Browser()

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.server.close()

    def setUp(self):
        self.page = Page(self.browser, self.server.url("lab.html"))
        self.assertTrue(self.browser.evaluate("window.zelmorReady === true"), "no WebGL")
        self.view3d = self.page.window_id("3D Projection")
        self.points = self.page.window_id("2D Points", 1)

    def count(self, win, pred):
        self.page.settle()
        w, h, data = self.page.pixels(win)
        return sum(1 for i in range(0, len(data), 4) if pred(data[i:i + 3]))

    def status(self):
        return self.browser.evaluate("Module.UTF8ToString(Module._zl_status_text())")

    def key(self, key, code, text=""):
        """A real key press with the pointer over the 2D view."""
        press_key(self.page, self.points, key, code, text, self.key_at)

    def button(self, title):
        """A real click on the button of that title in the button row."""
        click_element(self.page, "%s button[title=%s]" % (self.button_row, json.dumps(title)))

    def wait(self, pred, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if pred():
                return True
            time.sleep(0.1)
        return pred()


def run_tests(page_file, extra_args=(), on_args=None):
    """The command line of a browser test file: --site DIR and the named extra
    arguments (all required; on_args receives them before the tests run), the
    rest for unittest.  Returns the exit status, 1 when chromium or the built
    page is missing."""
    from cdp import find_chromium
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", required=True)
    for name in extra_args:
        parser.add_argument(name, required=True)
    args, rest = parser.parse_known_args()
    LabPageCase.site = args.site
    if on_args is not None:
        on_args(args)
    if find_chromium() is None:
        print("chromium is not installed (scripts/deps.sh installs it)")
        return 1
    if not os.path.exists(os.path.join(args.site, page_file)):
        print("no web build in %s" % args.site)
        return 1
    prog = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2)
    return 0 if prog.result.wasSuccessful() else 1
