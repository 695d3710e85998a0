# The project's commands; see README.md.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE   := cmake -G Ninja -Wno-dev
FUZZ_SECONDS ?= 20
FUZZ_RUNS ?=
FUZZ_JOBS ?= 1
FUZZ_TARGETS ?=

.PHONY: all setup test test-release tsan soak bench compare fuzz demo clean

all: test

setup:
	@scripts/setup

# The sanitizer builds' code: optimised a little, so that the tests run at a
# useful speed, with line tables only (-g1), which is all a sanitizer's report
# or a backtrace needs (inlined frames included) and compiles a good deal
# faster than full debug information.  DEBUG_FLAGS="-O1 -g" for a debugger.
DEBUG_FLAGS ?= -O1 -g1

# Debug build with AddressSanitizer and UndefinedBehaviorSanitizer, every test.
# The benchmarks are left out: make test does not run them.
test: setup
	$(CMAKE) -S . -B $(BUILD)/test -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="$(DEBUG_FLAGS)" \
	    -DZORVANE_SANITIZE=ON -DZORVANE_WERROR=ON -DZORVANE_BENCH=OFF -DZORVANE_UNITY=ON
	cmake --build $(BUILD)/test -j $(JOBS)
	cd $(BUILD)/test && ctest --output-on-failure -j $(JOBS) --timeout 600

# The optimised build that make demo and make bench make (-O3), with the
# tests of the suites in RELEASE_SUITES: their kernels must give there the
# bits that make test's -O1 build pins.  Not part of CI (.ci/run), which
# must stay well within 30 minutes on two cores.  Warnings do not stop it:
# at -O3 GCC 12 warns of overlapping copies inside std::string's operator+
# that cannot happen.
RELEASE_SUITES ?= core engine effects plugin
empty :=
space := $(empty) $(empty)
test-release: setup
	$(CMAKE) -S . -B $(BUILD)/reltest -DCMAKE_BUILD_TYPE=Release -DZORVANE_TESTS=ON -DZORVANE_WERROR=OFF \
	    -DZORVANE_BENCH=OFF
	cmake --build $(BUILD)/reltest -j $(JOBS) --target $(addprefix tests_,$(RELEASE_SUITES))
	cd $(BUILD)/reltest && ctest --output-on-failure -j $(JOBS) --timeout 600 \
	    -L '^($(subst $(space),|,$(strip $(RELEASE_SUITES))))$$'

# Optimised build of the module, the host stand-in and the factory generator;
# the factory content (instruments, samples, presets, chord banks) goes into a
# content folder that the demo's settings point to,
# and a built-in chord phrase is rendered through the plug-in to demo.wav.
DEMO := $(BUILD)/demo
demo: setup
	$(CMAKE) -S . -B $(BUILD)/release -DCMAKE_BUILD_TYPE=Release -DZORVANE_TESTS=OFF
	cmake --build $(BUILD)/release -j $(JOBS) --target Zorvane zorvane-host zorvane-factory zorvane-demo-state zorvane-spike-probe
	$(BUILD)/release/zorvane-factory $(DEMO)/content
	ZORVANE_SETTINGS_DIR=$(abspath $(DEMO))/settings ZORVANE_DOCUMENTS_DIR=$(abspath $(DEMO))/Documents \
	    $(BUILD)/release/zorvane-host content $(DEMO)/content
	ZORVANE_SETTINGS_DIR=$(abspath $(DEMO))/settings ZORVANE_DOCUMENTS_DIR=$(abspath $(DEMO))/Documents \
	    $(BUILD)/release/zorvane-demo-state $(DEMO)/demo.state
	ZORVANE_SETTINGS_DIR=$(abspath $(DEMO))/settings ZORVANE_DOCUMENTS_DIR=$(abspath $(DEMO))/Documents \
	    $(BUILD)/release/zorvane-host render --state $(DEMO)/demo.state -o demo.wav --seconds 10
	@soxi demo.wav 2>/dev/null | grep -E "Duration|Channels|Sample Rate" || true

# Under ThreadSanitizer, which must report nothing: every test of the suites
# in TSAN_WHOLE_SUITES, and the tests that run threads against each other
# (TSAN_FILTER) from the others, JOBS suites side by side.  The stress
# tests run STRESS_SECONDS each here (two in make test), the dense song with
# program changes SONG_RUNS times.
STRESS_SECONDS ?= 60
# Runs of the dense song with program changes: three in make test, ten
# here, a hundred in make soak.
SONG_RUNS ?= 10
TSAN_WHOLE_SUITES := core
TSAN_SUITES := platform effects engine plugin aax editor
TSAN_FILTER := EngineHold.*:SampleHold.*:SongEventsTest.ProgramChangesInADenseSongLeaveNoNoteSounding:EffectParameterThreads.*:BWSampleDataHandshake.*:*ThreadsShareTheLibrary*:*WhileTheAudioThreadPlays*:ProgramChangeTest.*:ProgramLoader.*:*GivesUpWhenTheAudioThreadStaysBusy:Adapter.StateChunkIsCachedPerThread*:Adapter.TracesUnderWay*:EditorThreads.*:*StaysInItsBlock*:*ParameterThreads*:AdapterStress.*:PlayingIndicators.FollowAnotherThreadThatRenders:*OffTheGuiThread*:EditorStress.*:HostBesideDialogs.*:StateParkTest.*:TwoInstances.*:InstancesBeside.*:DamagedInstrumentBox.*:MissingSampleQuestion.*
tsan: setup
	$(CMAKE) -S . -B $(BUILD)/tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="$(DEBUG_FLAGS)" \
	    -DZORVANE_TSAN=ON -DZORVANE_WERROR=ON -DZORVANE_BENCH=OFF -DZORVANE_UNITY=ON
	cmake --build $(BUILD)/tsan -j $(JOBS) --target $(addprefix tests_,$(TSAN_WHOLE_SUITES) $(TSAN_SUITES))
	TSAN_JOBS=$(JOBS) ZORVANE_STRESS_SECONDS=$(STRESS_SECONDS) scripts/run-tsan $(BUILD)/tsan "*" $(TSAN_WHOLE_SUITES)
	TSAN_JOBS=$(JOBS) ZORVANE_STRESS_SECONDS=$(STRESS_SECONDS) ZORVANE_SONG_RUNS=$(SONG_RUNS) \
	    scripts/run-tsan $(BUILD)/tsan "$(TSAN_FILTER)" $(TSAN_SUITES)

# The effects' whole stability sweep (every rate, a minute each; make test
# runs one minute per effect), a hundred runs of the dense song with
# program changes on a host that never waits for the loads, and the state
# round trip after 2,000 random interface events from each of 20 seeds
# (make test: 400 from each of 4).  Not part of CI.
soak: test
	ZORVANE_SOAK=1 $(BUILD)/test/tests_effects --gtest_filter='*Stability*'
	cd $(BUILD)/test && ZORVANE_SETTINGS_DIR=$$PWD/test-home/settings ZORVANE_DOCUMENTS_DIR=$$PWD/test-home/Documents \
	    HOME=$$PWD/test-home LSAN_OPTIONS=suppressions=$(abspath tests/lsan.supp) ZORVANE_SONG_RUNS=100 \
	    ./tests_plugin --gtest_filter='SongEventsTest.ProgramChanges*'
	cd $(BUILD)/test && ZORVANE_SETTINGS_DIR=$$PWD/test-home/settings ZORVANE_DOCUMENTS_DIR=$$PWD/test-home/Documents \
	    HOME=$$PWD/test-home LSAN_OPTIONS=suppressions=$(abspath tests/lsan.supp) ZORVANE_SOAK=1 \
	    ./tests_aax --gtest_filter='EditorRoundTrip.*'

# Optimised build; runs every benchmark.
bench: setup
	$(CMAKE) -S . -B $(BUILD)/release -DCMAKE_BUILD_TYPE=Release -DZORVANE_TESTS=OFF
	cmake --build $(BUILD)/release -j $(JOBS) --target zorvane_bench
	$(BUILD)/release/zorvane_bench

# The whole program against FluidSynth's command line on the same 60-second
# song, both pinned to one core and alternated, PAIRS pairs of runs: each
# run's CPU time and the ratio (FluidSynth's time over ours).
PAIRS ?= 20
compare: setup
	$(CMAKE) -S . -B $(BUILD)/release -DCMAKE_BUILD_TYPE=Release -DZORVANE_TESTS=OFF
	cmake --build $(BUILD)/release -j $(JOBS) --target Zorvane zorvane-host zorvane-factory zorvane-dense-state
	bench/compare-fluidsynth --build $(BUILD)/release --pairs $(PAIRS)

# libFuzzer targets built with clang; each runs up to FUZZ_SECONDS (and, when
# set, FUZZ_RUNS executions) from its seed corpus, FUZZ_JOBS targets at a time
# (FUZZ_TARGETS: only those), and a summary gives executions and findings per
# target.  A long campaign: make fuzz FUZZ_SECONDS=7200 FUZZ_RUNS=10000000 FUZZ_JOBS=8
fuzz: setup
	CC=clang CXX=clang++ $(CMAKE) -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANE_FUZZ=ON
	cmake --build $(BUILD)/fuzz -j $(JOBS)
	FUZZ_RUNS="$(FUZZ_RUNS)" FUZZ_JOBS="$(FUZZ_JOBS)" FUZZ_TARGETS="$(FUZZ_TARGETS)" \
	    scripts/run-fuzzers $(BUILD)/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)
