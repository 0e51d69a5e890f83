# Quick start: `make run` builds and starts Stowbox; `make test` runs the whole suite.
BUILD         ?= build
ASAN_BUILD    ?= build-asan
CHECK_BUILD   ?= build-check
RELEASE_BUILD ?= build-release
JOBS          ?= $(shell nproc)
WERROR        := $(if $(CI),ON,OFF)
PREFIX        ?= $(HOME)/.local
DESTDIR       ?=

# libxkbcommon-dev: Qt's Gui package looks for it at every configure.
BUILD_PACKAGES := build-essential cmake ninja-build pkg-config qt6-base-dev libxcb1-dev libxau-dev libgl-dev libxkbcommon-dev
TEST_PACKAGES  := xvfb xdotool x11-utils imagemagick xauth desktop-file-utils appstream trash-cli groff-base libglib2.0-bin

# `make install` and `make bench` share the release tree, so they configure it alike.
DEBUG_OPTIONS   := -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSTOWBOX_WERROR=$(WERROR)
RELEASE_OPTIONS := -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSTOWBOX_WERROR=$(WERROR)

.PHONY: run build-for-run test check-includes check-asan bench release deps test-deps clean install uninstall demo

# Started in its own directory, as the installed launcher does.
run: build-for-run
	cd $(BUILD) && ./STX102

# Only the program and the windows' module built with it, so the window comes before the tests and
# benchmarks are built.
build-for-run: deps
	cmake -S . -B $(BUILD) $(DEBUG_OPTIONS)
	cmake --build $(BUILD) -j $(JOBS) --target STX102

# Under CI the program is also compiled file by file, without precompiled headers: a batch or a shared
# precompiled header can hide an include that a file is missing.
test: test-deps $(if $(CI),check-includes)
	cmake -S . -B $(BUILD) $(DEBUG_OPTIONS)
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: test-deps
	cmake -S . -B $(RELEASE_BUILD) $(RELEASE_OPTIONS)
	cmake --build $(RELEASE_BUILD) -j $(JOBS)
	bench/run.sh $(RELEASE_BUILD)

check-includes: deps
	cmake -S . -B $(CHECK_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSTOWBOX_WERROR=ON -DSTOWBOX_BATCHES=OFF \
	  -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON -DBUILD_TESTING=OFF
	cmake --build $(CHECK_BUILD) -j $(JOBS) --target STX102

check-asan: test-deps
	cmake -S . -B $(ASAN_BUILD) $(DEBUG_OPTIONS) -DSTOWBOX_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# What an installation holds: the program and its icons, in release mode.
release: deps
	cmake -S . -B $(RELEASE_BUILD) $(RELEASE_OPTIONS)
	cmake --build $(RELEASE_BUILD) -j $(JOBS) --target STX102 stowbox_icons

# The program and its windows' module go to $(PREFIX)/lib/stowbox, where it keeps the prop bags;
# `stowbox` to $(PREFIX)/bin.
install: release
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE_BUILD) --prefix "$(PREFIX)" --strip

# Removes what `make install` with the same PREFIX and DESTDIR puts there, and never a prop bag,
# through the uninstaller it puts beside the program: no build tree and no build tools are needed.
# lib/stowbox is the program directory as the release tree is configured, with the default prefix.
uninstall:
	@uninstaller="$(DESTDIR)$(PREFIX)/lib/stowbox/uninstall"; \
	if [ ! -x "$$uninstaller" ]; then \
	  echo "Nothing to uninstall: no $$uninstaller (give the PREFIX= and DESTDIR= of make install)" >&2; \
	  exit 1; \
	fi; \
	"$$uninstaller"

# Stowbox against a throwaway client directory, with its own settings: nothing of yours is touched.
demo: build-for-run
	cmake --build $(BUILD) --target palace_standin
	scripts/demo $(BUILD)/STX102 $(BUILD)/tests/client/palace_standin

deps:
	@scripts/ensure-packages $(BUILD_PACKAGES)

test-deps: deps
	@scripts/ensure-packages $(TEST_PACKAGES)

# Bags saved in a build tree go to the trash first, through the tree's own program; a bag that cannot
# stops the clean before any tree is removed.
clean:
	@scripts/clean $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD) $(CHECK_BUILD)
