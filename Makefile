# Shortcuts for a machine that has make; the README's commands are ./run and ./test.
.PHONY: run test build bench package clean

run:
	@./run

test:
	@./test

build:
	@tools/bootstrap && tools/build

# A .deb of the installed tree (build/cutwright_*.deb). It holds only the
# program and its desktop files, so only they are built (CMake's own package
# target would build every test first).
package:
	@tools/bootstrap && tools/build cutwright cw_icons && cd build && cpack -G DEB

bench: build
	@bench/run build

clean:
	@rm -rf build
