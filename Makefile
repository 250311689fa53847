# Shortcuts for a machine that has make; the README's commands are ./run and ./test.
.PHONY: run test build bench package clean

run:
	@./run

test:
	@./test

build:
	@tools/bootstrap && tools/build

# A .deb of the installed tree (build/cutwright_*.deb).
package: build
	@cmake --build build --target package

bench: build
	@bench/run build

clean:
	@rm -rf build
