# The commands of the README. Each installs what is missing first.
.PHONY: run test bench fuzz dist setup native windows clean

run:
	bash scripts/run.sh

test:
	bash scripts/test.sh

bench:
	bash scripts/bench.sh

fuzz:
	bash scripts/fuzz.sh

setup:
	bash scripts/setup.sh
	bash scripts/fetch-pugixml.sh

native: setup
	bash scripts/build.sh native

windows: setup
	bash scripts/build.sh windows

clean:
	rm -rf build/native build/windows build/fuzz build/bench build/test-results build/dist build/installer build/wine-template build/wine-template.log

dist:
	bash scripts/dist.sh
