"""Drives a ZELMOR web page in headless Chromium: serves the built folder on
127.0.0.1, opens the page, clicks real mouse events into the program's
windows and reads their pixels back."""
import base64
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

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

    def pixels(self, win):
        """(w, h, bytes RGBA rows from the top) of the window's visible part."""
        x, y, w, h = self.rect(win)
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
