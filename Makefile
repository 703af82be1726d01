# Front door for the common tasks. Every target installs what is missing first, so the quick
# start works on a fresh Debian machine.
.PHONY: deps build test build-asan test-asan demo run format format-check clean

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
