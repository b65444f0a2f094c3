# The two commands a user needs: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_JOBS  ?= 1
SOAK_MINUTES ?= 10
JOBS       ?= $(shell nproc)
# Line tables are enough for a crash's backtrace and cost a third less to
# compile than full debug information. Every build is a unity build: most of
# a file's time goes on parsing the headers, which a batch of files then
# parses once (40 % less for the optimised build). A build by hand (see the
# README) and `make fuzz` still compile one file at a time, so a missing
# include shows there.
CMAKE_ARGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" -DCMAKE_UNITY_BUILD=ON
# Sanitizer builds: unoptimised, with line tables only (enough for the
# reports' stack traces, and much less for the compiler and linker to write),
# built with clang, which compiles unoptimised code a quarter to a third
# faster than gcc.
SAN_ARGS   ?= -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1 -DBUILD_BENCH=OFF -DCMAKE_UNITY_BUILD=ON
# The suites mostly wait (on timers, boards on pseudo-terminals, child
# programs): at one test per core the plain one keeps a tenth of the
# machine busy and the sanitizer ones under half, so more tests run side by
# side than there are cores.
TEST_JOBS     ?= $(shell echo $$(( $(JOBS) * 4 )))
SAN_TEST_JOBS ?= $(shell echo $$(( $(JOBS) * 2 )))

# What `make run` starts: the window on the default program folder (the
# sample layout in simulation, the first sample program loaded); without a
# display, the headless runner with the same sample program.
HEADLESS_RUN ?= $(BUILD)/bin/vardo-run run --simulate --agree --program $(BUILD)/bin/sample/program/1_lap_platform.vpr --seconds 60
GUI_RUN ?= bash scripts/run-window.sh $(BUILD)
RUN_CMD ?= $(if $(DISPLAY),$(GUI_RUN),$(HEADLESS_RUN))

.PHONY: deps configure build run test test-plain test-asan test-tsan soak bench fuzz clean screenshots demo-video planwerk

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(RUN_CMD)

planwerk: build
	cd $(BUILD)/bin && ./Planwerk

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(TEST_JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) $(SAN_ARGS) -DSANITIZE=address,undefined
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(SAN_TEST_JOBS)

# ThreadSanitizer over the whole suite: the workers share state only through
# atomics, events and locks, and this proves it. tests/tsan.supp only keeps
# the sanitizer out of the C library calls made inside libraries built
# without it (Qt, GLib, GStreamer and its plugins); the hand-overs those
# libraries make to our code are marked in our code, so no race of ours is
# hidden.
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) $(SAN_ARGS) -DSANITIZE=thread
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp $(TSAN_OPTIONS)" \
	  ctest --output-on-failure -j $(SAN_TEST_JOBS)

# The suites, and a 3-minute long run (see soak below) going on beside the
# sanitizer builds and suites: it needs little of the machine, and its
# verdict is about the runner's own memory, threads and descriptors.
test: test-plain
	@python3 scripts/soak.py $(BUILD) --minutes 3 >$(BUILD)/soak-test.log 2>&1 & soak=$$!; \
	$(MAKE) test-asan test-tsan; suites=$$?; \
	wait $$soak; soaked=$$?; \
	echo "== soak, 3 minutes beside the sanitizer suites"; cat $(BUILD)/soak-test.log; \
	[ $$suites -eq 0 ] && [ $$soaked -eq 0 ]

# The headless runner on a looping program for SOAK_MINUTES, with sounds and
# an SDK client; fails when memory, threads or descriptors grow.
soak: build
	python3 scripts/soak.py $(BUILD) --minutes $(SOAK_MINUTES)

# Every benchmark, headless like the tests (the GUI-thread one needs a Qt
# platform; offscreen needs no display).
bench: build
	cmake --build $(BUILD) -j $(JOBS) --target benches
	@for b in $(BUILD)/bench/*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  echo "== $$b"; \
	  QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$$b" || exit 1; \
	done

# Every fuzz target, built with clang in its own folder and run for
# FUZZ_SECONDS each (FUZZ_JOBS of them side by side); fails on a finding
# and prints where the artefacts are.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ=ON -DBUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	bash scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)

# PNGs of the window under Xvfb into docs/screenshots/.
screenshots: build
	bash scripts/screenshots.sh $(BUILD)

# The window on a generated video of the sample layout, with the relay board
# emulated on a pseudo-terminal: camera -> detection -> program -> relays.
demo-video: build
	bash scripts/demo-video.sh $(BUILD)
