#!/usr/bin/python3
"""Figures of the page (a benchmark, not a test): the CPU of headless Chromium burning the default text on a
1024x768 page over 20 s, beside the same Chromium redrawing a canvas of 8x8 pixels at the same tick (the cost of
its frame pipeline alone) and the X11 program on a 1024x768 virtual display in the same run; the sizes of what
the page loads; its first frame after load. With PICTURE, the page as it burns after the 20 s, as a PNG.

    tools/web-bench.py [SITE] [PROGRAM] [PICTURE]    (defaults: build/web, build/deb/tamblorn)
"""

import functools
import http.server
import os
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
CPU_SECONDS, SETTLE_SECONDS, LOADS = 20, 2, 5
FRAME_PIPELINE_PAGE = '''<!DOCTYPE html><link rel="icon" href="data:,"><body style="background:#000" data-first-frame="1">
<canvas id="c" width="8" height="8"></canvas><script>let i = 0; const c = document.getElementById('c').getContext('2d');
setInterval(() => { c.fillStyle = i++ % 2 ? '#f00' : '#ff0'; c.fillRect(0, 0, 8, 8); }, 100);</script>'''
TICKS_PER_SECOND = os.sysconf('SC_CLK_TCK')


def cpu_ticks(pids):
    total = 0
    for pid in pids:
        try:
            with open('/proc/%d/stat' % pid) as stat:
                fields = stat.read().rsplit(')', 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except OSError:
            pass
    return total


def descendants(pid):
    found, queue = [], [pid]
    while queue:
        current = queue.pop()
        found.append(current)
        try:
            for task in os.listdir('/proc/%d/task' % current):
                with open('/proc/%d/task/%s/children' % (current, task)) as listing:
                    queue += [int(child) for child in listing.read().split()]
        except OSError:
            pass
    return found


def shares(*groups):
    """Per cent of one core that each group of processes (a function giving their ids) takes in one interval."""
    time.sleep(SETTLE_SECONDS)
    before = [cpu_ticks(pids_of()) for pids_of in groups]
    time.sleep(CPU_SECONDS)
    return [100.0 * (cpu_ticks(pids_of()) - start) / TICKS_PER_SECOND / CPU_SECONDS
            for pids_of, start in zip(groups, before)]


def page_figures(site, label, picture=None):
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=site)
    handler.func.log_message = lambda *args: None
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    options = webdriver.ChromeOptions()
    for argument in ('--headless=new', '--no-sandbox', '--window-size=1024,900'):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    try:
        driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': 1024, 'height': 768, 'deviceScaleFactor': 1, 'mobile': False})
        url = 'http://127.0.0.1:%d/' % server.server_port
        firsts = []
        for _ in range(LOADS if picture is not None else 1):
            driver.get(url)
            while not driver.execute_script('return document.body.dataset.firstFrame'):
                time.sleep(0.05)
            firsts.append(int(driver.execute_script('return document.body.dataset.firstFrame')))
        size = driver.execute_script('return [innerWidth, innerHeight]')
        if picture is not None:
            print('First frame after the page was asked for, %d loads: %s ms' % (LOADS, sorted(firsts)))
        chromium = lambda: descendants(driver.service.process.pid)[1:]  # noqa: E731
        print('%s %dx%d: headless Chromium (all its processes) %.2f %% of one core over %d s' %
              (label, size[0], size[1], shares(chromium)[0], CPU_SECONDS))
        if picture:
            driver.save_screenshot(picture)
    finally:
        driver.quit()
        server.shutdown()


def x11_figures(program):
    env = dict(os.environ, TAMBLORN_OWNER_PID=str(os.getpid()), TAMBLORN_SCREEN='1024x768x24')
    number, xvfb = subprocess.run(['bash', os.path.join(ROOT, 'tools', 'start-display.sh'), '560', '580'], env=env,
                                  stdout=subprocess.PIPE, check=True).stdout.split()
    saver = subprocess.Popen([program, '-root'], env=dict(os.environ, DISPLAY=':' + number.decode()),
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        alone, server = shares(lambda: [saver.pid], lambda: [int(xvfb)])
        print('X11 program -root on 1024x768: %.2f %% of one core, the X server %.2f %%' % (alone, server))
    finally:
        saver.kill()
        saver.wait()
        subprocess.run(['kill', xvfb.decode()])


def main():
    site = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build', 'web')
    program = sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, 'build', 'deb', 'tamblorn')
    sizes = {name: os.path.getsize(os.path.join(site, name)) for name in sorted(os.listdir(site))}
    print('Sizes: %s; without the logs picture %d bytes' % (
        ', '.join('%s %d' % item for item in sizes.items()),
        sum(size for name, size in sizes.items() if name != 'logs.bmp')))
    page_figures(site, 'The page', sys.argv[3] if len(sys.argv) > 3 else '')
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, 'index.html'), 'w') as page:
            page.write(FRAME_PIPELINE_PAGE)
        page_figures(folder, 'A canvas of 8x8 redrawn every 100 ms')
    x11_figures(program)
    print('load average: %s' % ' '.join(open('/proc/loadavg').read().split()[:3]))


if __name__ == '__main__':
    main()
