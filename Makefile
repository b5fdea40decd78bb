# Common commands. Each installs missing Debian packages first (only when
# something is missing), then configures and builds incrementally.
.PHONY: windows test-windows run test test-asan bench fuzz deps format format-check mutants clean release-programs install package package-check

DEMO := samples/missions/demo/scene2.bin
JOBS ?= 2
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 60

deps:
	@./scripts/install-deps.sh

build/dev/build.ninja: | deps
	cmake --preset dev

run: deps build/dev/build.ninja
	cmake --build --preset dev --target quillscope -j $(JOBS)
	./build/dev/editor/quillscope $(DEMO)

test: deps build/dev/build.ninja
	cmake --build --preset dev -j $(JOBS)
	ctest --preset dev -j $(JOBS)

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

bench: deps
	cmake --preset release
	cmake --build --preset release --target index_bench save_bench value_save_bench insert_delete_bench window_bench trellis_bench quill quillscope scenegen -j $(JOBS)
	./build/release/bench/index_bench --benchmark_counters_tabular=true --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	cd build/release && ./bench/save_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	./build/release/bench/value_save_bench --benchmark_counters_tabular=true --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	./build/release/bench/insert_delete_bench --benchmark_counters_tabular=true --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	./build/release/bench/window_bench --benchmark_counters_tabular=true --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	./bench/quill_vs_cat.sh build/release
	./bench/scripts_import.sh build/release
	./bench/editor_ready.sh build/release
	./build/release/bench/trellis_bench --benchmark_counters_tabular=true --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# The three programs, optimised: what `install` and `package` take.
build/release/build.ninja: | deps
	cmake --preset release

release-programs: deps build/release/build.ninja
	cmake --build --preset release --target quillscope trellis quill -j $(JOBS)

# Installs under PREFIX (DESTDIR=... stages the tree elsewhere).
install: release-programs
	cmake --install build/release --prefix $(PREFIX)

# build/release/quillscope_VERSION_ARCH.deb
package: release-programs
	cd build/release && cpack -G DEB

# Installs the package into a clean Debian 12 root and runs the programs there.
package-check: package
	./scripts/package-check.sh build/release

# The core libraries and quill.exe for Windows, cross-compiled with mingw-w64.
windows: deps
	cmake --preset windows
	cmake --build --preset windows --target scenecore analysercore quill -j $(JOBS)
	@echo "Built build/windows/cli/quill.exe"

# The Windows build under Wine: the tests that need no window (the core's,
# quill's and file access), cross-built with GoogleTest from Debian's sources,
# then quill.exe against quill on the same files (tests/wine). The Wine prefix
# lives in the build folder and is made without questions; console programs
# need no display. One wine server serves every run (each then starts in a
# tenth of a second) and is stopped after them; wineboot starts Wine's own
# services first, so that none of them holds a test's output open. Now and
# then a Wine client loses its server connection at start ("wine client
# error: recvmsg: Connection reset by peer") and the test never runs: a
# failed test is run up to twice more, so only one that fails each time
# fails the step.
WINE ?= /usr/lib/wine/wine64
WINESERVER ?= /usr/lib/wine/wineserver
WINE_ENV := WINEPREFIX=$(CURDIR)/build/windows/wineprefix WINEDEBUG=-all DISPLAY= LC_ALL=C.UTF-8
test-windows: deps build/dev/build.ninja
	cmake --preset windows -DQS_WINDOWS_TESTS=ON -DQS_WINE=$(WINE)
	cmake --build --preset windows --target scenecore analysercore quill scene_tests cli_tests file_access_tests -j $(JOBS)
	cmake --build --preset dev --target quill wine_tests -j $(JOBS)
	@test -d build/windows/wineprefix || $(WINE_ENV) $(WINE) wineboot -i
	$(WINE_ENV) $(WINESERVER) -p || true
	$(WINE_ENV) $(WINE) wineboot < /dev/null > /dev/null 2>&1
	$(WINE_ENV) sh -c 'ctest --test-dir build/windows -j $(JOBS) --output-on-failure --repeat until-pass:3 && \
		QS_WINE=$(WINE) QUILL_EXE=$(CURDIR)/build/windows/cli/quill.exe \
		ctest --test-dir build/dev -R "^WineQuill\." --output-on-failure --repeat until-pass:3'; \
		status=$$?; $(WINE_ENV) $(WINESERVER) -k; exit $$status

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz --target fuzz_index fuzz_addin fuzz_trellis addingen scenegen -j $(JOBS)
	mkdir -p fuzz-corpus/index
	./build/fuzz/fuzz/fuzz_index -max_total_time=$(FUZZ_SECONDS) -max_len=65536 fuzz-corpus/index samples/missions/demo
	mkdir -p fuzz-corpus/addin fuzz-corpus/addin-seed
	./build/fuzz/tools/addingen fuzz-corpus/addin-seed/demo.qxa
	./build/fuzz/fuzz/fuzz_addin -max_total_time=$(FUZZ_SECONDS) -max_len=65536 fuzz-corpus/addin fuzz-corpus/addin-seed
	mkdir -p fuzz-corpus/trellis fuzz-seeds/trellis
	./build/fuzz/tools/scenegen --seed 1 --objects 12 fuzz-seeds/trellis/small.bin
	./build/fuzz/fuzz/fuzz_trellis -max_total_time=$(FUZZ_SECONDS) -max_len=65536 fuzz-corpus/trellis fuzz-seeds/trellis

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Fails, naming the places, when a source file is not formatted.
format-check: deps
	clang-format --dry-run -Werror $$(git ls-files '*.cpp' '*.h')

# Each listed mutation of the sources in turn, against the tests named for it:
# the report lists the mutants no test caught. MUTANTS=ID,ID runs only those.
MUTANT_LISTS ?= $(wildcard tools/mutants/*.list)
mutants: deps build/dev/build.ninja
	python3 tools/mutants.py $(if $(MUTANTS),--only $(MUTANTS)) $(MUTANT_LISTS)

clean:
	rm -rf build
