# Quick start: `make run` builds and starts Stowbox; `make test` runs the whole suite.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD?= build-release
JOBS       ?= $(shell nproc)
WERROR     := $(if $(CI),ON,OFF)
PREFIX     ?= $(HOME)/.local
DESTDIR    ?=

BUILD_PACKAGES := build-essential cmake ninja-build pkg-config qt6-base-dev libxcb1-dev libgl-dev
TEST_PACKAGES  := xvfb xdotool x11-utils imagemagick xauth desktop-file-utils appstream trash-cli

.PHONY: run test check-asan bench build deps test-deps clean install uninstall demo

run: build
	./$(BUILD)/STX102

test: test-deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSTOWBOX_WERROR=$(WERROR)
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: test-deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSTOWBOX_WERROR=$(WERROR)
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	bench/run.sh $(BENCH_BUILD)

check-asan: test-deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSTOWBOX_WERROR=$(WERROR) -DSTOWBOX_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSTOWBOX_WERROR=$(WERROR)
	cmake --build $(BUILD) -j $(JOBS)

# The program goes to $(PREFIX)/lib/stowbox, where it keeps the prop bags; `stowbox` to $(PREFIX)/bin.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# Removes what `make install` with the same PREFIX and DESTDIR puts there, and never a prop bag.
uninstall: build
	DESTDIR="$(DESTDIR)" cmake -DBUILD_DIR="$(abspath $(BUILD))" -DPREFIX="$(PREFIX)" -P packaging/uninstall.cmake

# Stowbox against a throwaway client directory, with its own settings: nothing of yours is touched.
demo: build
	cmake --build $(BUILD) --target palace_standin
	scripts/demo $(BUILD)/STX102 $(BUILD)/tests/client/palace_standin

deps:
	@scripts/ensure-packages $(BUILD_PACKAGES)

test-deps: deps
	@scripts/ensure-packages $(TEST_PACKAGES)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)
