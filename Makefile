# Everyday verbs. The build itself is CMake's: build/native (Linux, sanitizers) and
# build/win32 (MinGW, the shipped binaries).
SHELL := /bin/bash
JOBS ?= $(shell nproc)
NATIVE := build/native
WIN32 := build/win32

.PHONY: dist test test-native test-win32 deps native win32 format clean

# The shippable files.
dist: win32
	rm -rf dist
	mkdir -p dist
	cp $(WIN32)/bin/SCRIPT.x32 dist/
	@echo "dist/ holds:" && find dist -type f | sort

# Every test, natively with sanitizers and cross-built under Wine.
test: test-native test-win32

test-native: native
	cd $(NATIVE) && ctest --output-on-failure --timeout 600

test-win32: win32
	cd $(WIN32) && ctest --output-on-failure --timeout 900

deps:
	@scripts/ensure-deps.sh

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(NATIVE) -j $(JOBS)

win32: deps
	cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake
	cmake --build $(WIN32) -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build dist out
