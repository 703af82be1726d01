# Front door for the common tasks. Every target installs what is missing first, so the quick
# start works on a fresh Debian machine.
.PHONY: deps build test build-asan test-asan deps-windows test-windows package-windows bench-windows demo run fuzz soak bench \
        memcheck tidy format format-check clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev

test: build
	ctest --preset dev

build-asan: deps
	cmake --preset asan
	cmake --build --preset asan

test-asan: build-asan
	ctest --preset asan

# The toolkit-free libraries and their unit tests cross-built for 64-bit Windows (mingw-w64),
# the tests run under wine. GoogleTest for Windows is built once into build/gtest-mingw-w64.
deps-windows:
	@scripts/install-deps.sh windows

# The virtual board the Windows tests put on COM ports is a program for this machine: the dev
# preset builds it.
test-windows: deps-windows
	cmake --preset dev
	cmake --build --preset dev --target quellbox-board-sim
	cmake --preset windows
	cmake --build --preset windows
	ctest --preset windows

# The Windows window's 50 ms grid at the board under wine, beside a minimal C loop.
bench-windows: deps-windows
	scripts/bench_windows.sh $(SECONDS)

# quellbox.exe with its README and licence: build/windows/quellbox-<version>-windows-x64.zip
package-windows: deps-windows
	cmake --preset windows
	cmake --build --preset windows --target package-windows

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build

# Starts the virtual relay board as port 1 and the tool against it; the board stops with the
# window.
demo: build
	scripts/demo.sh build/dev

# The tool alone, for a real board.
run: build
	build/dev/src/app/quellbox/quellbox

# Hardening and measurement. SECONDS and MINUTES set how long the runs last.
SECONDS ?= 60
MINUTES ?= 10
fuzz: deps
	scripts/fuzz.sh $(SECONDS)

soak: deps
	scripts/soak.sh $(MINUTES)

bench: deps
	scripts/bench.sh $(SECONDS)
	scripts/bench_mqtt.sh $(SECONDS)

memcheck: build
	scripts/memcheck.sh

tidy: build
	scripts/tidy.sh
