#!/usr/bin/env python3
"""make bench: the explorer's latency through quellarin-render --serve on
127.0.0.1, as a wheel notch asks for it: the move (GET /view), the
quarter-size image the page shows first, and the full image, at r = 1e-5,
at 1e-100 with 100,000 iterations and at 1e-300 with a million, about the
period-401 centre of the deep benchmarks; a notch off the centre and one at
it (as the + key makes), and which images took the last image's reference
orbit.

usage: bench-serve.py RENDERER [WIDTHxHEIGHT]
"""
import http.client
import re
import subprocess
import sys
import threading
import time
from pathlib import Path
from urllib.parse import quote

renderer = sys.argv[1]
width, height = map(int, (sys.argv[2] if len(sys.argv) > 2 else "1280x720").split("x"))
header = (Path(__file__).parent.parent / "bench" / "deep_bench_views.h").read_text()


def constant(name):
    body = re.search(name + r" =\s*((?:\s*\"[^\"]*\")+);", header).group(1)
    return "".join(re.findall(r"\"([^\"]*)\"", body))


re_text, im_text = constant("PERIOD_401_RE"), constant("PERIOD_401_IM")
server = subprocess.Popen([renderer, "--serve", "0"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
port = int(re.search(r":(\d+)/", server.stdout.readline()).group(1))
computed = []  # the server's "computing" lines, one per image
computed_more = threading.Condition()


def read_log():
    for line in server.stderr:
        if line.startswith("computing"):
            with computed_more:
                computed.append(line.rstrip("\n"))
                computed_more.notify_all()


threading.Thread(target=read_log, daemon=True).start()


def reused(images_before):
    """Whether the image after the first images_before took the last one's reference orbit."""
    with computed_more:
        computed_more.wait_for(lambda: len(computed) > images_before)
        return computed[images_before].endswith("reference orbit")


images_asked = 0  # /image requests so far: each one's line is computed[its number]


def get(target):
    global images_asked
    images_asked += target.startswith("/image?")
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=600)
    started = time.perf_counter()
    connection.request("GET", target, headers={"X-Quellarin-Page": "bench"})
    response = connection.getresponse()
    body = response.read()
    connection.close()
    assert response.status == 200, body[:200]
    return time.perf_counter() - started, body, response.getheader("X-Quellarin-Method")


print(f"explorer, a wheel notch at {width}x{height} (the quarter image {width // 4}x{height // 4}):")
print(f"{'view':<28}{'notch':<8}{'move ms':>9}{'quarter ms':>12}{'full ms':>10}  method        orbit reused")
images = reuses = 0
for radius, iterations in [("1e-5", 1000), ("1e-100", 100000), ("1e-300", 1000000)]:
    view = f"center-x={quote(re_text)}&center-y={quote(im_text)}&radius={radius}&iterations={iterations}"
    get(f"/image?{view}&size={width}x{height}")  # the view before the notches, as the page had it
    # A notch off the centre, then one at the new centre, from the view the first one made.
    for notch, at in (("off", (width // 2 + 40, height // 2 - 30)), ("centre", (width // 2, height // 2))):
        move, body, _ = get(f"/view?{view}&size={width}x{height}&zoom=1&at={at[0]},{at[1]}")
        view = body.decode().strip()
        quarter, _, method = get(f"/image?{view}&size={width // 4}x{height // 4}")
        quarter_reused = reused(images_asked - 1)
        full, _, _ = get(f"/image?{view}&size={width}x{height}")
        full_reused = reused(images_asked - 1)
        if method == "perturbation":
            images += 2
            reuses += quarter_reused + full_reused
        label = f"r = {radius}, {iterations} it"
        said = {True: "yes", False: "no"}
        print(f"{label:<28}{notch:<8}{move * 1e3:>9.1f}{quarter * 1e3:>12.0f}{full * 1e3:>10.0f}  {method:<13} "
              f"quarter {said[quarter_reused]}, full {said[full_reused]}")
print(f"the last image's reference orbit served {reuses} of {images} deep images")
server.terminate()
server.wait()
