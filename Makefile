# make run    installs what is missing, builds and starts the program
# make test   installs what is missing, builds and runs every test
# make bench  installs what is missing, builds and measures
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/trulvex samples/hello.txt

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD)/bench/trulvex_bench
	@bench/compare_tools.sh $(BUILD)/trulvex-cli
	@if [ -x $(BUILD)/bench/convert_window_bench ]; then \
	  QT_QPA_PLATFORM=offscreen $(BUILD)/bench/convert_window_bench; fi

clean:
	@rm -rf $(BUILD)
