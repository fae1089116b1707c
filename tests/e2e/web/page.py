"""The web page in a real Chromium (headless, SwiftShader), driven over the DevTools protocol on a pipe.

usage: page.py WEB_DIR FENLIGHT_SNAPSHOT [SCREENSHOT_DIR]
Serves WEB_DIR from 127.0.0.1, checks the page as a visitor meets it and prints what it measured.
"""
import functools
import gzip
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from base64 import b64decode

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from ppm import read_ppm  # noqa: E402

SIZE_LIMIT = 200 * 1024
SCENE = (960, 720)  # the part of the 1280 x 720 page left of the panel
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


class Browser:
    """One headless Chromium with a fresh profile; commands go to its one page."""

    def __init__(self, profile, *extra):
        to_chrome, self.commands = os.pipe()
        self.replies, from_chrome = os.pipe()
        flags = ["--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
                 "--no-first-run", "--no-default-browser-check", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--disable-quic", "--window-size=1280,720",
                 "--user-data-dir=" + profile, "--remote-debugging-pipe", *extra, "about:blank"]
        # The protocol runs over the browser's descriptors 3 (in) and 4 (out).
        self.process = subprocess.Popen(
            ["bash", "-c", f'exec "$@" 3<&{to_chrome} 4>&{from_chrome}', "chromium", "chromium"] + flags,
            pass_fds=(to_chrome, from_chrome), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_chrome)
        os.close(from_chrome)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.session = None
        targets = self.send("Target.getTargets")["targetInfos"]
        self.page = next(t["targetId"] for t in targets if t["type"] == "page")
        self.session = self.send("Target.attachToTarget", targetId=self.page, flatten=True)["sessionId"]
        for domain in ("Page", "Runtime", "Log"):
            self.send(domain + ".enable")

    def send(self, method, to_browser=False, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if self.session and not to_browser:
            message["sessionId"] = self.session
        os.write(self.commands, json.dumps(message).encode() + b"\0")
        while True:
            reply = self.read()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply["result"]
            self.events.append(reply)

    def read(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.replies, 1 << 16)
            if not chunk:
                raise RuntimeError("the browser went away")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def run(self, expression):
        result = self.send("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, seconds=20):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            value = self.run(expression)
            if value:
                return value
            time.sleep(0.1)
        return None

    def open(self, url, width=1280, height=720, ratio=1):
        self.send("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=ratio,
                  mobile=False)
        self.send("Page.navigate", url=url)
        return self.wait_for("document.readyState === 'complete' && document.documentElement.dataset.state")

    def errors(self):
        """Console errors, uncaught exceptions and failed loads since the last call."""
        found = []
        for e in self.events:
            p = e.get("params", {})
            if e.get("method") == "Runtime.exceptionThrown":
                found.append(p["exceptionDetails"].get("text"))
            elif e.get("method") == "Runtime.consoleAPICalled" and p.get("type") == "error":
                found.append(" ".join(str(a.get("value")) for a in p.get("args", [])))
            elif e.get("method") == "Log.entryAdded" and p["entry"]["level"] == "error":
                found.append(p["entry"]["text"])
        self.events = []
        return found

    def screenshot(self, width, height, keep=None, ratio=1):
        """The top-left width x height device pixels as (width, height, RGB bytes)."""
        shot = self.send("Page.captureScreenshot", format="png",
                         clip={"x": 0, "y": 0, "width": width / ratio, "height": height / ratio, "scale": 1})
        png = b64decode(shot["data"])
        if keep:
            with open(keep, "wb") as f:
                f.write(png)
        return decode_png(png)

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.send("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)

    def close(self):
        self.process.kill()
        self.process.wait()


def decode_png(data):
    ppm = subprocess.run(["convert", "png:-", "-alpha", "off", "ppm:-"], input=data, capture_output=True,
                         check=True).stdout
    return read_ppm(ppm)


def light(picture):
    """Bright pixel count and the mean red, green and blue of those pixels."""
    width, height, pixels = picture
    count, sums = 0, [0, 0, 0]
    for i in range(0, width * height * 3, 3):
        r, g, b = pixels[i], pixels[i + 1], pixels[i + 2]
        if r > 40 or g > 40 or b > 40:
            count += 1
            sums[0] += r
            sums[1] += g
            sums[2] += b
    return count, [s / max(count, 1) for s in sums]


def light_until(browser, good, seconds=20):
    """The scene's light once `good` holds for it, or as it is at the deadline."""
    deadline = time.monotonic() + seconds
    while True:
        measured = light(browser.screenshot(*SCENE))
        if good(*measured) or time.monotonic() >= deadline:
            return measured
        time.sleep(0.2)


def difference(a, b):
    """Largest mean absolute difference of a channel, and the share of pixels with a channel off by > 16."""
    pa, pb = a[2], b[2]
    pixels = a[0] * a[1]
    sums = [0, 0, 0]
    far = 0
    for i in range(0, pixels * 3, 3):
        d = [abs(pa[i + c] - pb[i + c]) for c in range(3)]
        for c in range(3):
            sums[c] += d[c]
        far += max(d) > 16
    return max(sums) / pixels, far / pixels


def still_matches_snapshot(browser, base, snapshot, work):
    cases = [  # (fragment, snapshot options, size, seed, seconds, device pixel ratio)
        ("direction=up&colors=amethyst&particles=120&size=35&speed=33",
         ["--direction", "0", "--colour", "3", "--particles", "120", "--size", "35"], 480, 270, 11, 12, 1),
        ("direction=in&colors=emerald&particles=40&size=80&speed=70",
         ["--direction", "2", "--colour", "0", "--particles", "40", "--size", "80", "--speed", "70"],
         320, 400, 5, 30, 2),
    ]
    for fragment, options, width, height, seed, seconds, ratio in cases:
        reference = os.path.join(work, f"snapshot-{seed}.png")
        subprocess.run([snapshot, "--out", reference, "--width", str(width), "--height", str(height),
                        "--seed", str(seed), "--seconds", str(seconds)] + options, check=True)
        state = browser.open(f"{base}/?still&seed={seed}&seconds={seconds}&width={width}&height={height}"
                             f"#{fragment}", width + 40, height + 40, ratio)
        page = browser.screenshot(width, height, ratio=ratio)
        with open(reference, "rb") as f:
            native = decode_png(f.read())
        mean, far = difference(page, native)
        print(f"     still {fragment} at {width}x{height}, pixel ratio {ratio}: "
              f"mean difference {mean:.2f}/255, "
              f"{100 * far:.2f} % of pixels off by more than 16")
        check(state == "still" and light(native)[0] > 100 and mean <= 2 and far <= 0.01,
              f"the still frame matches fenlight-snapshot ({fragment})")


def frame_time(browser, frames=60):
    """Milliseconds a frame takes, waited for to the end, against a frame that only clears."""
    return browser.run(f"""(() => {{
        const gl = document.getElementById('canvas').getContext('webgl'), pixel = new Uint8Array(4);
        const time = (draw) => {{
            const start = performance.now();
            for (let i = 0; i < {frames}; ++i) {{
                draw();
                gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
            }}
            return (performance.now() - start) / {frames};
        }};
        const empty = time(() => gl.clear(gl.COLOR_BUFFER_BIT));
        return [time(() => Module._fenlight_frame()), empty];
    }})()""")


def main():
    web, snapshot = sys.argv[1], sys.argv[2]
    keep = sys.argv[3] if len(sys.argv) > 3 else None
    if not os.path.exists(os.path.join(web, "fenlight.wasm")):
        print(f"no page in {web}: make web builds it")
        return 77
    files = sorted(os.listdir(web))
    raw = sum(os.path.getsize(os.path.join(web, f)) for f in files)
    packed = sum(len(gzip.compress(open(os.path.join(web, f), "rb").read(), 9)) for f in files)
    print(f"     bundle {files}: {raw} bytes, {packed} gzipped")
    check(files == ["fenlight.js", "fenlight.wasm", "index.html"] and raw < SIZE_LIMIT,
          "the page is index.html, one script and one .wasm, under 200 KB together")

    handler = functools.partial(QuietHandler, directory=web)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"http://127.0.0.1:{server.server_address[1]}"
    work = tempfile.mkdtemp()
    browser = Browser(os.path.join(work, "profile"))
    try:
        run_checks(browser, base, snapshot, work, keep)
    finally:
        browser.close()
    browser = Browser(os.path.join(work, "no-webgl"), "--disable-webgl")
    try:
        state = browser.open(base + "/")
        check(state == "failed" and "WebGL" in browser.run("document.getElementById('message').textContent"),
              "without WebGL the page says so")
    finally:
        browser.close()
        server.shutdown()
        shutil.rmtree(work, ignore_errors=True)
    print("web page checks passed" if not failures else f"{len(failures)} web page checks failed")
    return 1 if failures else 0


def choose(colours):
    """Script that picks the panel's colours, as a visitor does."""
    return (f"{{ const c = document.getElementById('colors'); c.value = '{colours}';"
            "c.dispatchEvent(new Event('change', {bubbles: true})); }")


def run_checks(browser, base, snapshot, work, keep):
    shot = (lambda name: os.path.join(keep, name)) if keep else (lambda name: None)
    state = browser.open(base + "/")
    browser.wait_for("Module.ccall !== undefined")
    count, _ = light_until(browser, lambda count, _: count > 500)
    browser.screenshot(1280, 720, shot("web-page.png"))
    errors = browser.errors()
    check(state == "running" and count > 500 and not errors, f"the page loads and shows lights {errors}")
    ms, empty = frame_time(browser)
    print(f"     frame at 1280x720, default settings: {ms:.2f} ms; empty WebGL frame {empty:.2f} ms")

    still_matches_snapshot(browser, base, snapshot, work)

    browser.open(base + "/#colors=amber&direction=up")
    amber = lambda _, m: m[0] >= m[1] > m[2] and m[0] > 1.25 * m[2]
    measured = light_until(browser, amber)
    _, (r, g, b) = measured
    check(amber(*measured), f"#colors=amber gives amber light (mean {r:.0f} {g:.0f} {b:.0f})")
    browser.run(choose("lapis"))
    _, (r, g, b) = light_until(browser, lambda _, m: m[2] > m[0])
    url = browser.run("location.hash")
    check("colors=lapis" in url and b > r and browser.run("localStorage.getItem('fenlight')") == url[1:],
          f"a changed control changes the picture, the URL and the stored look "
          f"({url}, mean {r:.0f} {g:.0f} {b:.0f})")

    stored = browser.run("localStorage.getItem('fenlight')")
    browser.open(base + "/#particles=9999&size=x&direction=sideways&speed=60")
    url = browser.run("location.hash")
    errors = browser.errors()
    check(url == "#direction=down&colors=lapis&particles=77&size=26&speed=60" and not errors,
          f"bad values in the URL give their defaults and the URL shows what is used ({url}) {errors}")
    check(browser.run("localStorage.getItem('fenlight')") == stored, "opening a shared link stores nothing")

    full_screen(browser)
    hidden_tab(browser, base)
    # Some browsers create no program on a lost context; this one is made to do the same.
    browser.run("{ const gl = document.getElementById('canvas').getContext('webgl'), make = gl.createProgram;"
                " window.lose = gl.getExtension('WEBGL_lose_context');"
                " gl.createProgram = () => gl.isContextLost() ? null : make.call(gl); }")
    # Restored as it was, then with a setting changed while lost: the new scene starts once it is back.
    for change, what in (("", "the lights come back"), (choose("amber"), "a setting changed then holds")):
        browser.run("lose.loseContext(); new Promise(r => setTimeout(r, 300))")
        browser.run(change + "lose.restoreContext()")
        back = lambda count, m: count > 500 and (not change or m[0] > m[2])
        measured = light_until(browser, back)
        errors = browser.errors()
        check(back(*measured) and not errors, f"a lost context is restored and {what} {errors}")
    browser.open(base + "/")
    browser.wait_for("!document.getElementById('panel').classList.contains('hidden')")
    browser.screenshot(1280, 720, shot("web-panel.png"))


def hidden_tab(browser, base):
    """Back from a hidden tab the scene goes on where it stopped: a new cycling scene is still fading in."""
    browser.open(base + "/#direction=cycle")
    other = browser.send("Target.createTarget", to_browser=True, url="about:blank")["targetId"]
    hidden = browser.run("document.visibilityState")
    time.sleep(4)
    browser.send("Target.activateTarget", to_browser=True, targetId=browser.page)
    browser.wait_for("document.visibilityState === 'visible'")
    light = []
    for _ in range(5):  # over two seconds: the overlay clears
        light.append(sum(browser.screenshot(*SCENE)[2]))
        time.sleep(0.5)
    browser.send("Target.closeTarget", to_browser=True, targetId=other)
    check(hidden == "hidden" and light[0] < 0.3 * max(light),
          f"a hidden tab pauses the scene (light {light[0]} just back, up to {max(light)} as it fades in)")


def full_screen(browser):
    box = browser.run("(() => { const r = document.getElementById('full').getBoundingClientRect();"
                      " return [r.x + r.width / 2, r.y + r.height / 2]; })()")
    browser.click(*box)
    entered = browser.wait_for("document.fullscreenElement === document.getElementById('canvas')", 10)
    for x in (600, 602):  # the first position is the anchor; 2 pixels from it are within the threshold
        browser.send("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=300)
    browser.run("new Promise(r => setTimeout(r, 300))")
    stayed = browser.run("document.fullscreenElement !== null")
    check(bool(entered) and stayed, "the full-screen button enters full screen; a 2-pixel mouse move stays")
    browser.send("Input.dispatchKeyEvent", type="keyDown", key="a", code="KeyA", text="a")
    browser.send("Input.dispatchKeyEvent", type="keyUp", key="a", code="KeyA")
    check(bool(browser.wait_for("document.fullscreenElement === null", 10)), "a key leaves full screen")


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


if __name__ == "__main__":
    sys.exit(main())
