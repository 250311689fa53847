# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: bootstrap configure build run test bench package clean

bootstrap:
	@tools/bootstrap

$(BUILD)/build.ninja:
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

configure: bootstrap $(BUILD)/build.ninja

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/bin/cutwright

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# A .deb of the installed tree (build/cutwright_*.deb).
package: build
	@cmake --build $(BUILD) --target package

bench: build
	@bench/run $(BUILD)

clean:
	@rm -rf $(BUILD)
