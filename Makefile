# Quellarin: `make run` opens the viewer, `make test` runs every test.
# Both install the Debian packages they lack when run as root.

NATIVE_PACKAGES := make cmake ninja-build g++ python3 python3-numpy parallel libgtest-dev googletest libstb-dev \
                   libmpfr-dev libgmp-dev curl ca-certificates xz-utils patch
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools wine64 xvfb \
                    imagemagick xdotool fonts-vlgothic fonts-wine
BENCH_PACKAGES := libbenchmark-dev
FUZZ_PACKAGES := clang libclang-rt-14-dev
FORMAT_PACKAGES := clang-format git
# The explorer's tests drive Debian's headless Chromium.
BROWSER_PACKAGES := chromium chromium-driver python3-selenium

.PHONY: run test check format-check verify-deep bench bench-wine fuzz soak native windows package clean

run:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(WINDOWS_PACKAGES)
	@scripts/run.sh

test:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(WINDOWS_PACKAGES) $(FUZZ_PACKAGES) $(FORMAT_PACKAGES) \
	                            $(BROWSER_PACKAGES)
	@scripts/test-all.sh

# The native suite alone: the engine's and quellarin-render's tests, built with g++.
check:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(BROWSER_PACKAGES)
	@scripts/test-all.sh native

# The program's code as .clang-format lays it out, by Debian's clang-format.
format-check:
	@scripts/ensure-packages.sh $(FORMAT_PACKAGES)
	@scripts/format-check.sh

# Every location of the deep oracle's table, with the approximation table and without: one line each, then N passed, N failed.
verify-deep:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES)
	@scripts/verify-deep.sh

# Every parser of outside input under libFuzzer, long enough for 10 million runs.
fuzz:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(FUZZ_PACKAGES)
	@scripts/fuzz.sh

# 20000 random gestures against the program's window under Wine, checked against a model.
soak:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(WINDOWS_PACKAGES)
	@scripts/soak.sh

bench:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(BENCH_PACKAGES)
	@scripts/bench.sh

# quellarin-render.exe under Wine against the native build on the deep boundary view, per vector path.
bench-wine:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(WINDOWS_PACKAGES)
	@scripts/bench-wine.sh

# The native engine, quellarin-render and their tests.
native:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES)
	cmake --preset native
	cmake --build --preset native

# quellarin.exe, quellarin-render.exe and the Windows tests.
windows:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(WINDOWS_PACKAGES)
	cmake --preset windows
	cmake --build --preset windows

# quellarin-VERSION-win64.zip and quellarin-render-VERSION-Linux-ARCH.tar.gz in build/packages/.
package:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(WINDOWS_PACKAGES)
	@scripts/package.sh

clean:
	rm -rf build
