#!/usr/bin/env python3
"""The explorer in Debian's headless Chromium, against quellarin-render
--serve on 127.0.0.1: the canvas is the server's image of the view in the
address, a wheel notch halves the radius about the pointer, a drag moves the
centre by its pixels, back returns to the view before, the panel shows the
command line's refusal, and a journey of wheel notches reaches below 1e-20.

usage: explorer_test.py RENDERER [SCREENSHOT.png]
"""
import os
import sys
import unittest
from decimal import Decimal, getcontext
from urllib.parse import parse_qs, urlsplit

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

import server_test

SCREENSHOT = None
getcontext().prec = 60
# Every wait is for the page's own state; the bound only fails a hang.
BOUND = 120


class ExplorerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = server_test.Server()
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=800,500",
                         "--force-device-scale-factor=1", "--disable-dev-shm-usage"]:
            options.add_argument(argument)
        cls.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        cls.base = f"http://127.0.0.1:{cls.server.port}"

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.stop()

    def wait_ready(self, previous=None):
        """Waits for a finished image whose view differs from previous."""
        WebDriverWait(self.driver, BOUND).until(lambda d: d.execute_script(
            "return document.body.dataset.state === 'ready' && document.body.dataset.view !== arguments[0]",
            previous))
        return self.view()

    def view(self):
        return {k: v[0] for k, v in parse_qs(urlsplit(self.driver.current_url).query).items()}

    def canvas_size(self):
        return self.driver.execute_script("const c = document.getElementById('view'); return [c.width, c.height];")

    def canvas_differs_from_image(self):
        """Pixels of the canvas that differ from /image of the address's view at the canvas's size."""
        return self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            const canvas = document.getElementById('view');
            const url = '/image?' + location.search.slice(1) + '&size=' + canvas.width + 'x' + canvas.height;
            fetch(url).then(r => r.blob()).then(createImageBitmap).then(bitmap => {
                const other = new OffscreenCanvas(canvas.width, canvas.height).getContext('2d');
                other.drawImage(bitmap, 0, 0);
                const a = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
                const b = other.getImageData(0, 0, canvas.width, canvas.height).data;
                let differ = 0;
                for (let i = 0; i < a.length; i += 4)
                    if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) ++differ;
                done(differ);
            }).catch(e => done('failed: ' + e));""")

    def wheel(self, delta_y, x, y):
        self.driver.execute_script("""
            const c = document.getElementById('view');
            c.dispatchEvent(new WheelEvent('wheel', {deltaY: arguments[0], deltaMode: 0, clientX: arguments[1],
                                                     clientY: arguments[2], bubbles: true, cancelable: true}));""",
                                   delta_y, x, y)

    def test_a_explorer_walk(self):
        driver = self.driver
        driver.get(self.base + "/?center-x=-0.75&center-y=0.1&radius=1.5&iterations=300")
        start = self.wait_ready()
        width, height = self.canvas_size()
        self.assertEqual(self.canvas_differs_from_image(), 0)
        # One notch away from the user at the centre: the radius halves, the centre stays.
        self.wheel(-100, width // 2, height // 2)
        zoomed = self.wait_ready(self.driver.execute_script("return document.body.dataset.view"))
        self.assertEqual(Decimal(zoomed["radius"]), Decimal("0.75"))
        self.assertEqual((Decimal(zoomed["center-x"]), Decimal(zoomed["center-y"])),
                         (Decimal("-0.75"), Decimal("0.1")))
        self.assertEqual(self.canvas_differs_from_image(), 0)
        # Touchpad deltas add up to notches: forty of 2.5 pixels are one.
        before = self.driver.execute_script("return document.body.dataset.view")
        for _ in range(40):
            self.wheel(2.5, width // 2, height // 2)
        self.assertEqual(Decimal(self.wait_ready(before)["radius"]), Decimal("1.5"))
        # A 100-pixel drag to the right moves the centre 100 pixels' width to the left.
        before = self.driver.execute_script("return document.body.dataset.view")
        canvas = driver.find_element(By.ID, "view")
        ActionChains(driver).move_to_element(canvas).click_and_hold().move_by_offset(50, 0).move_by_offset(50, 0) \
            .release().perform()
        dragged = self.wait_ready(before)
        # Exactly, rounded once, 20 digits below the radius's first.
        moved = Decimal("-0.75") - Decimal(100 * 3) / min(width, height)
        self.assertEqual(Decimal(dragged["center-x"]), moved.quantize(Decimal("1e-20")))
        self.assertEqual(Decimal(dragged["center-y"]), Decimal("0.1"))
        # Back returns to the view before the drag, and its image.
        driver.back()
        self.assertEqual(self.wait_ready(self.driver.execute_script("return document.body.dataset.view"))["center-x"],
                         "-0.75")
        self.assertEqual(self.canvas_differs_from_image(), 0)
        self.assertEqual(start["iterations"], "300")
        # + zooms in about the centre, as a notch there does.
        before = self.driver.execute_script("return document.body.dataset.view")
        driver.find_element(By.TAG_NAME, "body").send_keys("+")
        keyed = self.wait_ready(before)
        self.assertEqual((keyed["radius"], keyed["center-x"], keyed["center-y"]), ("0.75", "-0.75", "0.1"))

    def test_b_panel_refuses_radius_5(self):
        driver = self.driver
        driver.get(self.base + "/?center-x=-0.7453&center-y=0.1127&radius=0.006&iterations=2000&palette=4&smooth=on")
        self.wait_ready()
        driver.find_element(By.ID, "open-panel").click()
        if SCREENSHOT:
            driver.save_screenshot(SCREENSHOT)
        field = driver.find_element(By.NAME, "radius")
        field.clear()
        field.send_keys("5")
        driver.find_element(By.CSS_SELECTOR, "#panel button[type=submit]").click()
        WebDriverWait(driver, BOUND).until(lambda d: d.execute_script("return document.body.dataset.state") == "refused")
        message = driver.find_element(By.CSS_SELECTOR, 'output[for="radius"]').text
        self.assertEqual(message, server_test.command_line_refusal("--radius", "5"))

    def test_d_auto_iterations_and_saves(self):
        driver = self.driver
        view = "center-x=-0.743643887037151&center-y=0.131825904205330&radius=1e-3&iterations=50"
        driver.get(self.base + "/?" + view)
        self.wait_ready()
        driver.find_element(By.ID, "open-panel").click()
        driver.find_element(By.NAME, "auto-iterations").click()
        driver.find_element(By.CSS_SELECTOR, "#panel button[type=submit]").click()
        # The limit doubles while the escaping counts crowd its top tenth, then stays.
        WebDriverWait(driver, BOUND).until(lambda d: int(self.view()["iterations"]) > 50)
        raised = self.view()["iterations"]
        self.assertIn(raised, {str(50 << k) for k in range(1, 20)})
        image = driver.find_element(By.ID, "save-image").get_attribute("href")
        self.assertEqual(parse_qs(urlsplit(image).query)["size"], ["3840x2160"])
        self.assertEqual(parse_qs(urlsplit(image).query)["center-x"], ["-0.743643887037151"])
        location = driver.find_element(By.ID, "save-location").get_attribute("href")
        self.assertIn("/location.kfr?", location)
        command = driver.find_element(By.ID, "command-line").get_attribute("value")
        self.assertIn("--center-x -0.743643887037151 --center-y 0.131825904205330 --radius 1e-3", command)
        self.assertIn("--zoom-from 2 --frames 300", command)

    def test_c_a_journey_below_1e_20(self):
        driver = self.driver
        driver.get(self.base + "/")
        view = self.wait_ready()
        width, height = self.canvas_size()
        # Ten notches at a time, about a point near the boundary of the set.
        while Decimal(view["radius"]) >= Decimal("1e-20"):
            before = self.driver.execute_script("return document.body.dataset.view")
            self.wheel(-1000, width // 2 + 7, height // 2 - 5)
            view = self.wait_ready(before)
        self.assertLess(Decimal(view["radius"]), Decimal("1e-20"))
        self.assertEqual(self.canvas_differs_from_image(), 0)


if __name__ == "__main__":
    server_test.RENDERER = os.path.abspath(sys.argv.pop(1))
    if len(sys.argv) > 1 and sys.argv[1].endswith(".png"):
        SCREENSHOT = sys.argv.pop(1)
    unittest.main(verbosity=2)
