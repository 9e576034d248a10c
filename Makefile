# Everyday verbs. The build itself is CMake's: build/native (Linux, sanitizers) and
# build/win32 (MinGW, the shipped binaries).
SHELL := /bin/bash
JOBS ?= $(shell nproc)
NATIVE := build/native
WIN32 := build/win32

.PHONY: dist test test-native test-win32 deps native win32 format clean mutants

CONFIGURE_WIN32 := cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake

# The package as it ships: dist/loader.exe, dist/data/projector.exe,
# dist/data/Xtras/SCRIPT.x32, dist/README.txt and dist/SHA256SUMS. Builds only what ships.
dist: deps
	$(CONFIGURE_WIN32)
	cmake --build $(WIN32) -j $(JOBS) --target loader projector script
	rm -rf dist
	mkdir -p dist
	scripts/demo/package.sh $(WIN32)/bin dist
	@echo "dist/ holds:" && find dist -type f | sort

# The release (scripts/release.py), each read back and compared with dist/ once written:
# iso: out/release/orvanta-VERSION.iso, the disc, dist/ and an autorun.inf, with Joliet names;
# zip: out/release/orvanta-VERSION.zip, the download, dist/ in one folder.
# reproducible-check: two clean clones of HEAD in folders of different names and depths, each
# building dist/, the image and the archive; their hashes must be the same.
.PHONY: iso zip reproducible-check
iso: dist
	@scripts/ensure-deps.sh xorriso
	python3 scripts/release.py iso dist $(WIN32)/bin/version.txt out/release

zip: dist
	python3 scripts/release.py zip dist $(WIN32)/bin/version.txt out/release

reproducible-check: deps
	@scripts/ensure-deps.sh xorriso
	python3 scripts/release.py reproducible-check

# Every test: natively with sanitizers, cross-built under Wine, and a short fuzzing run.
test: test-native fuzz-ci test-win32

test-native: native
	cd $(NATIVE) && ctest --output-on-failure --timeout 600

test-win32: win32
	cd $(WIN32) && ctest --output-on-failure --timeout 900

# The loader's end-to-end checks against deliberately broken loaders (tests/loader/broken/):
# each must fail the checks aimed at its fault. Not part of make test; about 5 minutes once
# the tree is built, most of it spent by the broken loaders that a check waits out to its end.
.PHONY: loader-proofs
loader-proofs: win32
	cmake --build $(WIN32) --target loader_broken_builds -j $(JOBS)
	python3 tests/loader/prove_checks.py --bin $(WIN32)/bin --build-root $(WIN32)/loader-e2e \
	    --splash $(WIN32)/loader/assets/splash.bmp

deps:
	@scripts/ensure-deps.sh

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(NATIVE) -j $(JOBS)

win32: deps
	$(CONFIGURE_WIN32)
	cmake --build $(WIN32) -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build dist out

# The mutation campaign (scripts/mutants/): every mutant of the list applied alone to a scratch
# copy in build/mutants, rebuilt (natively without sanitizers; the plug-in's Windows-only files
# with MinGW, run under Wine) and run against its tests, with ccache for the rebuilds. Not part
# of `make test`. MUTANTS_ARGS passes options on, e.g. MUTANTS_ARGS="--only roll".
mutants:
	@scripts/ensure-deps.sh ccache
	python3 scripts/mutants/run.py --jobs $(JOBS) $(MUTANTS_ARGS)

# --- Benchmarks and fuzzing (bench/, fuzz/, scripts/bench/, scripts/fuzz/).
# bench: Google Benchmark and a callgrind instruction count, in build/bench.
# fuzz: the libFuzzer target for FUZZ_SECONDS; fuzz-ci: regressions, then a short run.
FUZZ_SECONDS ?= 600
FUZZ_CI_SECONDS ?= 60
.PHONY: bench fuzz fuzz-ci

bench:
	@scripts/ensure-deps.sh libbenchmark-dev valgrind
	scripts/bench/run.sh

fuzz:
	@scripts/ensure-deps.sh clang libclang-rt-14-dev
	scripts/fuzz/run.sh $(FUZZ_SECONDS)

fuzz-ci:
	@scripts/ensure-deps.sh clang libclang-rt-14-dev
	scripts/fuzz/run.sh --ci $(FUZZ_CI_SECONDS)
# --- End of benchmarks and fuzzing.

# --- demo: the shippable package, run from its loader under Wine and recorded to out/demo/
# (scripts/demo/run_demo.py). On your X display when DISPLAY is set, else on a private Xvfb.
.PHONY: demo
demo: win32 dist
	python3 scripts/demo/run_demo.py --package dist --out out/demo \
	    --probe $(WIN32)/bin/demo_display_probe.exe
# --- end of demo

# --- fresh-check: the README's two commands, one after the other, as root in a minimal Debian 12
# root made with debootstrap, on a clone of the committed HEAD (uncommitted changes are not in
# it). Takes a long while, so it is not part of make test. Log: FRESH_LOG (default
# /tmp/fresh-machine-check.log). FRESH_COMMANDS runs other commands instead, each quoted, e.g.
# FRESH_COMMANDS='"make demo" "make test" "make reproducible-check"'.
FRESH_CHECK ?= ../shared/tools/fresh-machine-check
.PHONY: fresh-check
fresh-check:
	@[ -x "$(FRESH_CHECK)" ] || { echo "fresh-check: $(FRESH_CHECK) not found" >&2; exit 2; }
	@[ -z "$$(git status --porcelain --untracked-files=no)" ] || \
	    echo "fresh-check: uncommitted changes are not checked; the clone has HEAD only"
	$(FRESH_CHECK) "$(CURDIR)" $(FRESH_COMMANDS)
# --- end of fresh-check
