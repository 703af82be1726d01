# Front door for the common tasks. Every target installs what is missing first, so the quick
# start works on a fresh Debian machine.
.PHONY: deps build test build-asan test-asan demo run fuzz format format-check clean

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
	build/dev/src/app/quellbox

SECONDS ?= 60
fuzz: deps
	scripts/fuzz.sh $(SECONDS)
