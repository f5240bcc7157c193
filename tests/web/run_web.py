#!/usr/bin/python3
"""The page in a real headless Chromium, driven through Selenium: it burns with a clean console, its seeded
bonfire is the native renderer's, its text fuel lies between the two programs', its controls change the fire
and refuse what code page 932 lacks, and the settings file it saves is read by the core and burned by the X11
program. The static files are served from this process on a free port of 127.0.0.1; the browser and its driver
end with the test however it ends (tools/watchdog.py).

    run_web.py --site BUILD/web --program .../tamblorn --render .../tamblorn-render --work-dir ...
               --describe .../tamblorn-describe .../tamblorn-describe-altered
"""

import argparse
import base64
import functools
import http.server
import os
import re
import shutil
import subprocess
import sys
import threading
import unittest

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, '..', 'x11'), os.path.join(HERE, '..')]
import native_run  # noqa: E402
import run_x11 as x11  # noqa: E402
import screen  # noqa: E402
import stage  # noqa: E402
from selenium import webdriver  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402
from selenium.webdriver.remote.remote_connection import RemoteConnection  # noqa: E402

WAIT = 60.0  # an upper bound for a loaded machine: the checks wait for states, they judge no time
# A page that stops answering (a script that never returns) ends a browser command with an error within this,
# and every later test fails at once instead of waiting on it again.
COMMAND_WAIT = 45.0
SEED, TICKS = 7, 60
# The Windows program's fuel points for the default text come recorded (windows.render_check holds them),
# the X11 program's from the native renderer at each run.
BAND_MARGIN = 0.01  # the browser's edges of the same face: a hundredth either side of the band
TYPED_TEXT, TYPED_SIZE = 'Tamblorn 火', '40'
CONFIG = argparse.Namespace()
NOT_QUIET = ('SEVERE', 'WARNING')

CANVAS_RGB = '''const f = canvasFacts(); const d = context.getImageData(f.left, f.top, f.width, f.height).data;
let s = ''; for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);
return [f.width, f.height, btoa(s)];'''


def serve(folder):
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=folder)
    handler.func.log_message = lambda *args: None
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def children(pid):
    """The process's children, whichever of its threads started them."""
    found = []
    for task in os.listdir('/proc/%d/task' % pid):
        with open('/proc/%d/task/%s/children' % (pid, task)) as listing:
            found += [int(child) for child in listing.read().split()]
    return found


def start_browser():
    options = webdriver.ChromeOptions()
    for argument in ('--headless=new', '--no-sandbox', '--window-size=1024,768', '--lang=ja'):
        options.add_argument(argument)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    RemoteConnection.set_timeout(COMMAND_WAIT * stage.WAIT_SCALE)
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.set_page_load_timeout(COMMAND_WAIT * stage.WAIT_SCALE)
    driver.set_script_timeout(COMMAND_WAIT * stage.WAIT_SCALE)
    driver_pid = driver.service.process.pid
    watched = [driver_pid] + children(driver_pid)
    subprocess.Popen([sys.executable, os.path.join(HERE, '..', '..', 'tools', 'watchdog.py'), str(os.getpid())] +
                     [argument for pid in watched for argument in ('--pid', str(pid))], start_new_session=True)
    return driver


def render(*args, config=''):
    """The renderer's summary, with the settings file of the work folder's `config` (none there: the defaults)."""
    return native_run.render(CONFIG, *args, config_home=os.path.join(CONFIG.work_dir, config))


class Page(unittest.TestCase):
    unanswered = None  # the first browser command that got no answer

    @classmethod
    def setUpClass(cls):
        cls.server = serve(CONFIG.site)
        cls.browser = start_browser()

    @classmethod
    def tearDownClass(cls):
        if not Page.unanswered:
            cls.browser.quit()  # else the watchdog ends the browser and its driver
        cls.server.shutdown()

    def setUp(self):
        if Page.unanswered:
            self.fail('not run: the browser stopped answering (%s)' % Page.unanswered)

    def run(self, result=None):
        errors = len(result.errors)
        outcome = super().run(result)
        for test, trace in result.errors[errors:]:
            if re.search(r'TimeoutException|ReadTimeoutError|TimeoutExpired', trace):
                Page.unanswered = trace.strip().splitlines()[-1]
        return outcome

    def open(self, query='', state='burning'):
        self.browser.get('http://127.0.0.1:%d/%s' % (self.server.server_port, query))
        stage.wait_for(lambda: self.state() != 'loading', WAIT)
        self.assertEqual(self.state(), state, self.browser.get_log('browser'))

    def state(self):
        return self.browser.execute_script('return document.body.dataset.state')

    def facts(self):
        return self.browser.execute_script('return canvasFacts()')

    def lit(self):
        width, height, rgb = self.browser.execute_script(CANVAS_RGB)
        return sum(base64.b64decode(rgb))

    def test_page_burns_with_a_clean_console(self):
        self.open()
        # Before the test's own read-backs warn; a busy machine adds verbose notes of slow handlers.
        self.assertEqual([entry for entry in self.browser.get_log('browser') if entry['level'] in NOT_QUIET], [])
        self.assertTrue(stage.wait_for(self.lit, WAIT), 'no fire on the canvas')
        print('first frame %s ms after the page was asked for' %
              self.browser.execute_script('return document.body.dataset.firstFrame'))

    def test_seeded_bonfire_equals_the_renderers_dump(self):
        self.open('?mode=bonfire&seed=%d&ticks=%d' % (SEED, TICKS), 'held')
        width, height, rgb = self.browser.execute_script(CANVAS_RGB)
        raw = os.path.join(CONFIG.work_dir, 'bonfire.raw')
        render('--bonfire', '--seed', str(SEED), '--ticks', str(TICKS), '--raw', raw)
        self.assertEqual((width, height, base64.b64decode(rgb)), screen.raw_canvas(raw))

    def test_text_fuel_lies_between_the_programs(self):
        self.open()
        native = int(re.search(r'fuel (\d+)', render('--ticks', '0')).group(1))
        page = self.facts()['fuel']
        low, high = sorted((native, CONFIG.windows_fuel))
        print('text fuel points: page %d, X11 program %d, Windows program %d' % (page, native, CONFIG.windows_fuel))
        self.assertGreaterEqual(page, low * (1 - BAND_MARGIN))
        self.assertLessEqual(page, high * (1 + BAND_MARGIN))

    def test_controls_change_the_fire_and_the_saved_file_burns_in_the_x11_program(self):
        field = self.browser.find_element
        # The size's range, the strengths and the text's bytes are the settings table's, as built and as
        # built from a table with another size range.
        for folder, describe in zip(('altered/', ''), reversed(CONFIG.describe)):
            self.open(folder)
            ranges = subprocess.run([describe, '--ranges'], check=True, stdout=subprocess.PIPE,
                                    timeout=WAIT).stdout.decode().split()
            offered = [field(By.ID, 'size').get_attribute(end) for end in ('min', 'max')]
            offered += ['strengths'] + [option.get_attribute('value') for option in
                                        field(By.ID, 'strength').find_elements(By.TAG_NAME, 'option')]
            self.assertEqual(['size'] + offered + ['text', field(By.ID, 'bytes').text.split('/')[1].split()[0]],
                             ranges, folder)
        text = field(By.ID, 'text')
        text.clear()
        text.send_keys(TYPED_TEXT)
        typed = self.facts()
        self.assertEqual(typed['width'], 11 * 32)  # 11 bytes at the default 32 pixels
        text.send_keys('é')  # Windows would write it as "e" by best fit
        self.assertIn('「é」', field(By.ID, 'refusal').text)
        self.assertEqual(text.get_attribute('aria-invalid'), 'true')
        # The same canvas and fuel; the strength's level grows with the time the typing took.
        self.assertEqual(dict(self.facts(), level=None), dict(typed, level=None))
        text.send_keys(Keys.BACKSPACE)
        size = field(By.ID, 'size')
        size.clear()
        size.send_keys(TYPED_SIZE, Keys.TAB)
        self.assertEqual(self.facts()['width'], 11 * int(TYPED_SIZE))
        field(By.CSS_SELECTOR, 'input[name=mode][value="1"]').click()
        self.assertEqual(self.facts()['width'], 286)  # the logs' canvas
        field(By.CSS_SELECTOR, 'input[name=mode][value="0"]').click()
        field(By.CSS_SELECTOR, '#strength option[value="6"]').click()  # read back from the saved file below
        field(By.ID, 'loop').click()
        self.save_file('saved')
        self.assertEqual(render('--show-settings', config='saved').split(),
                         ['text', TYPED_TEXT.encode('cp932').hex(), 'size', TYPED_SIZE, 'limit', '6', 'loop', '1',
                          'fire', '0'])
        self.burns_in_the_x11_program()

    def test_full_screen_ends_on_a_key_or_a_move_and_a_new_size_recentres(self):
        self.open()
        # The page's class follows the full-screen changes once it has handled them.
        full = lambda: self.browser.execute_script("return document.body.classList.contains('full')")  # noqa: E731
        for leave in (ActionChains(self.browser).send_keys('a'), ActionChains(self.browser).move_by_offset(3, 3)):
            self.browser.find_element(By.ID, 'full').click()
            self.assertTrue(stage.wait_for(full, WAIT))
            ActionChains(self.browser).move_by_offset(1, 1).perform()  # the first move marks where the pointer stands
            leave.perform()
            self.assertTrue(stage.wait_for(lambda: not full(), WAIT))
        self.browser.set_window_size(800, 600)
        width = self.browser.execute_script('return innerWidth')
        left = (width - native_run.CANVAS_SIZE[0]) // 2
        self.assertTrue(stage.wait_for(lambda: self.facts()['left'] == left, WAIT), self.facts())

    def open_file(self, path):
        """Picks the file in the page's file input, and waits until the page has read it."""
        opened = lambda: self.browser.execute_script('return document.body.dataset.filesOpened || "0"')  # noqa: E731
        before = opened()
        self.browser.find_element(By.ID, 'file').send_keys(path)
        self.assertTrue(stage.wait_for(lambda: opened() != before, WAIT), 'the page did not read %s' % path)

    def save_file(self, config):
        """Presses the save button: the browser downloads the file where the programs read it for `config`."""
        folder = os.path.join(CONFIG.work_dir, config, 'tamblorn')
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        self.browser.execute_cdp_cmd('Page.setDownloadBehavior', {'behavior': 'allow', 'downloadPath': folder})
        self.browser.find_element(By.ID, 'save').click()
        path = os.path.join(folder, 'TamblornScrS')
        self.assertTrue(stage.wait_for(lambda: os.path.exists(path), WAIT), 'the save button saved no file')
        with open(path, 'rb') as saved:
            return saved.read()

    def test_a_utf8_file_shows_and_saves_what_the_x11_program_reads_and_is_read_again_when_picked_again(self):
        self.open()
        text = '火の鳥が夜空を焦がし続ける赤い炎と白い煙'  # 40 bytes of Shift-JIS: one character past the 39
        original = ('[BURNING]\nTEXT=%s\n; 日本語のメモ\n[FONT]\nSIZE=40\n' % text).encode()
        path = native_run.settings_path(os.path.join(CONFIG.work_dir, 'utf8'), original)
        read = render('--show-settings', config='utf8').split()
        shown = bytes.fromhex(read[1]).decode('cp932')
        self.assertEqual(shown, text[:19])
        self.open_file(path)
        self.assertEqual(self.browser.find_element(By.ID, 'text').get_attribute('value'), shown)
        saved = self.save_file('utf8-saved')
        # Only the text was cut, on a whole character, in UTF-8; the missing keys follow.
        self.assertTrue(saved.startswith(original.replace(text.encode(), shown.encode())), saved)
        self.assertEqual(render('--show-settings', config='utf8-saved').split(), read)
        changed = original.replace(text.encode(), '燃える'.encode()).replace(b'SIZE=40', b'SIZE=48')
        native_run.settings_path(os.path.join(CONFIG.work_dir, 'utf8'), changed)
        self.open_file(path)
        self.assertEqual(self.browser.find_element(By.ID, 'text').get_attribute('value'), '燃える')
        self.assertEqual(self.browser.find_element(By.ID, 'size').get_attribute('value'), '48')

    def test_values_that_cannot_burn_burn_their_defaults_named_on_the_page(self):
        self.open()
        path = native_run.settings_path(os.path.join(CONFIG.work_dir, 'unburnable'), b'[BURNING]\r\nTEXT=" "\r\n[FONT]\r\nSIZE=200\r\n[WHITCH]\r\nFIRE=7\r\n')
        self.open_file(path)
        words = self.browser.find_element(By.ID, 'mended').text
        for named in ('FIRE', ' 7 ', 'SIZE', '-56', 'TEXT'):
            self.assertIn(named, words)
        self.assertGreater(self.facts()['fuel'], 0)
        self.assertEqual(self.browser.find_element(By.ID, 'size').get_attribute('value'), '32')
        self.assertEqual(self.browser.find_element(By.ID, 'text').get_attribute('value'), '五字送り火')
        self.save_file('unburnable-saved')
        self.assertEqual(render('--show-settings', config='unburnable-saved').split(),
                         ['text', '五字送り火'.encode('cp932').hex(), 'size', '32', 'limit', '12', 'loop', '0',
                          'fire', '0'])

    def burns_in_the_x11_program(self):
        x11.CONFIG.program, x11.CONFIG.work_dir = CONFIG.program, os.path.join(CONFIG.work_dir, 'saved')
        stage.STAGE.display, xvfb = stage.start_display(range(540, 560))
        try:
            _, window = x11.make_window(self)
            code, errors = x11.finish(x11.start(['-window-id', str(window), '-seed', str(SEED), '-ticks', str(TICKS)]))
            self.assertEqual(code, 0, errors)
            shot = screen.window_image(window)
        finally:
            self.doCleanups()  # the window's holder, before its display goes
            stage.stop_display(xvfb)
        raw = os.path.join(CONFIG.work_dir, 'saved-text.raw')
        render('--loop', '--seed', str(SEED), '--ticks', str(TICKS), '--client', '%dx%d' % x11.TARGET_SIZE,
               '--raw', raw, config='saved')
        native_run.assert_renderers_canvas(self, shot, raw)


def main():
    parser = argparse.ArgumentParser()
    for option in ('--site', '--program', '--render', '--work-dir'):
        parser.add_argument(option, required=True)
    parser.add_argument('--describe', nargs=2, required=True, help='as built, then from the altered table')
    parser.add_argument('--windows-fuel', type=int, required=True)
    parser.parse_args(namespace=CONFIG)
    CONFIG.work_dir = os.path.abspath(CONFIG.work_dir)  # a relative XDG_CONFIG_HOME counts for nothing
    os.makedirs(CONFIG.work_dir, exist_ok=True)
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(Page)
    return 0 if unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful() else 1


if __name__ == '__main__':
    sys.exit(main())
