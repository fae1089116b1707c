"""usage: page.py WEB_DIR FENLIGHT_SNAPSHOT: serves WEB_DIR from 127.0.0.1 and checks the page as a visitor
meets it in a real Chromium (headless, SwiftShader), driven over the DevTools protocol on a pipe, and in
Firefox ESR on a private Xvfb (its headless mode has no WebGL), driven over Marionette."""
import functools
import gzip
import http.server
import json
import operator
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
from base64 import b64decode

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from ppm import read_ppm  # noqa: E402

SCENE = (960, 720)  # the part of the 1280 x 720 page left of the panel
STORED = "localStorage.getItem('fenlight')"
CHOOSE = ("{{ const c = document.getElementById('colors'); c.value = '{}';"  # as a visitor picks colours
          " c.dispatchEvent(new Event('change', {{bubbles: true}})); }}")
# A clock the check holds still (clock.frozen, in ms) or lets run (clock.frozen = null), for the page's
# performance.now(), which the program's clock reads.
CLOCK = ("window.clock = {real: performance.now.bind(performance), offset: 0}; clock.frozen = clock.real();"
         " performance.now = () => clock.frozen !== null ? clock.frozen : clock.real() + clock.offset;")
# Counts of the page's writes to the address and the store and of the scenes it makes (each makes a shader
# program); with window.refuse the address refuses writes, as Safari does past about 100 in 30 s.
WRITES = ("if (!window.writes) { const replace = history.replaceState.bind(history), set = Storage.prototype.setItem,"
          " make = WebGLRenderingContext.prototype.createProgram;"
          " history.replaceState = (...a) => { writes.address++; if (refuse) throw new DOMException('no', 'SecurityError');"
          " return replace(...a); };"
          " Storage.prototype.setItem = function (...a) { writes.store++; return set.apply(this, a); };"
          " WebGLRenderingContext.prototype.createProgram = function () { writes.scenes++; return make.call(this); }; }"
          " window.writes = {address: 0, store: 0, scenes: 0};")
STEP = ("{{ const p = document.getElementById('particles'); p.value = '{}';"
        " p.dispatchEvent(new Event('change', {{bubbles: true}})); }}")
BUFFER = ("(() => { const gl = document.getElementById('canvas').getContext('webgl');"
          " return [gl.drawingBufferWidth, gl.drawingBufferHeight, ...gl.getParameter(gl.VIEWPORT)].join(); })()")
# A lost context offers no extensions: the page keeps the one that restores it.
MESSAGE = "document.getElementById('message').textContent"
LOSE = ("(window.loser = window.loser ||"
        " document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context'))")
# A 120 Hz screen: animation frames every 1/120 s, counted, and the frames drawn (each clears first).
FAST = ("window.rate = {callbacks: 0, drawn: 0}; const queue = [];"
        " window.requestAnimationFrame = f => queue.push(f);"
        " setInterval(() => { const now = performance.now();"
        " queue.splice(0).forEach(f => { rate.callbacks++; f(now); }); }, 1000 / 120);"
        " const clear = WebGLRenderingContext.prototype.clear;"
        " WebGLRenderingContext.prototype.clear = function (m) { rate.drawn++; return clear.call(this, m); };")
failures = []
where = ""  # the browser the checks run in


def poll(probe, good, seconds=20):
    """What probe() gives once good() holds for it, or at the deadline."""
    deadline = time.monotonic() + seconds
    while not good(value := probe()) and time.monotonic() < deadline:
        time.sleep(0.1)
    return value


def lose_context(browser):
    """Loses the canvas's context and waits for the page's loss event, whose handler is what lets the context
    be restored (it is lost at once; a restore asked before the event does nothing): whether it came."""
    browser.run("window.heard = false; document.getElementById('canvas').addEventListener('webglcontextlost',"
                " () => { window.heard = true; }, {once: true});" + LOSE + ".loseContext()")
    return browser.wait_for("window.heard", 10)


def stop(browser, *quit, **parameters):
    """The browser closes itself (browser.send(*quit)), or its process group is killed after 10 s; its
    temporary files and singleton socket are in the check's own folder (TMPDIR), which goes after it."""
    process = browser.process
    try:
        browser.send(*quit, **parameters)
    except (RuntimeError, OSError):
        pass  # gone before it answered
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        pass
    try:
        os.killpg(process.pid, 9)
    except ProcessLookupError:
        pass
    process.wait()


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(f"{where}: {what}")


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
            pass_fds=(to_chrome, from_chrome), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            env=dict(os.environ, TMPDIR=os.path.dirname(profile)), start_new_session=True)
        os.close(to_chrome)
        os.close(from_chrome)
        self.buffer, self.last, self.events, self.session = b"", 0, [], None
        targets = self.send("Target.getTargets")["targetInfos"]
        self.page = next(t["targetId"] for t in targets if t["type"] == "page")
        self.session = self.send("Target.attachToTarget", targetId=self.page, flatten=True)["sessionId"]
        for domain in ("Page", "Runtime", "Log"):
            self.send(domain + ".enable")

    def send(self, method, to_browser=False, **params):
        """The result of one command; events that come before it are kept for errors()."""
        self.last += 1
        message = {"id": self.last, "method": method, "params": params}
        if self.session and not to_browser:
            message["sessionId"] = self.session
        os.write(self.commands, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self.buffer:
                chunk = os.read(self.replies, 1 << 16)
                if not chunk:
                    raise RuntimeError("the browser went away")
                self.buffer += chunk
            reply, self.buffer = self.buffer.split(b"\0", 1)
            reply = json.loads(reply)
            if reply.get("id") != self.last:
                self.events.append(reply)
            elif "error" in reply:
                raise RuntimeError(f"{method}: {reply['error']}")
            else:
                return reply["result"]

    def prefer(self, languages):
        """The languages the page is told the visitor reads (navigator.languages), from the next page on."""
        agent = self.send("Browser.getVersion", to_browser=True)["userAgent"]
        self.send("Emulation.setUserAgentOverride", userAgent=agent, acceptLanguage=languages)

    def run(self, expression):
        result = self.send("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True,
                           userGesture=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, seconds=20):
        return poll(lambda: self.run(expression), bool, seconds)

    def open(self, url, width=1280, height=720, ratio=1):
        self.send("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=ratio,
                  mobile=False)
        self.send("Page.navigate", url=url)
        return self.wait_for("document.readyState === 'complete' && document.documentElement.dataset.state")

    def shot(self, width, height, ratio):
        clip = {"x": 0, "y": 0, "width": width / ratio, "height": height / ratio, "scale": 1}
        return b64decode(self.send("Page.captureScreenshot", clip=clip)["data"])

    def end(self):
        stop(self, "Browser.close", True)

    def errors(self):
        """Console errors, uncaught exceptions and failed loads since the last call."""
        found = [e["params"] for e in self.events if e.get("method") == "Runtime.exceptionThrown"
                 or e.get("method") == "Runtime.consoleAPICalled" and e["params"]["type"] == "error"
                 or e.get("method") == "Log.entryAdded" and e["params"]["entry"]["level"] == "error"]
        self.events = []
        return found


class Firefox:
    """One Firefox ESR with a fresh profile on a private Xvfb, over Marionette: commands are
    [0, id, name, parameters], replies [1, id, error, result], each sent as "LENGTH:JSON"."""

    def __init__(self, profile):
        tools = os.path.join(os.path.dirname(__file__), "../../../tools")
        number, self.xvfb = subprocess.run([os.path.join(tools, "xvfb-start"), "1600x1200"], check=True,
                                           capture_output=True, text=True).stdout.split()
        os.makedirs(profile)
        with open(os.path.join(profile, "user.js"), "w") as prefs:
            prefs.write('user_pref("marionette.port", 0);\nuser_pref("browser.shell.checkDefaultBrowser", false);\n')
        self.process = subprocess.Popen(["firefox-esr", "--marionette", "-remote-allow-system-access", "--no-remote",
                                         "--profile", profile],
                                        env=dict(os.environ, DISPLAY=":" + number,
                                                 TMPDIR=os.path.dirname(profile)), stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        port = poll(lambda: open(os.path.join(profile, "MarionetteActivePort")).read()
                    if os.path.exists(os.path.join(profile, "MarionetteActivePort")) else "", bool, 60)
        self.socket, self.buffer, self.last = socket.create_connection(("127.0.0.1", int(port))), b"", 0
        self.receive()  # the greeting
        self.send("WebDriver:NewSession", capabilities={})
        self.ratio = 1

    def receive(self):
        while True:
            if b":" in self.buffer:
                length, rest = self.buffer.split(b":", 1)
                if len(rest) >= int(length):
                    self.buffer = rest[int(length):]
                    return json.loads(rest[:int(length)])
            chunk = self.socket.recv(1 << 16)
            if not chunk:
                raise RuntimeError("the browser went away")
            self.buffer += chunk

    def send(self, name, **parameters):
        self.last += 1
        data = json.dumps([0, self.last, name, parameters]).encode()
        self.socket.sendall(str(len(data)).encode() + b":" + data)
        _, _, error, result = self.receive()
        if error:
            raise RuntimeError(f"{name}: {error}")
        return result

    def run(self, expression):
        script = ("const done = arguments[1]; try { Promise.resolve(eval(arguments[0])).then(v => done([v]),"
                  " e => done({error: String(e)})); } catch (e) { done({error: String(e)}); }")
        value = self.send("WebDriver:ExecuteAsyncScript", script=script, args=[expression])["value"]
        if isinstance(value, dict):
            raise RuntimeError(f"{expression}: {value['error']}")
        return value[0]

    wait_for = Browser.wait_for

    def prefer(self, languages):
        self.send("Marionette:SetContext", value="chrome")
        self.send("WebDriver:ExecuteScript", args=[languages],
                  script="Services.prefs.setCharPref('intl.accept_languages', arguments[0])")
        self.send("Marionette:SetContext", value="content")

    def open(self, url, width=1280, height=720, ratio=1):
        if ratio != self.ratio:  # the device pixel ratio is a preference of the browser's own
            self.send("Marionette:SetContext", value="chrome")
            self.send("WebDriver:ExecuteScript", args=[str(ratio)],
                      script="Services.prefs.setCharPref('layout.css.devPixelsPerPx', arguments[0])")
            self.send("Marionette:SetContext", value="content")
            self.ratio = ratio
            # The page measured below must already be laid out at the new ratio.
            self.wait_for(f"devicePixelRatio === {ratio}", 10)
        # The window is sized so that its page is width x height CSS pixels.
        rect = self.send("WebDriver:GetWindowRect")
        inner = self.send("WebDriver:ExecuteScript", script="return [innerWidth, innerHeight]", args=[])["value"]
        self.send("WebDriver:SetWindowRect", width=rect["width"] + (width - inner[0]) * ratio,
                  height=rect["height"] + (height - inner[1]) * ratio)
        self.send("WebDriver:Navigate", url="about:blank")
        self.send("WebDriver:Navigate", url=url)
        return self.wait_for("document.readyState === 'complete' && document.documentElement.dataset.state")

    def shot(self, *_):
        return b64decode(self.send("WebDriver:TakeScreenshot", full=False)["value"])

    def errors(self):
        return []  # Marionette reports no console messages

    def end(self):
        stop(self, "Marionette:Quit", flags=["eForceQuit"])
        subprocess.run(["kill", self.xvfb], check=False)


def decode(source, data=None):
    return read_ppm(subprocess.run(["convert", source, "-alpha", "off", "ppm:-"], input=data,
                                   capture_output=True, check=True).stdout)


def screenshot(browser, width, height, ratio=1):
    """The top-left width x height device pixels as (width, height, RGB bytes)."""
    full = decode("png:-", browser.shot(width, height, ratio))
    rows = [full[2][3 * full[0] * y:3 * (full[0] * y + width)] for y in range(height)]
    return width, height, b"".join(rows)


def light(picture):
    """Bright pixel count and the mean red, green and blue of those pixels."""
    pixels = picture[2]
    bright = [i for i in range(0, len(pixels), 3) if max(pixels[i:i + 3]) > 40]
    return len(bright), [sum(pixels[i + c] for i in bright) / max(len(bright), 1) for c in range(3)]


def light_until(browser, good):
    return poll(lambda: light(screenshot(browser, *SCENE)), lambda measured: good(*measured))


def difference(a, b):
    """Largest mean absolute difference of a channel, and the share of pixels with a channel off by > 16."""
    pixels = a[0] * a[1]
    d = [abs(x - y) for x, y in zip(a[2], b[2])]
    far = sum(max(d[i:i + 3]) > 16 for i in range(0, len(d), 3))
    return max(sum(d[c::3]) for c in range(3)) / pixels, far / pixels


def run_checks(browser, base, snapshot, work):
    web = sys.argv[1]
    """What a visitor meets in either browser: the lights, the still frame, a settings link, the panel."""
    state = browser.open(base + "/")
    count, _ = light_until(browser, lambda count, _: count > 500)
    errors = browser.errors()
    check(state == "running" and count > 500 and not errors, f"the page loads and shows lights {errors}")
    scopes = browser.run("[typeof Module, typeof call, typeof createFenlight].join()")
    check(scopes == "undefined,undefined,function",
          f"the page's script and the program share no global but the program's factory ({scopes})")

    stills = [  # (fragment, size, seed, seconds, device pixel ratio, the context lost and restored first)
        ("direction=up&colors=amethyst&particles=120&size=35&speed=33", 480, 270, 11, 12, 1, False),
        ("direction=in&colors=emerald&particles=40&size=80&speed=70", 320, 400, 5, 30, 2, True),
    ]
    for fragment, width, height, seed, seconds, ratio, lost in stills:
        reference = os.path.join(work, f"snapshot-{seed}.png")
        # The link's settings are fenlight-snapshot's options, in the same words.
        subprocess.run([snapshot, "--out", reference, "--width", str(width), "--height", str(height),
                        "--seed", str(seed), "--seconds", str(seconds)] +
                       ["--" + setting for setting in fragment.split("&")], check=True)
        state = browser.open(f"{base}/?still&seed={seed}&seconds={seconds}&width={width}&height={height}"
                             f"#{fragment}", width + 40, height + 40, ratio)
        heard = not lost or lose_context(browser)
        if lost:
            browser.run(LOSE + ".restoreContext()")
        native = decode(reference)
        mean, far = poll(lambda: difference(screenshot(browser, width, height, ratio), native),
                         lambda d: d[0] <= 2 and d[1] <= 0.01, 10)
        check(state == "still" and heard and light(native)[0] > 100 and mean <= 2 and far <= 0.01,
              f"the still frame matches fenlight-snapshot ({fragment} at {width}x{height}, ratio {ratio}"
              f"{', after a lost context' if lost else ''}: "
              f"mean difference {mean:.2f}/255, {100 * far:.2f} % of pixels off by more than 16)")

    browser.open(base + "/#colors=amber&direction=up")
    amber = lambda _, m: m[0] >= m[1] > m[2] and m[0] > 1.25 * m[2]
    measured = light_until(browser, amber)
    check(amber(*measured), f"#colors=amber gives amber light (mean {[round(v) for v in measured[1]]})")
    browser.run(CHOOSE.format("lapis"))
    _, (r, _, b) = light_until(browser, lambda _, m: m[2] > m[0])
    url, stored = browser.run("location.hash"), browser.run(STORED)
    check("colors=lapis" in url and b > r and stored == url[1:],
          f"a changed control changes the picture, the URL and the stored look ({url}, mean {r:.0f} {b:.0f})")

    browser.open(base + "/#particles=9999&size=x&direction=sideways&speed=60")
    url, errors = browser.run("location.hash"), browser.errors()
    check(url == "#direction=down&colors=lapis&particles=77&size=26&speed=60" and not errors,
          f"bad values in the URL give their defaults and the URL shows what is used ({url}) {errors}")
    check(browser.run(STORED) == stored, "opening a shared link stores nothing")

    browser.errors()
    for refuse, values, what in ((False, range(30, 42), "twelve quick steps of a slider settle into"),
                                 (True, [50], "an address that refuses writes still gets")):
        browser.run(WRITES + f"window.refuse = {str(refuse).lower()};" + "".join(map(STEP.format, values)))
        now = poll(lambda: browser.run(f"[{STORED}, location.hash]"), lambda s: f"particles={values[-1]}" in s[0], 10)
        writes, errors = browser.run("writes"), browser.errors()
        check(f"particles={values[-1]}" in now[0] and (refuse or now[0] == now[1][1:]) and not errors
              and writes == {"address": 1, "store": 1, "scenes": 1},
              f"{what} one scene and one write of the address and the store ({writes}, {now}) {errors}")
    installed_checks(browser, web, work)


def chromium_checks(browser, base, snapshot, work):
    """Full screen, a hidden tab and a lost context, which Chromium's protocol can bring about."""
    run_checks(browser, base, snapshot, work)
    browser.send("Emulation.setFocusEmulationEnabled", enabled=True)  # the clipboard serves a focused page
    browser.send("Browser.grantPermissions", to_browser=True, origin=base,
                 permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
    browser.open(base + "/#colors=amber")
    browser.run("document.getElementById('share').click()")
    said = browser.wait_for("document.getElementById('share').textContent === 'Link copied'", 10)
    copied, url = browser.run("navigator.clipboard.readText()"), browser.run("location.href")
    check(said and copied == url and "colors=amber" in url, f"Copy link copies the page's link ({copied})")
    browser.send("Emulation.setFocusEmulationEnabled", enabled=False)
    sizing_checks(browser, base)
    browser.open(base + "/")
    key = lambda k: browser.send("Input.dispatchKeyEvent", type="keyDown", key=k, text=k if len(k) == 1 else "",
                                 code="Key" + k.upper() if len(k) == 1 else k)
    for enter, what in (("document.getElementById('full').click()", "the full-screen button"),
                        ("document.getElementById('canvas').focus()", "F")):
        browser.run(enter)
        if what == "F":
            key("f")
        entered = browser.wait_for("document.fullscreenElement === document.getElementById('canvas')", 10)
        browser.run("window.moved = 0; document.addEventListener('mousemove', e => { moved = e.clientX; })")
        for x in (600, 602):  # the first position is the anchor; 2 pixels from it are within the threshold
            browser.send("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=300)
        # What must not happen: once the page has had the last move, full screen holds for 2 s.
        stayed = browser.wait_for("moved === 602", 10) and poll(
            lambda: browser.run("document.fullscreenElement !== null"), operator.not_, 2)
        key("a")
        check(entered and stayed and browser.wait_for("document.fullscreenElement === null", 10),
              f"{what} enters full screen; a 2-pixel mouse move stays, a key leaves")

    # The panel from the keyboard: H hides and shows it, Escape hides it; what is hidden holds no focus, the
    # pointer hides over the scene while the panel is away, and the panel stays past its 5 s while it holds
    # the focus.
    browser.open(base + "/")
    panel = ("[document.getElementById('panel').className, document.documentElement.className, getComputedStyle("
             "document.getElementById('canvas')).cursor, document.activeElement.id]")
    for before, k, expected, what in (
            ("", "h", ["hidden", "idle", "none", ""], "H hides the panel and the pointer over the scene"),
            ("", "h", ["", "", "auto", ""], "H shows the panel again"),
            ("document.getElementById('hide').focus()", "Escape", ["hidden", "idle", "none", "canvas"],
             "Escape hides it, and the focus goes to the picture")):
        browser.run(before)
        key(k)
        now = browser.run(panel)
        check(now == expected, f"{what} ({now})")
    # What must not happen, watched until the panel's own 5 s are out (timers of one delay run in order set).
    browser.run("document.getElementById('particles').focus(); window.due = false;"
                " setTimeout(() => { due = true; }, 5000)")
    due, shown = poll(lambda: browser.run("[due, document.getElementById('panel').className]"), any, 30)
    check(due and shown == "", f"the panel stays past its 5 s while it holds the focus ({shown or 'shown'})")

    # "Keep screen on" is offered where the browser has a wake lock, and remembered.
    browser.run("document.getElementById('awake').click()")
    browser.open(base + "/")
    kept = browser.run("[document.getElementById('awake-row').hidden, document.getElementById('awake').checked,"
                       " localStorage.getItem('fenlight.awake')]")
    check(kept == [False, True, "1"], f"Keep screen on is offered and remembered ({kept})")

    # Reduced motion slows the default speed; a speed the visitor chose holds. A speed that is no valid value,
    # stored or in the link, was not chosen.
    browser.send("Emulation.setEmulatedMedia", features=[{"name": "prefers-reduced-motion", "value": "reduce"}])
    for look, link, speed in (("", "", "speed=12"), ("direction=up&speed=50", "", "speed=50"),
                              ("speed=abc", "", "speed=12"), ("direction=up&speed=101", "", "speed=12"),
                              ("speed=50", "?shared#speed=x", "speed=12")):
        browser.run(f"localStorage.setItem('fenlight', '{look}')")
        browser.open(base + "/" + link)
        url = browser.run("location.hash")
        check(url.endswith(speed), f"with reduced motion, {look or 'nothing'} stored and {link or 'no link'} the page"
              f" uses {speed} ({url})")
    browser.send("Emulation.setEmulatedMedia", features=[])

    # Back from a hidden tab the scene goes on where it stopped. The clock stands still but for 4 s while hidden,
    # so on a machine of any speed a cycling scene started hidden is just beginning its fade-in when shown.
    clock = browser.send("Page.addScriptToEvaluateOnNewDocument", source=CLOCK)["identifier"]
    other = browser.send("Target.createTarget", to_browser=True, url="about:blank")["targetId"]
    browser.open(base + "/index.html#direction=cycle")  # a new document, which gets the clock
    hidden = browser.run("clock.frozen += 4000; document.visibilityState")
    browser.send("Target.activateTarget", to_browser=True, targetId=browser.page)
    browser.wait_for("document.visibilityState === 'visible'")
    browser.run("new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))")  # a frame drawn
    total = lambda: sum(screenshot(browser, *SCENE)[2])
    first = total()
    browser.run("clock.offset = clock.frozen - clock.real(); clock.frozen = null")
    browser.send("Page.removeScriptToEvaluateOnNewDocument", identifier=clock)
    later = poll(total, lambda now: first < 0.3 * now)  # as the overlay clears
    browser.send("Target.closeTarget", to_browser=True, targetId=other)
    check(hidden == "hidden" and first < 0.3 * later,
          f"a hidden tab pauses the scene (light {first} just back, {later} as it fades in)")

    # Some browsers create no program on a lost context; this one is made to do the same.
    browser.run("{ const gl = document.getElementById('canvas').getContext('webgl'), make = gl.createProgram;"
                " gl.createProgram = () => gl.isContextLost() ? null : make.call(gl); }")
    for change, what in (("", "the lights come back"), (CHOOSE.format("amber"), "a changed setting holds")):
        heard = lose_context(browser)
        browser.run(change + LOSE + ".restoreContext()")
        back = lambda count, m: count > 500 and (not change or m[0] > m[2])
        measured, errors = light_until(browser, back), browser.errors()
        check(heard and back(*measured) and not errors, f"a lost context is restored and {what} {errors}")


def opened_with(browser, script, *page):
    """The page opened with `script` run before its own, as browser.open gives it."""
    added = browser.send("Page.addScriptToEvaluateOnNewDocument", source=script)["identifier"]
    state = browser.open(*page)
    browser.send("Page.removeScriptToEvaluateOnNewDocument", identifier=added)
    return state


def sizing_checks(browser, base):
    """The drawing buffer follows the canvas, within the pixel budget, and the view is the buffer's."""
    browser.open(base + "/")
    sizes = [  # (what changes, lost meanwhile, CSS width, height, device pixel ratio, the drawing buffer)
        ("a phone at ratio 3 is drawn at ratio 2", False, 390, 844, 3, (780, 1688)),
        ("a change of ratio alone", False, 390, 844, 1.5, (585, 1266)),
        ("a resize while the context is lost", True, 640, 480, 1, (640, 480)),
    ]
    for what, lost, width, height, ratio, (w, h) in sizes:
        heard = not lost or lose_context(browser)
        browser.send("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=ratio,
                     mobile=False)
        if lost:
            browser.wait_for("new Promise(r => requestAnimationFrame(() => requestAnimationFrame(() => r(1))))")
            browser.run(LOSE + ".restoreContext()")
        got = poll(lambda: browser.run(BUFFER), lambda b: b == f"{w},{h},0,0,{w},{h}", 10)
        check(heard and got == f"{w},{h},0,0,{w},{h}", f"{what}: buffer and view {w} x {h} ({got})")

    browser.run(LOSE + ".loseContext()")
    said = browser.wait_for(f"document.documentElement.dataset.state === 'lost' && {MESSAGE}", 15)
    browser.run(LOSE + ".restoreContext()")
    back = browser.wait_for(f"document.documentElement.dataset.state === 'running' && !{MESSAGE}", 10)
    check(said and back, "a context not back within seconds gets a message, gone once it is back")

    failing = [  # (what, a script run first in the page, the address, what the page must say)
        ("a still frame larger than the browser draws is refused", "", "/?still&width=8192&height=8192", "8192 x 8192"),
        ("shaders that do not compile are reported", "const source = WebGLRenderingContext.prototype.shaderSource;"
         " WebGLRenderingContext.prototype.shaderSource = function (s, t) { source.call(this, s, t + '}'); };",
         "/", "shaders"),
        ("shaders that do not link are reported", "WebGLRenderingContext.prototype.linkProgram = () => {};", "/",
         "shaders")]
    for what, breaking, address, said in failing:
        state, message = opened_with(browser, breaking, base + address), browser.run(MESSAGE)
        browser.errors()  # the browser's own words on the shaders
        check(state == "failed" and said in message, f"{what} ({state}: {message})")

    # The program holds a still frame to the page's bounds itself: called from elsewhere with a size or a time
    # past them it refuses (4) at once, within them it draws (0).
    browser.open(base + "/?still&width=64&height=64&seconds=0")
    browser.run("createFenlight({canvas: document.getElementById('canvas')}).then(m => { window.other = m; })")
    asked = [("1e9", 64, 64), ("3600.5", 64, 64), ("NaN", 64, 64), ("-1", 64, 64), ("20", 8193, 64),
             ("20", 64, 100000), ("20", 0, 64), ("20", 64, 64)]
    calls = ", ".join(f"other.ccall('fenlight_still', 'number', Array(5).fill('number').fill('string', 0, 1),"
                      f" ['', 1, {s}, {w}, {h}])" for s, w, h in asked)
    try:  # (past its timeout the evaluation is terminated, an error)
        answer = browser.send("Runtime.evaluate", expression=f"[{calls}]", returnByValue=True, timeout=10000)
        got = answer.get("exceptionDetails") or answer["result"].get("value")
    except RuntimeError as e:
        got = f"no answer within 10 s: {e}"
    check(got == [4] * 7 + [0], f"a still frame asked of the program past the page's bounds is refused at once ({got})")

    opened_with(browser, FAST, base + "/", 640, 360)
    rate = browser.run("new Promise(r => { const from = {...rate};"
                       " setTimeout(() => r([rate.callbacks - from.callbacks, rate.drawn - from.drawn]), 2000); })")
    check(rate[1] <= 0.6 * rate[0] + 3 and rate[1] <= 2 * 63,
          f"at 120 Hz at most 60 frames a second are drawn ({rate[0] / 2:.0f} animation frames and"
          f" {rate[1] / 2:.0f} drawn a second)")
def serve(folder):
    """A server of folder on a port of its own: its address, and the server to stop."""
    quiet = type("Quiet", (http.server.SimpleHTTPRequestHandler,), {"log_message": lambda *args: None})
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(quiet, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f"http://127.0.0.1:{server.server_address[1]}", server


# The web app manifest and each icon it names, as the browser loads them: [name, display, maskable, icons as
# [declared size, loaded width x height]].
MANIFEST = ("fetch(document.querySelector('link[rel=manifest]').href).then(r => r.json()).then(m =>"
            " Promise.all(m.icons.map(i => new Promise(done => { const image = new Image();"
            " image.onload = () => done([i.sizes, image.naturalWidth + 'x' + image.naturalHeight]);"
            " image.onerror = () => done([i.sizes, 'failed']); image.src = i.src; })))"
            ".then(icons => [m.name, m.display, m.icons.some(i => i.purpose === 'maskable'), icons]))")
GET = "document.getElementById('get')"
# A release's list: each entry's kind names the page's text for it, the architecture put in where the text
# has a place for it. Entries the page cannot name safely are left out.
RELEASE = json.dumps({"version": "9.1", "files": [
    {"name": "Fenlight-9.1-setup.exe", "size": 1572864, "kind": "installer"},
    {"name": "fenlight_9.1_amd64.deb", "size": 921600, "kind": "deb", "arch": "amd64"},
    {"name": "../elsewhere.exe", "size": 10, "kind": "installer"},  # not beside the page
    {"name": "Fenlight-9.1-x64.msi", "size": 10, "system": "Windows, 64-bit"},  # no kind
    {"name": "Fenlight-9.1.exe", "size": 10, "kind": "exe"},  # a kind the page has no text for
    {"name": "fenlight-9.1-1.x86_64.rpm", "size": 10, "kind": "rpm"},  # no architecture for its text
    {"name": "fenlight_9.1_arm64.deb", "size": 10, "kind": "deb", "arch": "<b>arm64</b>"},
    {"name": "Fenlight-9.1-windows.zip", "size": 0, "kind": "zip"}]})
DOWNLOADS = [  # (downloads.json in the page's folder, or None for none; the download links the visitor sees)
    (None, []),
    ('{"files": []}', []),
    (RELEASE, ["Windows: the installer, 64-bit and 32-bit|Fenlight-9.1-setup.exe, 1.5 MB",
               "Linux, Debian and Ubuntu (amd64): the xscreensaver hack and the Wayland saver|"
               "fenlight_9.1_amd64.deb, 900 KB"]),
]
LINKS = (f"[{GET}.hidden, [...{GET}.querySelectorAll('li')].map(i =>"
         " i.querySelector('a').textContent + '|' + i.querySelector('span').textContent)]")


def serve_with_downloads(web, work, listed):
    """A copy of the page in work/page with `listed` as its downloads.json (None: none), served."""
    folder = os.path.join(work, "page")
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(web, folder)
    if os.path.exists(os.path.join(folder, "downloads.json")):
        os.remove(os.path.join(folder, "downloads.json"))
    if listed is not None:
        with open(os.path.join(folder, "downloads.json"), "w") as out:
            out.write(listed)
    return folder, *serve(folder)


def installed_checks(browser, web, work):
    """The manifest and its icons, the downloads offered, and the page offline, then at its next version."""
    name, display, maskable, icons = browser.run(MANIFEST)
    check(name == "Fenlight" and display == "fullscreen" and maskable and icons
          and all(size == loaded for size, loaded in icons),
          f"the web app manifest loads, with its icons at their sizes, one maskable ({name}, {icons})")
    for listed, expected in DOWNLOADS:
        folder, base, server = serve_with_downloads(web, work, listed)
        browser.open(base + "/")
        # Once the list is fetched: shown at once, or (what must not happen) not within a second.
        fetched = browser.wait_for("performance.getEntriesByName(new URL('downloads.json', location).href)"
                                   ".length", 10)
        shown = poll(lambda: browser.run(f"!{GET}.hidden"), bool, 10 if expected else 1)
        links = browser.run(LINKS)
        check(fetched and links == [not expected, expected] and shown == bool(expected),
              f"downloads {listed and listed[:20]}...: {'the files with their sizes' if expected else 'none'}"
              f" shown ({links})")
        server.shutdown()
        server.server_close()

    # The last page folder: once its worker holds the page, a new version is published; the next visit
    # takes it, and with the server gone the page still opens, at that version.
    base, server = serve(folder)
    browser.open(base + "/")
    controlled = browser.wait_for("navigator.serviceWorker.controller !== null", 30)
    first = browser.run("caches.keys()")
    with open(os.path.join(folder, "page.css"), "a") as css:
        css.write("/* the next version */\n")
    worker = open(os.path.join(folder, "sw.js")).read()
    with open(os.path.join(folder, "sw.js"), "w") as out:
        out.write(worker.replace("CACHE = 'fenlight-", "CACHE = 'fenlight-next-"))
    browser.open(base + "/")
    caches = poll(lambda: browser.run("caches.keys()"), lambda keys: keys and all("-next-" in k for k in keys), 30)
    server.shutdown()
    server.server_close()
    state = browser.open(base + "/?offline#colors=amber")  # a new document, not the same with a new fragment
    count, _ = light_until(browser, lambda count, _: count > 500)
    # (Firefox may take the style sheet from its memory, so the worker's copy is asked for.)
    version = browser.run("fetch('page.css').then(r => r.text()).then(t => t.includes('the next version'))")
    check(controlled and len(first) == 1 and len(caches) == 1 and state == "running" and count > 500
          and version, f"the service worker keeps the page: a new version replaces the old"
          f" cache ({first} then {caches}), and with the server gone the page opens at it ({state}, {count}"
          f" bright pixels, the new version's files: {version})")
    browser.errors()  # the missing list's 404 and the offline requests


# The page's language and its words in the panel: a setting's label, a button, a list word; then the marked
# elements left without their text (none should be).
PANEL = ("[document.documentElement.lang, document.querySelector('label[for=colors]').textContent,"
         " document.getElementById('hide').textContent,"
         " [...document.getElementById('colors').options].find(o => o.value === 'amber').text,"
         " [...document.querySelectorAll('[data-text]')].filter(e => !e.textContent).map(e => e.dataset.text)"
         ".concat([...document.querySelectorAll('[data-label]')].filter(e => !e.getAttribute('aria-label'))"
         ".map(e => e.dataset.label))]")
SPOKEN = {"fr": ["fr", "Couleurs", "Masquer", "Ambre", []], "de": ["de", "Farben", "Ausblenden", "Bernstein", []],
          "en": ["en", "Colors", "Hide", "Amber", []]}
SHARE = "document.getElementById('share')"


def language_checks(browser, base, *_):
    """The page in the browser's language, French; in the one its address names; English for a language
    Fenlight does not have. Links copied name no language the visitor did not choose."""
    # (Each address another document than the one before: a new preference reaches only a new document.)
    for address, prefer, tag, what in (("/", None, "fr", "the browser's French"),
                                       ("/?lang=de", None, "de", "the address's German"),
                                       ("/", "eo, tlh", "en", "English, the browser's being unknown"),
                                       ("/?lang=xx", "fr", "fr", "French, the address's being unknown")):
        if prefer:
            browser.prefer(prefer)
        state = browser.open(base + address)
        shown, errors = browser.run(PANEL), browser.errors()
        check(state == "running" and shown == SPOKEN[tag] and not errors,
              f"{address} with the browser's languages {prefer or 'fr'} is in {what} ({shown}) {errors}")

    if not isinstance(browser, Browser):
        return  # (Marionette's page has no clipboard to read back)
    browser.send("Emulation.setFocusEmulationEnabled", enabled=True)
    browser.send("Browser.grantPermissions", to_browser=True, origin=base,
                 permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
    for address, said, kept in (("/#colors=amber", "Lien copié", False),
                                ("/?lang=de#colors=amber", "Link kopiert", True)):
        browser.open(base + address)
        browser.run(f"{SHARE}.click()")
        heard = browser.wait_for(f"{SHARE}.textContent === {json.dumps(said)}", 10)
        copied, url = browser.run("navigator.clipboard.readText()"), browser.run("location.href")
        check(heard and copied == url and "colors=amber" in copied and ("lang=de" in copied) == kept,
              f"Copy link says so in the page's language and copies {address}'s link"
              f" {'with' if kept else 'without'} the language ({copied})")
    browser.send("Emulation.setFocusEmulationEnabled", enabled=False)


def firefox_checks(browser, base, snapshot, work):
    run_checks(browser, base, snapshot, work)
    browser.prefer("fr")
    language_checks(browser, base)


def no_webgl(browser, base, *_):
    state = browser.open(base + "/")
    check(state == "failed" and "WebGL" in browser.run("document.getElementById('message').textContent"),
          "without WebGL the page says so")


def main():
    global where
    web, snapshot = sys.argv[1], sys.argv[2]
    if not os.path.exists(os.path.join(web, "fenlight.wasm")):
        print(f"no page in {web}: make web builds it")
        return 77
    files = sorted(os.listdir(web))
    groups = {"code": ["fenlight.js", "fenlight.wasm", "index.html", "manifest.webmanifest", "page.css", "page.js",
                       "sw.js"], "pictures": ["icon-192.png", "icon-maskable-512.png", "preview.jpg"]}
    read = lambda names: [open(os.path.join(web, f), "rb").read() for f in names if f in files]
    sizes = {group: (sum(map(len, read(names))), sum(len(gzip.compress(d, 9)) for d in read(names)))
             for group, names in groups.items()}  # raw and gzipped
    check(files == sorted(sum(groups.values(), ["downloads.json"])) and sizes["code"][0] < 200 * 1024
          and sizes["pictures"][0] < 150 * 1024,
          f"the page is its code, under 200 KB, its icons and preview, under 150 KB, and an empty downloads list"
          f" ({files}: {sizes})")

    html = open(os.path.join(web, "index.html")).read()
    # (That the page loads under it with no error is checked in each browser.)
    policy = (re.findall(r'http-equiv="Content-Security-Policy" content="([^"]*)"', html) or [""])[0]
    inline = re.findall(r"<script>|<style>|\son[a-z]+=", html)
    check("default-src 'none'" in policy and not re.search(r"'unsafe-(inline|eval)'|\*|https?:", policy)
          and not inline, f"the Content-Security-Policy allows nothing by default, nothing inline, evaluated or"
          f" from elsewhere ({policy}; inline: {inline})")
    meta = dict(re.findall(r'<meta (?:name|property)="([^"]+)" content="([^"]*)"', html))
    wanted = ["description", "theme-color", "og:type", "og:title", "og:description", "og:image"]
    check(all(meta.get(name) for name in wanted) and os.path.exists(os.path.join(web, meta["og:image"]))
          and 'rel="manifest" href="manifest.webmanifest"' in html and "<noscript>" in html,
          f"the page links its manifest, has a description, a theme colour, Open Graph tags with their picture, and"
          f" says what it needs without JavaScript ({ {name: meta.get(name) for name in wanted} })")

    base, _ = serve(web)
    # (On Linux --lang alone leaves the page's languages at the system's; --accept-lang sets them.)
    runs = [(lambda profile: Browser(profile), chromium_checks, "Chromium"),
            (lambda profile: Browser(profile, "--disable-webgl"), no_webgl, "Chromium without WebGL"),
            (lambda profile: Browser(profile, "--lang=fr", "--accept-lang=fr"),
             language_checks, "Chromium in French"),
            (Firefox, firefox_checks, "Firefox ESR")]
    for start, checks, name in runs:
        if name.startswith("Firefox") and not shutil.which("firefox-esr"):
            print("SKIP the checks in Firefox: firefox-esr is not installed (tools/install-deps installs it)")
            continue
        print(f"== {name}")
        where = name
        with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as work:
            browser = start(os.path.join(work, "profile"))
            try:
                checks(browser, base, snapshot, work)
            finally:
                browser.end()
    print("web page checks passed" if not failures else f"{len(failures)} web page checks failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
