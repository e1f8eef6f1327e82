# Shortcuts to the scripts at the root, which install what is missing, keep one
# build folder per kind of build and work whatever generator made it.
#   make demo      ./demo.sh: build the programs, run the demo on the samples
#   make test      ./test.sh: build and run every test (normal, sanitizer, 32-bit)
#   make package   ./package.sh: build vantrel-tools_VERSION_ARCH.deb

.PHONY: all build demo test test-normal test-asan test-m32 package clean

all: build

build:
	sh ./test.sh build

demo:
	sh ./demo.sh

test:
	sh ./test.sh

test-normal:
	sh ./test.sh normal

test-asan:
	sh ./test.sh asan

test-m32:
	sh ./test.sh m32

package:
	sh ./package.sh

clean:
	rm -rf build build-asan build-m32 build-release
