# The two everyday commands:
#   make run    installs what is missing, builds and starts the program
#   make test   installs what is missing, builds and runs every test headless
#   make package builds the Debian package
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: run test build package deps deps-test bench fuzz fuzz-run format clean

deps:
	scripts/install-deps.sh run

deps-test:
	scripts/install-deps.sh test

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: deps
	@$(MAKE) --no-print-directory build
	scripts/run.sh $(BUILD)

test: deps-test
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

# The Debian package $(BUILD)/nulo-vandrel_<version>_<arch>.deb, checked like an installed copy.
package: deps-test
	@$(MAKE) --no-print-directory build
	cmake --build $(BUILD) --target package
	scripts/check-package.sh $(BUILD)

bench: deps-test
	@$(MAKE) --no-print-directory build
	scripts/run-benchmarks.sh $(BUILD)

# Fuzzers: clang with libFuzzer, ASan and UBSan, in their own build folder.
# make fuzz-run FUZZ_SECONDS=600 runs each target for that long.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	scripts/install-deps.sh dev
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DNV_FUZZ=ON -DNV_BUILD_TESTS=OFF -DNV_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz-run: fuzz
	scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
