# The project's commands; see README.md.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE   := cmake -G Ninja -Wno-dev
FUZZ_SECONDS ?= 20

.PHONY: all setup test tsan soak bench fuzz clean

all: test

setup:
	@scripts/setup

# Debug build with AddressSanitizer and UndefinedBehaviorSanitizer, every test.
test: setup
	$(CMAKE) -S . -B $(BUILD)/test -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
	    -DZORVANE_SANITIZE=ON -DZORVANE_WERROR=ON
	cmake --build $(BUILD)/test -j $(JOBS)
	cd $(BUILD)/test && ctest --output-on-failure -j $(JOBS) --timeout 600

# The tests that run threads against each other, built with ThreadSanitizer;
# it must report nothing.
TSAN_SUITES := effects core engine plugin
TSAN_FILTER := EffectParameterThreads.*:UseGate.*:*TheAudioThreadNeverReadsFreedLines:*ABusyAudioSide*:BWSampleDataHandshake.*:*ThreadsShareTheLibrary*:*WhileTheAudioThreadPlays*:ProgramChangeTest.*:ProgramLoader.*:*GivesUpWhenTheAudioThreadStaysBusy
tsan: setup
	$(CMAKE) -S . -B $(BUILD)/tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
	    -DZORVANE_TSAN=ON -DZORVANE_WERROR=ON -DZORVANE_BENCH=OFF
	cmake --build $(BUILD)/tsan -j $(JOBS) --target $(addprefix tests_,$(TSAN_SUITES))
	scripts/run-tsan $(BUILD)/tsan "$(TSAN_FILTER)" $(TSAN_SUITES)

# The effects' whole stability sweep (every rate, a minute each); make test
# runs one minute per effect.  Not part of CI.
soak: test
	ZORVANE_SOAK=1 $(BUILD)/test/tests_effects --gtest_filter='*Stability*'

# Optimised build; runs every benchmark.
bench: setup
	$(CMAKE) -S . -B $(BUILD)/release -DCMAKE_BUILD_TYPE=Release -DZORVANE_TESTS=OFF
	cmake --build $(BUILD)/release -j $(JOBS) --target zorvane_bench
	$(BUILD)/release/zorvane_bench

# libFuzzer targets built with clang; each runs FUZZ_SECONDS from its seed corpus.
fuzz: setup
	CC=clang CXX=clang++ $(CMAKE) -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANE_FUZZ=ON
	cmake --build $(BUILD)/fuzz -j $(JOBS)
	scripts/run-fuzzers $(BUILD)/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)
