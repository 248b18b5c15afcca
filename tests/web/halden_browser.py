"""The harness of the browser tests and benchmark: the web build's page served
on 127.0.0.1, headless Chromium with WebGL on SwiftShader driven through
Selenium, and the program's own boxes, frames, keys and canvas.

Keys come in two kinds. Real key presses (press) go through Chromium's
input pipeline, as a person's do, and count as user activations. Held keys
for an exact number of frame steps (hold_steps) are dispatched by the page
itself at the moment the program presents a frame, so that the same steps
give the same state as the Linux build's scripted run (room_screenshots).
"""

import functools
import http.server
import os
import shutil
import tempfile
import threading
import time

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from pictures import read_picture

CHROMIUM = '/usr/bin/chromium'
CHROMEDRIVER = '/usr/bin/chromedriver'

# The program's own words.
FIRST_TITLE = 'Halden'
REOPENED_TITLE = "Tarn's Textures, Lighting & Keyboard Tutorial"
START_CAPTION = 'Start FullScreen?'
PROBE_CAPTION = 'feature supported!'
FALLBACK_CAPTION = 'Tarn GL'

# Keys as the page's KeyboardEvent sees them: (code, key).
PAGE_KEYS = {
    'B': ('KeyB', 'b'), 'N': ('KeyN', 'n'), 'D': ('KeyD', 'd'),
    'Up': ('ArrowUp', 'ArrowUp'), 'Down': ('ArrowDown', 'ArrowDown'),
    'Left': ('ArrowLeft', 'ArrowLeft'), 'Right': ('ArrowRight', 'ArrowRight'),
}
SELENIUM_KEYS = {
    'Return': Keys.RETURN, 'Escape': Keys.ESCAPE, 'F1': Keys.F1, 'Up': Keys.UP,
    'Down': Keys.DOWN, 'Left': Keys.LEFT, 'Right': Keys.RIGHT,
}


class HarnessError(AssertionError):
    pass


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class PageServer:
    """Serves a folder on 127.0.0.1 at a free port until closed."""

    def __init__(self, folder):
        handler = functools.partial(_QuietHandler, directory=str(folder))
        self.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def url(self, path):
        return 'http://127.0.0.1:%d/%s' % (self.server.server_address[1], path)

    def close(self):
        self.server.shutdown()
        self.server.server_close()


def chromium_options(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ('--headless=new', '--no-sandbox', '--use-angle=swiftshader',
                 '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist',
                 '--force-device-scale-factor=1', '--window-size=1024,800',
                 # The machine's network is closed: no connections of its own.
                 '--disable-background-networking', '--disable-component-update',
                 '--disable-sync', '--no-first-run', '--disable-quic',
                 '--disable-default-apps', '--user-data-dir=' + profile):
        options.add_argument(flag)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    return options


class HaldenPage:
    """One browser showing the program's page."""

    def __init__(self, web_build, before_start=None, page='halden.html'):
        name = page
        page = os.path.join(web_build, name)
        if not os.path.exists(page):
            raise FileNotFoundError(page)
        self.server = PageServer(web_build)
        self.profile = tempfile.mkdtemp(prefix='halden-chromium-')
        self.driver = None
        try:
            self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER),
                                           options=chromium_options(self.profile))
            self.driver.set_script_timeout(60)
            if before_start is not None:
                # Runs in the page before the program does (see web_shell.html).
                self.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {
                    'source': 'window.haldenBeforeStart = function (FS) { %s };' % before_start})
            self.loaded_at = time.monotonic()
            self.driver.get(self.server.url(name))
        except BaseException:
            self.close()
            raise

    def close(self):
        if self.driver is not None:
            try:
                self.driver.quit()
            except WebDriverException:
                pass
            self.driver = None
        self.server.close()
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # ---- What the page says ----

    def run(self, script, *args):
        return self.driver.execute_script(script, *args)

    def stats(self):
        return self.run('return HaldenPage.stats;')

    def frames(self):
        return self.run('return HaldenPage.stats.frames;')

    def title(self):
        return self.driver.title

    def status_line(self):
        return self.driver.find_element(By.ID, 'halden-status').text

    def console(self):
        return [entry['message'] for entry in self.driver.get_log('browser')]

    def printed(self):
        """What the program wrote to its standard output, line by line."""
        return self.run('return HaldenPage.printed;')

    def wait_until(self, what, condition, timeout=30.0):
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                raise HarnessError('timed out waiting for %s; page says "%s"; console: %s'
                                   % (what, self.status_line(), self.console()[-5:]))
            time.sleep(0.05)

    def open_box(self):
        """(caption, text) of the message box on show, or None."""
        return self.run("""
            var box = document.querySelector('dialog.halden-box[open]');
            return box ? [box.querySelector('.caption').textContent,
                          box.querySelector('.text').textContent] : null;""")

    def box_look(self):
        """(icon, button labels) of the message box on show, or None."""
        return self.run("""
            var box = document.querySelector('dialog.halden-box[open]');
            if (!box) return null;
            var icon = box.querySelector('.icon').className.replace('icon', '').trim();
            return [icon, Array.from(box.querySelectorAll('button')).map(function (b) {
              return b.textContent; })];""")

    def wait_for_box(self, caption, timeout=30.0):
        """Waits for the box with this caption, answering the multitexture
        notice (which every open shows where the driver offers it) on the
        way."""
        def shown():
            box = self.open_box()
            if box is not None and box[0] == PROBE_CAPTION and caption != PROBE_CAPTION:
                self.answer('Return')
                return None
            return box if box is not None and box[0] == caption else None
        return self.wait_until('the "%s" box' % caption, shown, timeout)

    def answer(self, key):
        """Answers the box on show with a real key press (Return or Escape)."""
        self.press(key)

    def boxes(self):
        """Every message box so far, in order: dicts of caption, text, type, answer."""
        return self.stats()['boxes']

    def answer_boxes(self, answers, timeout=30.0):
        """Answers boxes as they come, by caption, until the program runs frames.
        `answers` maps captions to keys; a probe notice is answered with Return."""
        answers = dict(answers)
        answers.setdefault(PROBE_CAPTION, 'Return')
        start = self.frames()
        def settled():
            box = self.open_box()
            if box is not None:
                if box[0] not in answers:
                    raise HarnessError('unexpected box "%s": %r' % (box[0], box[1]))
                self.answer(answers[box[0]])
                time.sleep(0.2)
                return False
            return self.frames() > start + 2
        self.wait_until('the program to draw', settled, timeout)

    def start_windowed(self):
        """Answers the start-up question No and waits for frames."""
        self.wait_for_box(START_CAPTION)
        self.answer_boxes({START_CAPTION: 'Escape'})

    def wait_for_end(self, timeout=30.0):
        return self.wait_until('the program to end',
                               lambda: self.stats()['status'] is not None or None, timeout) \
            and self.stats()['status']

    # ---- Keys ----

    def press(self, key):
        """A real key press and release, to whatever has the focus. A box
        answers on the key going down; the program only sees keys held
        across a frame step, so for it the key is held until it has presented
        two frames, as a person's press lasts longer than a frame (or until
        the program ends or shows a box)."""
        code = SELENIUM_KEYS[key]
        to_box = self.open_box() is not None
        start = self.frames()
        ActionChains(self.driver).key_down(code).perform()
        if to_box:
            time.sleep(0.05)
        else:
            deadline = time.monotonic() + 5.0
            while time.monotonic() < deadline:
                state = self.run('return [HaldenPage.stats.frames, HaldenPage.stats.status,'
                                 ' !!document.querySelector("dialog.halden-box[open]")];')
                if state[0] >= start + 2 or state[1] is not None or state[2]:
                    break
                time.sleep(0.01)
        ActionChains(self.driver).key_up(code).perform()

    def hold_steps(self, steps, timeout=30.0):
        """Runs room_screenshots-style steps ("B", "Up:5", ...) in the page: a
        key goes down when the program presents one frame and up when it has
        presented as many more as the step holds it (1 for a tap), then waits
        until a frame with the result has been presented."""
        plan = []
        for step in steps:
            name, _, count = step.partition(':')
            code, key = PAGE_KEYS[name]
            plan.append([code, key, int(count) if count else 1])
        self.driver.execute_async_script("""
            var plan = arguments[0], done = arguments[1];
            var index = 0, downAt = null, gapUntil = null;
            function send(type, step) {
              window.dispatchEvent(new KeyboardEvent(type, {code: step[0], key: step[1],
                                                            bubbles: true}));
            }
            function onFrame(frame) {
              if (gapUntil !== null) {
                if (frame < gapUntil) return;
                gapUntil = null;
              }
              if (index === plan.length) {
                HaldenPage.frameListeners.splice(HaldenPage.frameListeners.indexOf(onFrame), 1);
                done(frame);
                return;
              }
              var step = plan[index];
              if (downAt === null) {
                send('keydown', step);
                downAt = frame;
              } else if (frame === downAt + step[2]) {
                send('keyup', step);
                downAt = null;
                index += 1;
                // The frame after the release shows the step's result.
                gapUntil = frame + 1;
              }
            }
            HaldenPage.frameListeners.push(onFrame);""", plan)
        # One more frame, so that the frame presented shows the last step.
        last = self.frames()
        self.wait_until('a frame after the steps', lambda: self.frames() > last + 1, timeout)

    # ---- Pictures ----

    def canvas(self):
        return self.driver.find_element(By.CSS_SELECTOR, '.halden-window.shown canvas')

    def canvas_size(self):
        return tuple(self.run('var c = document.querySelector(".halden-window.shown canvas");'
                              'return [c.width, c.height];'))

    def canvas_picture(self):
        """What the window shows, as the browser composites it."""
        return read_picture(self.canvas().screenshot_as_png)

    def page_picture(self):
        return read_picture(self.driver.get_screenshot_as_png())
