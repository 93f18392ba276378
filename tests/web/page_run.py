#!/usr/bin/env python3
"""Runs the web build's page in headless Chromium and writes what it logs.

page_run.py SITE QUERY OUT [--timeout S] [--shots DIR]

Serves SITE on 127.0.0.1 (a free port), opens index.html?QUERY with a fresh
profile, and talks to the browser over its debugging pipe (no network): each
console message goes to OUT as one line, until the page logs TRACE-END or
the time runs out (exit status 3). Screenshots the page logs in pieces
("SHOT NAME K/N DATA") are put together as DIR/NAME. Prints the seconds from
navigation to the first "flip 1" line, and to the end.
"""
import base64
import functools
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(site):
    handler = functools.partial(Quiet, directory=site)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Pipe:
    """The browser's debugging protocol over --remote-debugging-pipe."""

    def __init__(self, write_fd, read_fd):
        self.out = os.fdopen(write_fd, "wb", buffering=0)
        self.inp = os.fdopen(read_fd, "rb", buffering=0)
        self.buffer = b""
        self.next_id = 0

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        self.out.write(json.dumps(message).encode() + b"\0")
        return self.next_id

    def read(self):
        while b"\0" not in self.buffer:
            chunk = self.inp.read(1 << 16)
            if not chunk:
                return None
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, session=None):
        wanted = self.send(method, params, session)
        while True:
            message = self.read()
            if message is None:
                raise RuntimeError("the browser went away during " + method)
            if message.get("id") == wanted:
                return message.get("result", {})


def main():
    args = sys.argv[1:]
    timeout, shots = 300.0, None
    if "--timeout" in args:
        i = args.index("--timeout")
        timeout = float(args[i + 1])
        del args[i:i + 2]
    if "--shots" in args:
        i = args.index("--shots")
        shots = args[i + 1]
        del args[i:i + 2]
    site, query, out_path = args
    server = serve(site)
    url = "http://127.0.0.1:%d/index.html?%s" % (server.server_address[1], query)
    profile = tempfile.mkdtemp(prefix="parvane-web-")
    to_browser_r, to_browser_w = os.pipe()
    from_browser_r, from_browser_w = os.pipe()

    def fds():
        os.dup2(to_browser_r, 3)
        os.dup2(from_browser_w, 4)

    command = ["chromium", "--headless=new", "--use-gl=angle", "--use-angle=swiftshader",
               "--enable-unsafe-swiftshader", "--disable-background-networking",
               "--disable-component-update", "--disable-sync", "--no-first-run",
               "--disable-quic", "--no-default-browser-check", "--mute-audio",
               "--user-data-dir=" + profile, "--remote-debugging-pipe",
               "--window-size=1024,768", "about:blank"]
    if os.geteuid() == 0:
        command.insert(1, "--no-sandbox")
    browser = subprocess.Popen(command, preexec_fn=fds, pass_fds=(3, 4),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(to_browser_r)
    os.close(from_browser_w)
    pipe = Pipe(to_browser_w, from_browser_r)
    status = 3
    pieces = {}
    try:
        targets = pipe.call("Target.getTargets")["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        session = pipe.call("Target.attachToTarget",
                            {"targetId": page["targetId"], "flatten": True})["sessionId"]
        pipe.call("Runtime.enable", session=session)
        pipe.call("Page.enable", session=session)
        start = time.monotonic()
        pipe.send("Page.navigate", {"url": url}, session)
        first_flip = None
        # The read blocks; a timer ends the browser if the page never finishes.
        killer = threading.Timer(timeout, browser.kill)
        killer.start()
        with open(out_path, "w", encoding="utf-8") as out:
            while True:
                message = pipe.read()
                if message is None:
                    break
                method = message.get("method")

                if method == "Runtime.exceptionThrown":
                    detail = message["params"]["exceptionDetails"]
                    out.write("EXCEPTION %s\n" % detail.get("exception", {}).get(
                        "description", detail.get("text")))
                    continue
                if method != "Runtime.consoleAPICalled":
                    continue
                text = " ".join(str(a.get("value", a.get("description", "")))
                                for a in message["params"]["args"])
                if text.startswith("SHOT "):
                    _, name, part, data = text.split(" ", 3)
                    k, n = (int(x) for x in part.split("/"))
                    pieces.setdefault(name, {})[k] = data
                    if shots and len(pieces[name]) == n:
                        data = "".join(pieces[name][i] for i in range(1, n + 1))
                        with open(os.path.join(shots, name), "wb") as f:
                            f.write(base64.b64decode(data))
                    continue
                out.write(text + "\n")
                if first_flip is None and text == "TRACE flip 1":
                    first_flip = time.monotonic() - start
                if text == "TRACE-END":
                    status = 0
                    break
        killer.cancel()
        if first_flip is not None:
            print("first frame after %.2f s" % first_flip)
        print("ran for %.2f s" % (time.monotonic() - start))
    finally:
        browser.kill()
        browser.wait()
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)
    return status


if __name__ == "__main__":
    sys.exit(main())
