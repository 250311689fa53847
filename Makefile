# Shortcuts for a machine that has make; the README's commands are ./run and ./test.
.PHONY: run test build bench package clean

run:
	@./run

test:
	@./test

build:
	@tools/bootstrap && tools/build

bench: build
	@bench/run build

clean:
	@rm -rf build
