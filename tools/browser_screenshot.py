#!/usr/bin/python3
"""Takes the README's picture of the program in a browser: the web build's
page in headless Chromium, windowed, with the lights on, saved as a PNG.

    tools/browser_screenshot.py [--web-build build/web] [docs/browser.png]
"""

import argparse
import os
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, '..', 'tests', 'web'))

from halden_browser import HaldenPage  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--web-build', default=os.path.join(here, '..', 'build', 'web'))
    parser.add_argument('output', nargs='?', default=os.path.join(here, '..', 'docs',
                                                                  'browser.png'))
    args = parser.parse_args()
    with HaldenPage(args.web_build) as page:
        page.start_windowed()
        page.hold_steps(['N', 'Right:6'])
        # The page's content: the window, the status line and the help.
        box = page.run('var r = document.querySelector("main").getBoundingClientRect();'
                       'return [r.left, r.top, r.width, r.height];')
        shot = page.driver.get_screenshot_as_png()
    left, top, width, height = (int(round(v)) for v in box)
    subprocess.run(['convert', 'png:-', '-crop', '%dx%d+%d+%d' % (width, height, left, top),
                    '+repage', args.output], input=shot, check=True)
    print(args.output)
    return 0


if __name__ == '__main__':
    sys.exit(main())
