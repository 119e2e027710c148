#!/usr/bin/env python3
"""Serves a built web folder on 127.0.0.1 only.

    serve.py FOLDER [PORT]

Takes PORT (default 8000) or, when that is taken, the first free port above
it, and prints the page's address.  The browser tests use Server with port 0
(any free port)."""
import functools
import http.server
import sys
import threading


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript"})

    def log_message(self, *args):
        pass


class Server:
    """FOLDER over HTTP on 127.0.0.1 in a background thread."""

    def __init__(self, folder, port=0, tries=1):
        handler = functools.partial(QuietHandler, directory=folder)
        for p in range(port, port + tries):
            try:
                self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", p), handler)
                break
            except OSError:
                if p == port + tries - 1:
                    raise
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def url(self, page="index.html"):
        return "http://127.0.0.1:%d/%s" % (self.port, page)

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: serve.py FOLDER [PORT]")
    server = Server(sys.argv[1], int(sys.argv[2]) if len(sys.argv) == 3 else 8000, tries=100)
    print("ZELMOR is served at http://127.0.0.1:%d/ (Ctrl-C stops it)" % server.port, flush=True)
    try:
        server.thread.join()
    except KeyboardInterrupt:
        server.close()


if __name__ == "__main__":
    main()
