#!/usr/bin/env python3
"""quellarin-render --serve against the program's own command line, over
127.0.0.1 only: images byte for byte, the command line's refusals, what is
refused to everyone, renders stopped by a gone client or a newer request of
their page, sixteen clients at once, the moves of the explorer, and a clean
exit on SIGINT.

usage: server_test.py RENDERER
"""
import http.client
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import unittest

RENDERER = None


def command_line_image(*args, suffix):
    """The file quellarin-render --KEY VALUE ... --output FILE writes."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "image" + suffix)
        subprocess.run([RENDERER, *args, "--quiet", "--output", path], check=True, stdout=subprocess.DEVNULL)
        with open(path, "rb") as file:
            return file.read()


def command_line_refusal(*args):
    run = subprocess.run([RENDERER, *args, "--output", "x.png"], capture_output=True, text=True)
    assert run.returncode == 2, run
    return run.stderr.strip().removeprefix("quellarin-render: ")


class Server:
    def __init__(self, *flags):
        # Under AddressSanitizer freed memory waits in a quarantine, which would
        # read as growth; LeakSanitizer still checks what is never freed.
        asan = os.environ.get("ASAN_OPTIONS", "")
        env = dict(os.environ, ASAN_OPTIONS=asan + (":" if asan else "") +
                   "quarantine_size_mb=0:thread_local_quarantine_size_kb=0")
        self.process = subprocess.Popen([RENDERER, "--serve", "0", "--workers", "2", *flags], stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True, env=env)
        first = self.process.stdout.readline()
        match = re.fullmatch(r"serving http://127\.0\.0\.1:(\d+)/\n", first)
        assert match, first
        self.port = int(match.group(1))
        self.log = []
        self.log_changed = threading.Condition()
        threading.Thread(target=self._read_log, daemon=True).start()

    def _read_log(self):
        for line in self.process.stderr:
            with self.log_changed:
                self.log.append(line.rstrip("\n"))
                self.log_changed.notify_all()

    def wait_for_log(self, pattern, since=0, bound=60):
        """The first log line from line `since` on matching pattern; the bound
        only fails a hang. The log is read on its own thread, so a line may
        arrive after the response that it belongs to."""
        with self.log_changed:
            found = self.log_changed.wait_for(
                lambda: next((l for l in self.log[since:] if re.search(pattern, l)), None), timeout=bound)
        assert found, f"no log line {pattern!r} in {self.log[-5:]}"
        return found

    def request(self, target, method="GET", headers=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=120)
        connection.request(method, target, headers=headers or {})
        response = connection.getresponse()
        body = response.read()
        connection.close()
        return response, body

    def stop(self):
        self.process.send_signal(signal.SIGINT)
        return self.process.wait(timeout=60)


class ServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server()

    @classmethod
    def tearDownClass(cls):
        if cls.server.process.poll() is None:
            cls.server.process.kill()

    def test_images_are_the_command_lines_bytes(self):
        cases = [
            ("iterations=200&size=64x48", ["--iterations", "200", "--size", "64x48"], ".png"),
            ("center-x=-0.743643887037151&center-y=0.131825904205330&radius=0.0005&palette=7&size=40x24&format=bmp",
             ["--center-x", "-0.743643887037151", "--center-y", "0.131825904205330", "--radius", "0.0005",
              "--palette", "7", "--size", "40x24"], ".bmp"),
            ("figure=1&iterations=300&size=32x20&format=npy&smooth=1",
             ["--figure", "1", "--iterations", "300", "--size", "32x20", "--smooth"], ".npy"),
            ("center-x=-1.7499576837060935036022145060706997&radius=1e-30&iterations=3000&size=32x24&samples=2",
             ["--center-x", "-1.7499576837060935036022145060706997", "--radius", "1e-30", "--iterations", "3000",
              "--size", "32x24", "--samples", "2"], ".png"),
        ]
        for query, args, suffix in cases:
            with self.subTest(query=query):
                response, body = self.server.request("/image?" + query)
                self.assertEqual(response.status, 200, body)
                self.assertEqual(body, command_line_image(*args, suffix=suffix))
                self.assertIsNone(response.getheader("Access-Control-Allow-Origin"))
        response, _ = self.server.request("/image?radius=1e-30&size=16x16")
        self.assertEqual(response.getheader("X-Quellarin-Method"), "perturbation")

    def test_a_deep_image_takes_the_last_ones_orbit_of_the_same_centre_and_keeps_its_bytes(self):
        centre = "center-x=-1.7499576837060935036022145060706997&radius=1e-30&iterations=3000"
        args = ["--center-x", "-1.7499576837060935036022145060706997", "--radius", "1e-30", "--iterations", "3000"]
        # The quarter-size image, then the full one: the same orbit to the bit.
        for size, reused in (("16x16", False), ("64x64", True), ("64x64&center-y=1e-31", False)):
            with self.subTest(size=size):
                with self.server.log_changed:
                    begun = len(self.server.log)
                response, body = self.server.request(f"/image?{centre}&size={size}")
                self.assertEqual(response.status, 200, body)
                line = self.server.wait_for_log("^computing", since=begun)
                self.assertEqual(line.endswith("with the last image's reference orbit"), reused, line)
                wanted = args + ["--size", size.split("&")[0]] + (["--center-y", "1e-31"] if "&" in size else [])
                self.assertEqual(body, command_line_image(*wanted, suffix=".png"))

    def test_refusals_are_the_command_lines_messages(self):
        for key, value in [("radius", "5"), ("iterations", "0"), ("size", "15x640"), ("center-x", "nan"),
                           ("method", "fast"), ("samples", "17")]:
            with self.subTest(key=key):
                response, body = self.server.request(f"/image?{key}={value}")
                self.assertEqual(response.status, 400)
                self.assertEqual(response.getheader("Content-Type"), "text/plain; charset=utf-8")
                self.assertEqual(body.decode().strip(), command_line_refusal("--" + key, value))
        for target, message in [
            ("/image?output=x.png", "unknown key 'output'"),
            ("/image?radius=1&radius=1", "the key 'radius' is given twice"),
            ("/image?size=4097x16", "larger than this server renders, 4096x4096"),
            ("/image?format=jpg", "format 'jpg' is not png, bmp or npy"),
            ("/image?radius=1e-300&iterations=2147483647", "more than the memory limit"),
            ("/view?radius=1&size=64x64&drag=1", "a move is drag=DX,DY"),
        ]:
            with self.subTest(target=target):
                response, body = self.server.request(target)
                self.assertEqual(response.status, 400)
                self.assertIn(message, body.decode())

    def test_everything_else_is_refused(self):
        response, _ = self.server.request("/image", method="POST")
        self.assertEqual((response.status, response.getheader("Allow")), (405, "GET, HEAD"))
        for target in ["/index.html", "/../../etc/passwd", "/explorer.js/x", "/image/"]:
            self.assertEqual(self.server.request(target)[0].status, 404, target)
        for host in ["evil.example", "localhost:%d" % self.server.port, "127.0.0.1"]:
            response, _ = self.server.request("/", headers={"Host": host})
            self.assertEqual(response.status, 403, host)
        response, _ = self.server.request("/image?center-x=" + "1" * (512 * 1024))
        self.assertEqual(response.status, 414)
        response, body = self.server.request("/")
        self.assertEqual(response.getheader("Content-Security-Policy"), "default-src 'self'")
        self.assertIn(b'<canvas id="view"', body)
        head, body = self.server.request("/image?iterations=50", method="HEAD")
        self.assertEqual((head.status, body, head.getheader("X-Quellarin-Method")), (200, b"", "exact"))

    def test_moves_are_exact_decimals(self):
        for query, view in [
            ("center-x=-0.75&radius=1&size=640x480&drag=10,-20",
             "center-x=-0.79166666666666666667&center-y=-0.08333333333333333333&radius=1"),
            ("center-x=-0.75&radius=1&size=640x480&zoom=1&at=320,240", "center-x=-0.75&center-y=0&radius=0.5"),
            ("radius=2&size=64x64&zoom=-1&at=32,32", "center-x=0&center-y=0&radius=4"),
            ("center-x=0.1000000000000000000000000000001&radius=1e-40&size=100x100&drag=-50,0",
             "center-x=0.1000000000000000000000000000001000000001&center-y=0&radius=1e-40"),
        ]:
            with self.subTest(query=query):
                response, body = self.server.request("/view?" + query)
                self.assertEqual(response.status, 200, body)
                self.assertTrue(body.decode().startswith(view), body)
        response, body = self.server.request("/view?radius=4&size=64x64&zoom=-1&at=32,32")
        self.assertEqual(response.status, 400, body)

    def test_a_gone_client_and_a_newer_request_stop_their_renders(self):
        slow = "/image?center-x=0.25&radius=1e-4&iterations=2000000&size=2048x2048"
        connection = socket.create_connection(("127.0.0.1", self.server.port))
        connection.sendall(f"GET {slow} HTTP/1.1\r\nHost: 127.0.0.1:{self.server.port}\r\n\r\n".encode())
        self.server.wait_for_log(r"^computing 2048x2048")
        connection.close()
        self.server.wait_for_log(r"^stopped: its client went away")
        line = self.server.wait_for_log(r"^stopped after \d+ ms")
        print(line, file=sys.stderr)
        # A newer request of the same page stops the older one, which ends without an image.
        results = {}

        def fetch(name, target):
            try:
                results[name] = self.server.request(target, headers={"X-Quellarin-Page": "p1"})[1]
            except (http.client.HTTPException, OSError) as error:
                results[name] = error

        older = threading.Thread(target=fetch, args=("older", slow))
        computing = lambda: len([l for l in self.server.log if l.startswith("computing 2048x2048")])
        with self.server.log_changed:
            begun = computing()
        older.start()
        with self.server.log_changed:
            self.assertTrue(self.server.log_changed.wait_for(lambda: computing() > begun, timeout=60))
        fetch("newer", "/image?iterations=100&size=32x32")
        older.join()
        self.server.wait_for_log(r"^stopped: a newer request of its page")
        self.assertNotIsInstance(results["newer"], Exception)
        self.assertEqual(results["newer"], command_line_image("--iterations", "100", "--size", "32x32", suffix=".png"))
        self.assertFalse(isinstance(results["older"], bytes) and results["older"].startswith(b"\x89PNG"))

    def test_sixteen_clients_at_once_get_their_own_bytes(self):
        queries = [f"iterations={100 + 7 * k}&palette={k % 15}&size={40 + k}x{30 + k}" for k in range(16)]
        results = [None] * 16

        def fetch(k):
            results[k] = self.server.request("/image?" + queries[k])[1]

        threads = [threading.Thread(target=fetch, args=(k,)) for k in range(16)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        for k, query in enumerate(queries):
            args = [part for pair in query.split("&") for part in ("--" + pair.split("=")[0], pair.split("=")[1])]
            self.assertEqual(results[k], command_line_image(*args, suffix=".png"), query)

    def test_y_memory_stays_flat_over_a_thousand_requests(self):
        def resident():
            with open(f"/proc/{self.server.process.pid}/status") as status:
                return next(int(l.split()[1]) for l in status if l.startswith("VmRSS:")) * 1024

        connection = http.client.HTTPConnection("127.0.0.1", self.server.port, timeout=60)
        connection.connect()
        connection.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)  # no delayed-ACK stalls

        def requests(count):
            for k in range(count):
                connection.request("GET", f"/image?iterations={50 + k % 50}&size=48x32&format=bmp")
                response = connection.getresponse()
                self.assertEqual((response.status, len(response.read())), (200, 54 + 48 * 32 * 3))

        requests(100)  # the allocator's and the pool's first growth
        before = resident()
        requests(1000)
        after = resident()
        connection.close()
        print(f"resident {before >> 10} KiB after 100 requests, {after >> 10} KiB after 1100", file=sys.stderr)
        self.assertLess(after - before, 8 << 20)

    def test_z_sigint_ends_the_server_with_exit_code_0(self):
        self.assertEqual(self.server.stop(), 0)


if __name__ == "__main__":
    RENDERER = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
