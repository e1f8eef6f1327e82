# Thin front door over CMake.
#   make demo   build, convert the bundled sample capture and show the results
#   make test   build and run every test, in a normal and a sanitizer build

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all build demo test test-normal test-asan clean

all: build

build:
	cmake -S . -B build $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j $(JOBS)

demo: build
	@sh examples/demo.sh build

test-normal:
	cmake -S . -B build $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j $(JOBS)
	ctest --test-dir build --output-on-failure -j $(JOBS)

test-asan:
	cmake -S . -B build-asan $(GEN) -DCMAKE_BUILD_TYPE=Debug -DVUD_SANITIZE=ON -DVUD_BUILD_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	ctest --test-dir build-asan --output-on-failure -j $(JOBS)

test: test-normal test-asan

clean:
	rm -rf build build-asan
