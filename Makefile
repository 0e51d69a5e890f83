# Quick start: `make run` builds and starts Stowbox; `make test` runs the whole suite.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD?= build-release
JOBS       ?= $(shell nproc)
WERROR     := $(if $(CI),ON,OFF)

BUILD_PACKAGES := build-essential cmake ninja-build pkg-config qt6-base-dev libxcb1-dev libgl-dev
TEST_PACKAGES  := xvfb xdotool x11-utils imagemagick xauth

.PHONY: run test check-asan bench build deps test-deps clean

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

deps:
	@scripts/ensure-packages $(BUILD_PACKAGES)

test-deps: deps
	@scripts/ensure-packages $(TEST_PACKAGES)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)
