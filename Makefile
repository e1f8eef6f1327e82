# Thin front door over CMake.
#   make demo   build, convert the bundled sample capture and show the results
#   make test   build and run every test, in a normal and a sanitizer build

CXX ?= g++
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all build demo test test-normal test-asan test-m32 clean

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

# The 32-bit vudstats (as the program is delivered) against the same
# end-to-end expectations, where the toolchain can build -m32 programs and
# the machine can run them (some kernels run 64-bit programs only).
M32_PROBE := build-m32-probe
test-m32:
	@if echo 'int main(){}' | $(CXX) -m32 -x c++ - -o $(M32_PROBE) 2>/dev/null && ./$(M32_PROBE) 2>/dev/null; then \
	  rm -f $(M32_PROBE); \
	  cmake -S . -B build-m32 $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVUDSTATS_M32=ON -DVUD_BUILD_BENCH=OFF && \
	  cmake --build build-m32 -j $(JOBS) --target vudstats_e2e_test vudstats_dialogue_test && \
	  file build-m32/vud_stats/vudstats | grep -q '32-bit' && \
	  build-m32/tests/vudstats_e2e_test && build-m32/tests/vudstats_dialogue_test; \
	else rm -f $(M32_PROBE); \
	  echo "test-m32: skipped, $(CXX) cannot build -m32 programs (install g++-multilib) or this machine cannot run them"; fi

test: test-normal test-asan test-m32

clean:
	rm -rf build build-asan build-m32 build-m32-probe
