# Quellarin: `make run` opens the viewer, `make test` runs every test.
# Both install the Debian packages they lack when run as root.

NATIVE_PACKAGES := make cmake ninja-build g++ python3 libgtest-dev googletest libstb-dev
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools wine64 xvfb \
                    imagemagick xdotool fonts-vlgothic fonts-wine
BENCH_PACKAGES := libbenchmark-dev
FUZZ_PACKAGES := clang libclang-rt-14-dev

.PHONY: run test bench bench-wine fuzz soak native windows clean

run:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(WINDOWS_PACKAGES)
	@scripts/run.sh

test:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(WINDOWS_PACKAGES) $(FUZZ_PACKAGES)
	@scripts/test-all.sh

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
	cmake -S . -B build/native -G Ninja
	ninja -C build/native

# quellarin.exe, quellarin-render.exe and the Windows tests.
windows:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES) $(WINDOWS_PACKAGES)
	cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	ninja -C build/windows

clean:
	rm -rf build
