#!/usr/bin/python3
"""The program in headless Chromium (WebGL on SwiftShader) at 640 by 480:
frames per second with the lights off and on, the time from loading the page
to the first frame, and the size a browser downloads.

    bench/web_bench.py [--web-build build/web] [--seconds 5] [--runs 3]

Frames are paced to the display (requestAnimationFrame; 60 a second in
headless Chromium), so the rate says whether the program keeps up; "frame
work" is the time the program runs between one frame and the next (the
vertex stage, the draws and the controls), which says how much room is left.
The first frame is timed from the start of the navigation; the time the
start-up question waits for its answer (given by the benchmark as soon as it
shows) is reported apart and left out.
"""

import argparse
import gzip
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'web'))

from halden_browser import START_CAPTION, HaldenPage  # noqa: E402

DOWNLOADED = ('halden.html', 'halden.js', 'halden.wasm', 'halden.data')


def download_size(web_build):
    rows = []
    for name in DOWNLOADED:
        with open(os.path.join(web_build, name), 'rb') as f:
            data = f.read()
        rows.append((name, len(data), len(gzip.compress(data, 9))))
    return rows


def measure_rate(page, seconds):
    """Frames presented per second over `seconds`, and the mean frame work."""
    before = page.stats()
    start = time.monotonic()
    time.sleep(seconds)
    after = page.stats()
    elapsed = time.monotonic() - start
    frames = after['frames'] - before['frames']
    busy = after['busyMilliseconds'] - before['busyMilliseconds']
    busy_frames = after['busyFrames'] - before['busyFrames']
    return frames / elapsed, busy / busy_frames if busy_frames else float('nan')


def one_run(web_build, seconds):
    with HaldenPage(web_build) as page:
        page.wait_for_box(START_CAPTION)
        page.answer('Escape')
        page.answer_boxes({})
        timing = page.run("""
            var nav = performance.getEntriesByType('navigation')[0];
            return {first: HaldenPage.stats.firstFrameAt, boxes: HaldenPage.stats.boxMilliseconds,
                    ready: HaldenPage.stats.runtimeReadyAt,
                    loaded: nav ? nav.loadEventEnd : null};""")
        time.sleep(1.0)  # let the start settle
        off = measure_rate(page, seconds)
        page.hold_steps(['N'])
        time.sleep(0.5)
        on = measure_rate(page, seconds)
        return timing, off, on


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--web-build', default=os.path.join(here, '..', 'build', 'web'))
    parser.add_argument('--seconds', type=float, default=5.0)
    parser.add_argument('--runs', type=int, default=3)
    args = parser.parse_args()
    if not os.path.exists(os.path.join(args.web_build, 'halden.html')):
        print('no web build at %s: cmake --preset web && cmake --build --preset web'
              % args.web_build)
        return 2

    print('Download (bytes as served, and gzip -9):')
    total = [0, 0]
    for name, size, packed in download_size(args.web_build):
        print('  %-12s %9d  %9d' % (name, size, packed))
        total[0] += size
        total[1] += packed
    print('  %-12s %9d  %9d' % ('total', total[0], total[1]))

    firsts, starts, rates_off, rates_on, work_off, work_on = [], [], [], [], [], []
    for run in range(args.runs):
        timing, off, on = one_run(args.web_build, args.seconds)
        first = timing['first'] - timing['boxes']
        firsts.append(first)
        rates_off.append(off[0])
        rates_on.append(on[0])
        work_off.append(off[1])
        work_on.append(on[1])
        print('run %d: first frame %.0f ms after navigation (code ready at %.0f ms; %.0f ms '
              'waiting for answers to boxes); lights off %.1f frames/s (frame work %.2f ms), '
              'lights on %.1f frames/s (%.2f ms)'
              % (run + 1, timing['first'], timing['ready'], timing['boxes'], off[0], off[1],
                 on[0], on[1]))
    print('median: first frame %.0f ms after loading began (answer time left out); '
          'lights off %.1f frames/s, frame work %.2f ms; lights on %.1f frames/s, '
          'frame work %.2f ms'
          % (statistics.median(firsts), statistics.median(rates_off),
             statistics.median(work_off), statistics.median(rates_on),
             statistics.median(work_on)))
    return 0


if __name__ == '__main__':
    sys.exit(main())
