#!/usr/bin/python3
"""The program in a real browser (headless Chromium, WebGL on SwiftShader),
driven as a person would, its pictures compared with the Linux build's.

    web_scenarios.py --web-build DIR --reference-tool room_screenshots
                     --source DIR --output DIR SCENARIO

The Linux pictures are rendered by room_screenshots (the program on the
scripted layer with Mesa) through the same key steps the page is driven
through. Difference pictures are kept under --output for a person to look
at. Exits 77 (skipped) when the web build has not been made.
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from halden_browser import (FALLBACK_CAPTION, FIRST_TITLE, PROBE_CAPTION, REOPENED_TITLE,
                            START_CAPTION, HaldenPage, HarnessError)
from pictures import Difference, read_picture, scaled, write_picture

# A browser picture matches the Linux one when it is this close (fractions
# of full scale): rasterisation and filtering differ a little between
# SwiftShader and Mesa, mostly along edges.
MAX_RMS = 0.02
MAX_BLOCK = 0.25

SKIPPED = 77

# Window messages as Windows numbers them.
WM_SIZE = 0x0005
WM_ACTIVATE = 0x0006
WM_KEYDOWN = 0x0100
WM_KEYUP = 0x0101


class Scenario:
    def __init__(self, args):
        self.args = args
        self.failures = []

    def check(self, condition, message):
        if condition:
            print('ok: ' + message)
        else:
            print('FAILED: ' + message)
            self.failures.append(message)

    def page(self, before_start=None, page='halden.html'):
        return HaldenPage(self.args.web_build, before_start=before_start, page=page)

    def linux_pictures(self, views):
        """Renders the views on Linux; returns {name: Picture}."""
        folder = tempfile.mkdtemp(prefix='halden-linux-')
        specs = ['%s=%s' % (name, ','.join(steps)) for name, steps in views]
        subprocess.run([self.args.reference_tool, folder, self.args.source] + specs, check=True,
                       stdout=subprocess.DEVNULL)
        return {name: read_picture(os.path.join(folder, name + '.png')) for name, _ in views}

    def compare(self, name, browser, linux):
        """Checks a browser picture against the Linux one and keeps both and
        their difference under the output folder."""
        os.makedirs(self.args.output, exist_ok=True)
        write_picture(browser, os.path.join(self.args.output, name + '-browser.png'))
        write_picture(linux, os.path.join(self.args.output, name + '-linux.png'))
        if (browser.width, browser.height) != (linux.width, linux.height):
            self.check(False, '%s: browser picture %dx%d, Linux %dx%d' % (
                name, browser.width, browser.height, linux.width, linux.height))
            return None
        difference = Difference(browser, linux)
        write_picture(difference.picture(), os.path.join(self.args.output, name + '-difference.png'))
        self.check(difference.rms <= MAX_RMS and difference.largest_block <= MAX_BLOCK,
                   '%s matches Linux: %s' % (name, difference.summary()))
        return difference


# ---- Scenarios ----

def start_answered_no(s):
    """The start-up question, answered No: a 640 by 480 window titled Halden."""
    with s.page() as page:
        caption, text = page.wait_for_box(START_CAPTION)
        s.check(text == 'Would You Like To Run In Fullscreen Mode?', 'the start-up question: ' + text)
        s.check(page.box_look() == ['question', ['Yes', 'No']],
                'a question icon with Yes and No: %s' % page.box_look())
        page.answer_boxes({START_CAPTION: 'Escape'})
        first = page.boxes()[0]
        s.check(first['answer'] == 7 and first['type'] == 0x24,
                'Escape answered No to a Yes/No question box (type %#x)' % first['type'])
        s.check(page.canvas_size() == (640, 480), 'canvas %dx%d' % page.canvas_size())
        s.check(page.title() == FIRST_TITLE, 'title "%s"' % page.title())
        s.check(not page.run('return !!document.fullscreenElement;'), 'not fullscreen')
        before = page.frames()
        page.wait_until('more frames', lambda: page.frames() > before + 10)
        s.check(True, 'frames are presented (%d so far)' % page.frames())


PICTURE_VIEWS = [('day', []), ('bump', ['B']), ('night', ['B', 'N'])]


def room_pictures(s):
    """The room by day, with the bump floor and by night, against Linux."""
    linux = s.linux_pictures(PICTURE_VIEWS)
    with s.page() as page:
        page.start_windowed()
        for name, steps in PICTURE_VIEWS:
            page.hold_steps(steps)
            s.compare(name, page.canvas_picture(), linux[name])


CONTROL_VIEWS = [('start', []), ('forward', ['Up:5']), ('turned', ['Right:10']),
                 ('lit', ['N']), ('unlit', ['D']), ('floor', ['B']), ('floor-back', ['B']),
                 ('back', ['Left:10', 'Down:5'])]


def controls(s):
    """The arrows, N, D and B change the picture as they do on Linux."""
    linux = s.linux_pictures(CONTROL_VIEWS)
    with s.page() as page:
        page.start_windowed()
        previous = None
        for name, steps in CONTROL_VIEWS:
            page.run('HaldenPage.stats.messages.length = 0;')
            page.hold_steps(steps)
            if name == 'forward':
                # Up is an extended key: bit 24; its release sets bits 30 and 31.
                keys = [tuple(m[:3]) for m in page.stats()['messages']
                        if m[0] in (WM_KEYDOWN, WM_KEYUP)]
                s.check(keys == [(WM_KEYDOWN, 0x26, 0x01000001),
                                 (WM_KEYUP, 0x26, -0x3effffff)],
                        'Up as WM_KEYDOWN and WM_KEYUP: %s' % keys)
            picture = page.canvas_picture()
            s.compare('controls-' + name, picture, linux[name])
            if previous is not None and name not in ('back',):
                s.check(Difference(picture, previous).rms > 0.01,
                        '%s (%s) changed the picture' % (name, ','.join(steps)))
            previous = picture
        # Back where it started: the same picture as at the start.
        s.check(Difference(picture, linux['start']).rms <= MAX_RMS, 'back to the starting view')


def fullscreen_twice(s):
    """F1 twice: fullscreen (or its fallback question) and back, titled anew."""
    with s.page() as page:
        page.start_windowed()
        page.hold_steps(['N'])
        lit = page.canvas_picture()

        # Seen after the layer's own listener: the browser's help stays away.
        page.run('window.addEventListener("keydown", function (event) {'
                 '  if (event.code === "F1") window.f1Prevented = event.defaultPrevented; });')
        page.press('F1')
        def reopened():
            box = page.open_box()
            if box is not None and box[0] == FALLBACK_CAPTION:
                return 'fallback'
            if page.title() == REOPENED_TITLE and page.run(
                    'return !!document.querySelector(".halden-window.shown");'):
                return 'open'
            return None
        how = page.wait_until('the window to reopen', reopened)
        if how == 'fallback':
            s.check(True, 'the browser refused fullscreen: the fallback question came')
            page.answer_boxes({FALLBACK_CAPTION: 'Return'})
        else:
            page.answer_boxes({})
            fullscreen = page.run('return !!document.fullscreenElement;')
            s.check(fullscreen, 'fullscreen after F1')
            s.check(page.canvas_size() == (640, 480), 'the fullscreen drawing buffer is %dx%d'
                    % page.canvas_size())
            shown = page.run('var r = document.querySelector(".halden-window.shown canvas")'
                             '.getBoundingClientRect(); return [r.width, r.height];')
            s.check(shown[0] > 640 and shown[1] > 480,
                    'the 640x480 buffer fills the screen at %dx%d' % tuple(shown))
        s.check(page.title() == REOPENED_TITLE, 'title "%s"' % page.title())
        s.check(page.run('return window.f1Prevented;') is True,
                "F1's own use in the browser is prevented")

        page.press('F1')
        page.wait_until('windowed again', lambda: not page.run(
            'return !!document.fullscreenElement;') and page.run(
            'return !!document.querySelector(".halden-window.shown.resizable");'))
        page.answer_boxes({})
        s.check(page.title() == REOPENED_TITLE, 'title still "%s"' % page.title())
        s.check(page.canvas_size() == (640, 480), 'windowed canvas %dx%d' % page.canvas_size())
        again = page.canvas_picture()
        s.check(Difference(again, lit).rms <= 0.005,
                'the lit room is drawn again after two reopenings (%s)'
                % Difference(again, lit).summary())


def start_answered_yes(s):
    """Yes at start-up: the answer is the user activation fullscreen needs."""
    with s.page() as page:
        page.wait_for_box(START_CAPTION)
        page.answer('Return')
        def opened():
            box = page.open_box()
            if box is not None and box[0] == FALLBACK_CAPTION:
                return 'fallback'
            if box is not None and box[0] == PROBE_CAPTION:
                page.answer('Return')
            return 'open' if page.frames() > 2 else None
        how = page.wait_until('the program to draw', opened)
        if how == 'fallback':
            s.check(True, 'the browser refused fullscreen: the fallback question came')
            page.answer_boxes({FALLBACK_CAPTION: 'Escape'})
            page.wait_for_box('ERROR')
            s.check(page.open_box()[1] == 'Program Will Now Close.', 'No at the fallback closes')
        else:
            page.answer_boxes({})
            s.check(page.run('return document.fullscreenElement === '
                             'document.getElementById("halden-screen");'),
                    'the screen is fullscreen')
            s.check(page.run('return !!document.querySelector(".halden-window.popup.shown");'),
                    'the window is a fullscreen popup')
            page.press('Escape')  # leaves the browser's fullscreen, or ends the program
            if page.stats()['status'] is None:
                page.press('Escape')
            s.check(page.wait_for_end() == 0, 'Esc ends with status 0')


def escape_ends(s):
    """Esc ends the program with status 0, and the page says so."""
    with s.page() as page:
        page.start_windowed()
        page.press('Escape')
        status = page.wait_for_end()
        s.check(status == 0, 'exit status %s' % status)
        s.check('exit status 0' in page.status_line(), 'the page says "%s"' % page.status_line())
        s.check(not page.run('return !!document.querySelector(".halden-window");'),
                'the window is gone')


def page_closed(s):
    """Closing the page asks the program to close, and it ends with status 0."""
    with s.page() as page:
        page.start_windowed()
        page.run('window.dispatchEvent(new Event("beforeunload"));')
        status = page.wait_for_end(timeout=5)
        s.check(status == 0, 'a close request ends with status %s' % status)


def missing_picture(s):
    """Without Pic/wall.bmp: the loader's message, then Initialization Failed., status 1."""
    with s.page(before_start='FS.unlink("/Pic/wall.bmp");') as page:
        page.wait_for_box(START_CAPTION)
        page.answer('Escape')
        caption, text = page.wait_for_box('Error')
        s.check(text == 'Failed to open DIB file Pic/wall.bmp.\n',
                'the loader says %r' % text)
        s.check(page.box_look() == ['none', ['OK']], 'no icon, OK: %s' % page.box_look())
        page.answer('Return')
        caption, text = page.wait_for_box('ERROR')
        s.check(text == 'Initialization Failed.', 'then %r' % text)
        s.check(page.box_look() == ['exclamation', ['OK']],
                'an exclamation icon, OK: %s' % page.box_look())
        page.answer('Return')
        status = page.wait_for_end()
        s.check(status == 1, 'exit status %s' % status)
        s.check('exit status 1' in page.status_line(), 'the page says "%s"' % page.status_line())
        captions = [box['caption'] for box in page.boxes()]
        s.check(captions == [START_CAPTION, PROBE_CAPTION, 'Error', 'ERROR'],
                'the boxes, in order: %s' % captions)


def window_resized(s):
    """Resizing the window's frame resizes the canvas, and WM_SIZE fits the view."""
    linux = s.linux_pictures([('day', [])])
    with s.page() as page:
        page.start_windowed()
        page.run('document.querySelector(".halden-window.shown").style.width = "400px";'
                 'document.querySelector(".halden-window.shown").style.height = "300px";')
        page.wait_until('the canvas to follow', lambda: page.canvas_size() == (400, 300))
        last = page.frames()
        page.wait_until('a frame at the new size', lambda: page.frames() > last + 2)
        # Rendered at 400 by 300 the room aliases differently from a scaled
        # picture, so both are compared at a fifth of that size.
        s.compare('resized', scaled(page.canvas_picture(), 80, 60), scaled(linux['day'], 80, 60))


def fixed_function_probe(s):
    """The layer's OpenGL against Mesa's, case by case: the probe program
    draws the same cells in the browser and on the scripted layer."""
    native = subprocess.run([s.args.probe], capture_output=True, text=True, check=True).stdout
    with s.page(page='gl_probe.html') as page:
        page.wait_for_end()
        browser = '\n'.join(page.printed())
    def readings(text):
        out = {}
        for line in text.splitlines():
            fields = line.split()
            if len(fields) == 6:
                out[(fields[0], int(fields[1]), int(fields[2]))] = tuple(map(int, fields[3:]))
        return out
    mesa, web = readings(native), readings(browser)
    s.check(len(mesa) > 100 and set(mesa) == set(web),
            '%d readings on Mesa, %d in the browser' % (len(mesa), len(web)))
    worst = {}
    for key, expected in mesa.items():
        got = web.get(key)
        if got is None:
            continue
        worst[key[0]] = max(worst.get(key[0], 0), max(abs(a - b) for a, b in zip(got, expected)))
        if max(abs(a - b) for a, b in zip(got, expected)) > 2:
            s.check(False, '%s at (%d, %d): browser %s, Mesa %s' % (key + (got, expected)))
    s.check(True, 'largest difference per case: ' +
            ', '.join('%s %d' % entry for entry in sorted(worst.items())))


def page_hidden(s):
    """The page hidden (another tab in front) and shown again: the program
    waits meanwhile, then draws the room as before (minimised and restored:
    its viewport is back at 640 by 480)."""
    linux = s.linux_pictures([('day', [])])
    with s.page() as page:
        page.start_windowed()
        driver = page.driver
        page.run('window.visibilityLog = [];'
                 'document.addEventListener("visibilitychange", function () {'
                 '  visibilityLog.push([document.visibilityState, HaldenPage.stats.frames]); });')
        page.run('HaldenPage.stats.messages.length = 0;')
        first = driver.current_window_handle
        driver.switch_to.new_window('tab')
        time.sleep(1.0)
        driver.close()
        driver.switch_to.window(first)
        log = page.wait_until('the page shown again',
                              lambda: len(page.run('return visibilityLog;')) >= 2 and
                              page.run('return visibilityLog;'))
        s.check([entry[0] for entry in log[:2]] == ['hidden', 'visible'],
                'hidden, then shown: %s' % log)
        s.check(log[1][1] - log[0][1] <= 2, 'no frames while hidden (%d)' % (log[1][1] - log[0][1]))
        last = page.frames()
        page.wait_until('frames again', lambda: page.frames() > last + 3)
        # As Windows tells a window that is minimised and restored.
        told = [tuple(m[:3]) for m in page.stats()['messages'] if m[0] in (WM_ACTIVATE, WM_SIZE)]
        expected = [(WM_ACTIVATE, 0x10000, 0), (WM_SIZE, 1, 0), (WM_SIZE, 0, 480 << 16 | 640),
                    (WM_ACTIVATE, 1, 0)]
        s.check(told == expected, 'minimised and restored: %s' % told)
        s.compare('shown-again', page.canvas_picture(), linux['day'])


SCENARIOS = {
    'page_hidden': page_hidden,
    'fixed_function_probe': fixed_function_probe,
    'start_answered_no': start_answered_no,
    'room_pictures': room_pictures,
    'controls': controls,
    'fullscreen_twice': fullscreen_twice,
    'start_answered_yes': start_answered_yes,
    'escape_ends': escape_ends,
    'page_closed': page_closed,
    'missing_picture': missing_picture,
    'window_resized': window_resized,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument('--web-build', required=True)
    parser.add_argument('--reference-tool', required=True)
    parser.add_argument('--source', required=True, help='the folder holding Pic/')
    parser.add_argument('--output', required=True)
    parser.add_argument('--probe', help='the fixed-function probe built for the scripted layer')
    parser.add_argument('scenario', choices=sorted(SCENARIOS))
    args = parser.parse_args()
    if not os.path.exists(os.path.join(args.web_build, 'halden.html')):
        print('skipped: no web build at %s (cmake --preset web && cmake --build --preset web)'
              % args.web_build)
        return SKIPPED
    scenario = Scenario(args)
    try:
        SCENARIOS[args.scenario](scenario)
    except HarnessError as error:
        scenario.check(False, str(error))
    if scenario.failures:
        print('%d check(s) failed' % len(scenario.failures))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
