# make run    installs what is missing, builds and starts the program
# make test   installs what is missing, builds and runs every test
# make bench  installs what is missing, builds and measures
# make test-sanitize  runs every test under AddressSanitizer and
#                     UndefinedBehaviorSanitizer (clang)
# make fuzz   runs each fuzz target for FUZZ_SECONDS and fails on a finding
# make install  installs into PREFIX (default /usr/local; DESTDIR honoured)
# make package  builds the Debian package build-package/trulvex_*.deb
# make windows       cross-builds $(WINDOWS_BUILD)/trulvex-cli.exe (MinGW-w64)
# make test-windows  cross-builds the core, the converter and the core's
#                    tests for Windows and runs them under Wine
BUILD ?= build
PREFIX ?= /usr/local
PACKAGE_BUILD ?= build-package
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
WINDOWS_BUILD ?= build-windows
FUZZ_TARGETS := preference_file profile table code_mapping cp1251 cli_options \
  display_page \
  window_geometry
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=undefined \
  -fno-omit-frame-pointer

.PHONY: all deps configure build run test test-sanitize fuzz bench install \
  package clean deps-windows configure-windows windows test-windows

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DTRULVEX_BUILD_GUI=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The program keeps its profiles and settings in the per-user data
# directory (~/.config/trulvex), never in $(BUILD).
run: build
	@$(BUILD)/trulvex samples/hello.txt

# Only copies once the build exists, so that `sudo make install` after
# `make` leaves no root-owned files in $(BUILD).
install:
	@if [ ! -x $(BUILD)/trulvex-cli ]; then \
	  $(MAKE) build CMAKE_FLAGS="$(CMAKE_FLAGS) -DCMAKE_INSTALL_PREFIX=$(PREFIX)"; fi
	@DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# A release build of the programs alone, hardened as Debian builds are
# (dpkg-buildflags), installed under /usr by CPack; lintian checks the
# package when it is installed.
package: deps
	@cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DTRULVEX_BUILD_GUI=ON -DTRULVEX_BUILD_TESTS=OFF -DTRULVEX_BUILD_BENCH=OFF \
	  -DCMAKE_INSTALL_PREFIX=/usr \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now" \
	  $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	@cd $(PACKAGE_BUILD) && cpack -G DEB
	@if command -v lintian >/dev/null; then \
	  lintian --info $(PACKAGE_BUILD)/trulvex_*.deb; fi

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	@CC=clang CXX=clang++ cmake -S . -B $(SANITIZE_BUILD) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRULVEX_BUILD_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# Each target starts from its seeds in tests/data/fuzz and keeps what it
# learns in $(FUZZ_BUILD)/corpus; a finding lands in $(FUZZ_BUILD)/findings.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRULVEX_FUZZ=ON \
	  -DTRULVEX_BUILD_GUI=OFF -DTRULVEX_BUILD_TESTS=OFF \
	  -DTRULVEX_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@failed=; for target in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$target $(FUZZ_BUILD)/findings; \
	  log=$(FUZZ_BUILD)/findings/$$target.log; \
	  if $(FUZZ_BUILD)/fuzz/$${target}_fuzz -max_total_time=$(FUZZ_SECONDS) \
	      -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
	      -artifact_prefix=$(FUZZ_BUILD)/findings/$$target- \
	      $(FUZZ_BUILD)/corpus/$$target tests/data/fuzz/$$target \
	      >$$log 2>&1; then \
	    echo "$$target: $$(grep -o 'number_of_executed_units: *[0-9]*' $$log \
	      | grep -o '[0-9]*$$') executions, no finding"; \
	  else \
	    echo "$$target: FINDING, see $$log"; failed="$$failed $$target"; \
	  fi; \
	done; \
	if [ -n "$$failed" ]; then echo "fuzz findings in:$$failed"; exit 1; fi

# The cross-build runs the build tools of $(BUILD) and compares its
# converter with that build's: those are built first (only they, when
# $(BUILD) is not built yet).
HOST_TOOLS := make_glyph_table make_icons make_app_icon make_banner

deps-windows: deps
	@tools/install-deps.sh --windows

configure-windows: configure deps-windows
	@cmake --build $(BUILD) -j $(JOBS) --target $(HOST_TOOLS) trulvex-cli
	@cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	  -DTRULVEX_BUILD_GUI=OFF -DTRULVEX_BUILD_BENCH=OFF -DTRULVEX_LIBPNG=OFF \
	  -DTRULVEX_HOST_BUILD_DIR=$(abspath $(BUILD)) >/dev/null

windows: configure-windows
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target trulvex-cli

test-windows: configure-windows
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	@cd $(WINDOWS_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD)/bench/trulvex_bench
	@bench/streaming_bench.sh $(BUILD)/trulvex-cli
	@if [ -x $(BUILD)/bench/convert_window_bench ]; then \
	  QT_QPA_PLATFORM=offscreen $(BUILD)/bench/convert_window_bench; fi
	@if [ -x $(BUILD)/bench/preview_pane_bench ]; then \
	  QT_QPA_PLATFORM=offscreen $(BUILD)/bench/preview_pane_bench; fi

clean:
	@rm -rf $(BUILD) $(PACKAGE_BUILD) $(WINDOWS_BUILD)
