# The two commands a user needs: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

# What `make run` starts; switch this when the window exists. Today: the first
# sample program in simulation on the sample layout, with its trace.
RUN_CMD ?= $(BUILD)/bin/vardo-run run --simulate --agree --program $(BUILD)/bin/sample/program/1_lap_platform.vpr --seconds 60

.PHONY: deps configure build run test test-plain test-asan test-tsan bench clean

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(RUN_CMD)

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=address,undefined -DBUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer over the whole suite: the workers share state only through
# atomics, events and locks, and this proves it.
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=thread -DBUILD_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	cd $(TSAN_BUILD) && ctest --output-on-failure -j $(JOBS)

test: test-plain test-asan test-tsan

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target benches
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD)
