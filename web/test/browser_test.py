#!/usr/bin/python3
"""The configurator page in a real browser: headless Chromium driven by Selenium.

Serves the built site on 127.0.0.1 (a free port), types into the editor and
looks for the errors at their lines, downloads an example's image and compares
it with the native tool's, renders an image back to text, leaves a screenshot
in build-web/test/, and at the end uses the page with the server gone. Prints
the load and compile times.

    /usr/bin/python3 web/test/browser_test.py [SITE_DIR] [NATIVE_TOOL]

The web server and the browser (through chromedriver) each run in a process
group of their own, which is ended when the test ends, whatever happens.
"""

import contextlib
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

from selenium import webdriver
from selenium.webdriver.chromium.remote_connection import ChromiumRemoteConnection
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.remote.file_detector import UselessFileDetector
from selenium.webdriver.support.ui import Select, WebDriverWait

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SITE = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-web"))
NATIVE = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "build", "bin", "vorlanex"))
SHOTS = os.path.join(SITE, "test")
TIMEOUT = 30


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_port(port, process, what):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        if process.poll() is not None:
            raise RuntimeError(f"{what} ended at start with status {process.returncode}")
        with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", port), 0.5):
            return
        time.sleep(0.1)
    raise RuntimeError(f"{what} did not listen on port {port}")


def end_group(process):
    """Ends the process and everything it started (its process group)."""
    if process.poll() is None:
        with contextlib.suppress(ProcessLookupError):
            os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            pass
    # Whatever of the group is left (a browser's helpers) goes as well.
    with contextlib.suppress(ProcessLookupError, PermissionError):
        os.killpg(process.pid, signal.SIGKILL)
    with contextlib.suppress(subprocess.TimeoutExpired):
        process.wait(5)


def native(*args, cwd=None):
    return subprocess.run([NATIVE, *args], cwd=cwd, capture_output=True, check=True, timeout=TIMEOUT)


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.groups = []
        cls.downloads = tempfile.mkdtemp(prefix="vorlanex-downloads-")
        try:
            cls.start()
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def start(cls):
        port = free_port()
        server = subprocess.Popen(
            [sys.executable, "-m", "http.server", "--bind", "127.0.0.1", str(port), "--directory", SITE],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        cls.groups.append(server)
        cls.server = server
        wait_for_port(port, server, "the web server")
        cls.url = f"http://127.0.0.1:{port}/"

        driver_port = free_port()
        chromedriver = subprocess.Popen(
            [shutil.which("chromedriver") or "/usr/bin/chromedriver", f"--port={driver_port}"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        cls.groups.append(chromedriver)
        wait_for_port(driver_port, chromedriver, "chromedriver")

        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
        for argument in ("--headless=new", "--disable-gpu", "--window-size=1280,860",
                         "--no-first-run", "--disable-dev-shm-usage"):
            options.add_argument(argument)
        if os.geteuid() == 0:
            options.add_argument("--no-sandbox")  # Chromium refuses to run as root otherwise
        options.add_experimental_option("prefs", {
            "download.default_directory": cls.downloads,
            "download.prompt_for_download": False,
        })
        # chromedriver's own connection, which knows the DevTools commands.
        connection = ChromiumRemoteConnection(f"http://127.0.0.1:{driver_port}", "goog", "chrome")
        cls.driver = webdriver.Remote(command_executor=connection, options=options)
        # The browser runs here: file inputs take our paths as they are.
        cls.driver.file_detector = UselessFileDetector()
        cls.cdp("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": cls.downloads})

    @classmethod
    def cdp(cls, command, parameters):
        return cls.driver.execute("executeCdpCommand", {"cmd": command, "params": parameters})["value"]

    @classmethod
    def tearDownClass(cls):
        driver = getattr(cls, "driver", None)
        if driver is not None:
            with contextlib.suppress(Exception):
                driver.quit()
        for process in reversed(cls.groups):
            end_group(process)
        shutil.rmtree(cls.downloads, ignore_errors=True)

    # ---- helpers -------------------------------------------------------------

    def open_page(self):
        self.driver.get(self.url)
        self.driver.execute_script("localStorage.clear()")
        self.driver.get(self.url)
        return self.wait(lambda d: d.execute_script(
            "const p = window.vorlanexPage; return p && p.timings.ready !== null "
            "&& document.querySelectorAll('#keys li').length > 0 ? p.timings.ready : null"))

    def wait(self, condition, timeout=TIMEOUT):
        return WebDriverWait(self.driver, timeout).until(condition)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def editor_text(self):
        return self.js("return window.vorlanexPage.text()")

    def type_text(self, text):
        content = self.driver.find_element(By.CSS_SELECTOR, ".cm-content")
        content.click()
        content.send_keys(Keys.CONTROL, "a")
        content.send_keys(Keys.DELETE)
        content.send_keys(text)
        self.wait(lambda d: self.editor_text() == text)

    def problem_lines(self):
        """The lines (from 1) that the list of problems names, each once."""
        return sorted(set(self.js("return [...document.querySelectorAll('#problems li[data-line]')]"
                                  ".map(li => Number(li.dataset.line))")))

    def marked_lines(self):
        """The editor's lines (from 1) that hold an error mark."""
        return self.js("""
            const lines = [...document.querySelectorAll('.cm-content > .cm-line')];
            return lines.flatMap((line, i) => line.querySelector('.cm-lintRange-error') ? [i + 1] : []);""")

    def downloaded(self, name):
        path = os.path.join(self.downloads, name)
        self.wait(lambda d: os.path.exists(path) and not os.path.exists(path + ".crdownload"))
        with open(path, "rb") as f:
            return f.read()

    def status(self):
        return self.driver.find_element(By.ID, "status").text

    # ---- the tests -----------------------------------------------------------

    def test_1_errors_appear_at_their_lines_as_one_types(self):
        ready = self.open_page()
        print(f"\nweb: the page's tool was ready {ready:.0f} ms after the navigation began", flush=True)
        cases = [
            ("F1: type hello\n# fine so far\nF3: bogus 3\nF5: type more\n", [3]),
            ("FIRE = RUNSTOP\nFIRE = F1\n", [2]),
            ("# comment\n\n\n\nF7: press NOSUCHKEY\n", [5]),
            ("F1: type fixed\n", []),
        ]
        for text, lines in cases:
            self.type_text(text)
            self.wait(lambda d: self.problem_lines() == lines and self.marked_lines() == lines,
                      timeout=10)
            self.assertEqual(self.marked_lines(), lines, text)
            expected = subprocess.run([NATIVE, "convert", "-", "/dev/null"], input=text.encode(),
                                      capture_output=True, timeout=TIMEOUT).stderr.decode()
            expected = expected.replace("reading from stdin...\n", "")
            shown = self.js("return [...document.querySelectorAll('#problems li[data-line]')]"
                            ".map(li => li.lastChild.textContent + '\\n').join('')")
            self.assertEqual(shown, expected, text)
        self.assertIn("no errors", self.status())

    def test_2_an_example_downloads_the_native_tools_image(self):
        self.open_page()
        Select(self.driver.find_element(By.ID, "examples")).select_by_value("slots.conf")
        self.wait(lambda d: self.editor_text().startswith(open(os.path.join(ROOT, "examples", "slots.conf")).read()[:20]))
        self.wait(lambda d: "no errors" in self.status())
        start = time.monotonic()
        self.driver.find_element(By.ID, "download-image").click()
        image = self.downloaded("slots.bin")
        clicked = (time.monotonic() - start) * 1000
        compile_ms = self.js("return window.vorlanexPage.timings.convert")
        print(f"web: compiling slots.conf took {compile_ms:.1f} ms in the page "
              f"({clicked:.0f} ms from the click to the downloaded file)", flush=True)
        expected = native("convert", os.path.join(ROOT, "examples", "slots.conf"), "-").stdout
        self.assertEqual(image, expected)

        self.driver.find_element(By.ID, "save-text").click()
        with open(os.path.join(ROOT, "examples", "slots.conf"), "rb") as f:
            self.assertEqual(self.downloaded("slots.conf"), f.read())

    def test_3_an_image_opens_as_text(self):
        self.open_page()
        with tempfile.TemporaryDirectory() as scratch:
            image = os.path.join(scratch, "switch.bin")
            native("convert", os.path.join(ROOT, "examples", "switch.conf"), image)
            native("convert", image, os.path.join(scratch, "switch.conf"))
            with open(os.path.join(scratch, "switch.conf")) as f:
                expected = f.read()
            picker = self.driver.find_element(By.ID, "file")
            self.js("arguments[0].hidden = false", picker)
            picker.send_keys(image)
            self.wait(lambda d: self.editor_text() == expected)
            self.assertEqual(self.driver.find_element(By.ID, "file-name").text, "switch.conf")

            # The current text's image, rendered back in the Image tab.
            self.type_text("F1: type hi\\n\nF3: set a3 1\n")
            self.driver.find_element(By.CSS_SELECTOR, "[data-tab=image]").click()
            self.driver.find_element(By.ID, "render").click()
            with open(os.path.join(scratch, "t.conf"), "w") as f:
                f.write("F1: type hi\\n\nF3: set a3 1\n")
            native("convert", "t.conf", "t.bin", cwd=scratch)
            native("convert", "t.bin", "back.conf", cwd=scratch)
            rendered = open(os.path.join(scratch, "back.conf")).read()
            self.wait(lambda d: d.find_element(By.ID, "rendered").text.strip() == rendered.strip())

    def test_4_the_page_needs_nothing_from_elsewhere_and_names_webusb(self):
        self.open_page()
        foreign = self.js("return performance.getEntriesByType('resource').map(e => e.name)"
                          ".filter(n => !n.startsWith(location.origin) && !n.startsWith('data:'))")
        self.assertEqual(foreign, [])
        self.assertIn("has WebUSB", self.driver.find_element(By.ID, "webusb").text)
        # A browser without WebUSB is told so plainly.
        script = self.cdp("Page.addScriptToEvaluateOnNewDocument",
                          {"source": "delete Navigator.prototype.usb;"})
        try:
            self.open_page()
            self.assertIn("This browser has no WebUSB", self.driver.find_element(By.ID, "webusb").text)
        finally:
            self.cdp("Page.removeScriptToEvaluateOnNewDocument", {"identifier": script["identifier"]})

    def test_5_screenshot(self):
        self.open_page()
        Select(self.driver.find_element(By.ID, "examples")).select_by_value("expansion.conf")
        self.wait(lambda d: "no errors" in self.status())
        # One mistake, to show how an error looks.
        content = self.driver.find_element(By.CSS_SELECTOR, ".cm-content")
        content.click()
        content.send_keys(Keys.CONTROL, Keys.END)
        content.send_keys("\nF7: set port e bit 9 1")
        self.wait(lambda d: len(self.problem_lines()) == 1)
        self.js("document.querySelector('.toast')?.remove()")
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, "page.png")
        self.assertTrue(self.driver.save_screenshot(path))
        print(f"web: screenshot {path}", flush=True)

    def test_6_once_loaded_it_works_without_the_server(self):
        self.open_page()
        self.wait(lambda d: self.js("return navigator.serviceWorker.controller !== null"))
        end_group(self.server)
        self.open_page()
        Select(self.driver.find_element(By.ID, "examples")).select_by_value("ports.conf")
        self.wait(lambda d: "no errors" in self.status())


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
