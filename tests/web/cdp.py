"""A small DevTools-protocol client: starts headless Chromium with
--remote-debugging-pipe and talks to it over the pipe (fd 3 carries our
commands, fd 4 its replies, each message JSON ended by a NUL byte).
Standard library only."""
import base64
import json
import os
import select
import shutil
import subprocess
import tempfile
import time


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class ProtocolError(RuntimeError):
    pass


class Browser:
    """One headless Chromium with one page attached."""

    def __init__(self, width=1300, height=900, webgl=True):
        self.profile = tempfile.mkdtemp(prefix="zelmor-chromium-")
        cmd_r, cmd_w = os.pipe()
        rep_r, rep_w = os.pipe()
        # Duplicate first: should a pipe end already be fd 3 or 4, dup2 onto
        # itself would leave its close-on-exec flag set.
        child_in, child_out = os.dup(cmd_r), os.dup(rep_w)

        def to_fd_3_and_4():
            os.dup2(child_in, 3)
            os.dup2(child_out, 4)

        args = [find_chromium(), "--headless", "--no-sandbox", "--remote-debugging-pipe",
                "--user-data-dir=" + self.profile, "--no-first-run", "--no-default-browser-check",
                "--disable-extensions", "--mute-audio", "--hide-scrollbars",
                "--force-device-scale-factor=1", "--window-size=%d,%d" % (width, height)]
        if webgl:
            args += ["--use-angle=swiftshader", "--enable-unsafe-swiftshader"]
        else:
            args += ["--disable-gpu", "--disable-webgl", "--disable-3d-apis"]
        self.proc = subprocess.Popen(args + ["about:blank"], preexec_fn=to_fd_3_and_4,
                                     close_fds=False, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for fd in (cmd_r, rep_w, child_in, child_out):
            os.close(fd)
        self.out, self.inp = cmd_w, rep_r
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.session = None
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = self.call("Target.attachToTarget",
                                 {"targetId": target, "flatten": True})["sessionId"]
        self.call("Page.enable")
        self.call("Runtime.enable")

    def _read_message(self, deadline):
        while b"\0" not in self.buffer:
            left = deadline - time.time()
            if left <= 0 or not select.select([self.inp], [], [], left)[0]:
                raise ProtocolError("no reply from Chromium in time")
            chunk = os.read(self.inp, 1 << 20)
            if not chunk:
                raise ProtocolError("Chromium closed the pipe")
            self.buffer += chunk
        msg, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(msg)

    def call(self, method, params=None, timeout=30):
        self.next_id += 1
        msg = {"id": self.next_id, "method": method, "params": params or {}}
        if self.session is not None and not method.startswith(("Target.", "Browser.")):
            msg["sessionId"] = self.session
        os.write(self.out, json.dumps(msg).encode() + b"\0")
        deadline = time.time() + timeout
        while True:
            reply = self._read_message(deadline)
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise ProtocolError("%s: %s" % (method, reply["error"]))
                return reply.get("result", {})
            self.events.append(reply)

    def evaluate(self, expression, timeout=30):
        result = self.call("Runtime.evaluate", {"expression": expression, "awaitPromise": True,
                                                "returnByValue": True}, timeout=timeout)
        if "exceptionDetails" in result:
            raise ProtocolError("page exception: %s" % json.dumps(result["exceptionDetails"])[:2000])
        return result["result"].get("value")

    def wait_for(self, expression, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.evaluate(expression):
                return True
            time.sleep(0.05)
        return False

    def navigate(self, url):
        self.call("Page.navigate", {"url": url})

    def mouse(self, kind, x, y, button="none", buttons=0):
        """kind: mousePressed, mouseReleased or mouseMoved; x, y in CSS pixels."""
        self.call("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": button,
                                               "buttons": buttons, "clickCount": 1
                                               if kind != "mouseMoved" else 0})

    def screenshot_png(self):
        return base64.b64decode(self.call("Page.captureScreenshot", {"format": "png"})["data"])

    def close(self):
        try:
            self.call("Browser.close", timeout=5)
        except (ProtocolError, OSError):
            pass
        try:
            self.proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        for fd in (self.out, self.inp):
            try:
                os.close(fd)
            except OSError:
                pass
        shutil.rmtree(self.profile, ignore_errors=True)
