"""Opens a page in Debian's Chromium, headless, at 1280 pixels, and reads it
as a publisher's browser shows it: driven through the DevTools protocol over
a pipe (--remote-debugging-pipe), with nothing but the standard library."""

import base64
import json
import os
import pathlib
import shutil
import tempfile

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--window-size=1280,1000", "--remote-debugging-pipe"]


class Page:
    """page = Page(path); page.evaluate(js); page.errors, page.requests;
    page.screenshot(); page.close()."""

    def __init__(self, path):
        self.profile = tempfile.mkdtemp(prefix="report-browser-")
        to_chrome, self.send_end = os.pipe()
        self.read_end, from_chrome = os.pipe()
        # Chromium reads the protocol from descriptor 3 and answers on 4.
        null = os.open(os.devnull, os.O_RDWR)
        self.chrome = os.posix_spawn(
            CHROMIUM, [CHROMIUM, *FLAGS, f"--user-data-dir={self.profile}"], os.environ,
            file_actions=[(os.POSIX_SPAWN_DUP2, null, 0), (os.POSIX_SPAWN_DUP2, null, 1),
                          (os.POSIX_SPAWN_DUP2, null, 2), (os.POSIX_SPAWN_DUP2, to_chrome, 3),
                          (os.POSIX_SPAWN_DUP2, from_chrome, 4)])
        for fd in (null, to_chrome, from_chrome):
            os.close(fd)
        self.reader = os.fdopen(self.read_end, "rb")
        self.next_id, self.session, self.errors, self.requests = 0, None, [], []
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.call("Target.attachToTarget", targetId=target,
                                 flatten=True)["sessionId"]
        for domain in ("Page", "Runtime", "Log", "Network"):
            self.call(f"{domain}.enable")
        self.call("Page.navigate", url=pathlib.Path(path).resolve().as_uri())
        self.wait_for("Page.loadEventFired")

    def _message(self):
        data = b""
        while not data.endswith(b"\0"):
            chunk = self.reader.read1(1 << 16)
            if not chunk:
                raise RuntimeError("Chromium went away")
            data += chunk
        return [json.loads(part) for part in data[:-1].split(b"\0")]

    def _note(self, message):
        method, params = message.get("method"), message.get("params", {})
        if method == "Runtime.exceptionThrown" or (
                method == "Runtime.consoleAPICalled" and params.get("type") == "error") or (
                method == "Log.entryAdded" and params["entry"]["level"] == "error"):
            self.errors.append(params)
        if method == "Network.requestWillBeSent":
            self.requests.append(params["request"]["url"])

    def call(self, method, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if self.session:
            message["sessionId"] = self.session
        os.write(self.send_end, json.dumps(message).encode() + b"\0")
        while True:
            for answer in self._message():
                self._note(answer)
                if answer.get("id") == self.next_id:
                    if "error" in answer:
                        raise RuntimeError(f"{method}: {answer['error']}")
                    return answer["result"]

    def wait_for(self, event):
        while True:
            for message in self._message():
                self._note(message)
                if message.get("method") == event:
                    return

    def evaluate(self, expression):
        return self.call("Runtime.evaluate", expression=expression,
                         returnByValue=True)["result"].get("value")

    def screenshot(self):
        return base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"])

    def close(self):
        os.kill(self.chrome, 9)
        os.waitpid(self.chrome, 0)
        self.reader.close()
        os.close(self.send_end)
        shutil.rmtree(self.profile, ignore_errors=True)
