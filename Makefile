# tilelink: `make play` to play (LEVEL=easy|normal|hard|expert), `make test` to run every test.
# Both first install the Debian packages that are missing (apt-get, non-interactive).

BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= 2
# The normal build's suites mostly wait on clocks and sockets (about a third of a core in
# all), so they run four at a time; the sanitizer build's run at JOBS.
TEST_JOBS ?= 4
CMAKE_FLAGS ?=
# The sanitizer build: clang with address and undefined-behaviour checks and the libFuzzer
# targets, no benchmarks.
ASAN_FLAGS := -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTILELINK_SANITIZE=ON -DTILELINK_FUZZ=ON \
  -DTILELINK_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1"
SAN_ENV := ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0

DEB_PACKAGES := cmake ninja-build g++ pkg-config \
  qt6-base-dev qt6-multimedia-dev libasio-dev libsqlite3-dev libsodium-dev libpq-dev postgresql libssl-dev \
  fonts-wqy-microhei libgtest-dev libgmock-dev libbenchmark-dev \
  xvfb xdotool imagemagick clang libclang-rt-14-dev \
  lintian dpkg-dev fakeroot libcli11-dev libspdlog-dev clang-format clang-tidy

SUDO := $(shell if [ "$$(id -u)" != 0 ] && command -v sudo >/dev/null; then echo sudo; fi)

.PHONY: deps configure build asan lint test test-fast fuzz play package clean

deps:
	@missing=""; \
	for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja $(ASAN_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)

# The style checks: every C++ file as the root .clang-format lays it out, and every
# translation unit of the programs clean under the root .clang-tidy (in JOBS parallel runs;
# the headers of the tree are checked through the files that include them). clang-tidy
# takes about 6 s of processor time a file, so the tests' and benchmarks' own files are
# left to `make lint TIDY_DIRS="tests bench"` (tests/.clang-tidy holds their checks).
LINT_DIRS := core net server bot lobby client tools tests bench
TIDY_DIRS ?= core net server bot lobby client tools
TIDY_FILES = '$(CURDIR)/($(subst $(eval) ,|,$(strip $(TIDY_DIRS))))/'
lint: build
	find $(LINT_DIRS) -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' | sort | \
	  xargs clang-format --dry-run -Werror
	run-clang-tidy -quiet -p $(BUILD) -j$(JOBS) $(TIDY_FILES) >$(BUILD)/clang-tidy.log 2>&1 || \
	  { grep -E -A3 'error:|warning:' $(BUILD)/clang-tidy.log; echo "clang-tidy: see $(BUILD)/clang-tidy.log"; exit 1; }

# Every suite, in the normal build and in the sanitizer build, and the style checks. The
# suites mostly wait on clocks and sockets, so the checks run beside them on the idle cores.
test: build asan
	$(MAKE) --no-print-directory lint >$(BUILD)/lint.log 2>&1 & lint=$$!; \
	( cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(TEST_JOBS) ) && \
	( cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen $(SAN_ENV) ctest --output-on-failure -j$(JOBS) ); status=$$?; \
	if wait $$lint; then echo "lint: clean"; else cat $(BUILD)/lint.log; status=1; fi; exit $$status

# The normal build's suites only.
test-fast: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(TEST_JOBS)

# Every fuzz target for FUZZ_SECONDS each (default 600), one after the other, keeping
# the corpus each one learns in $(ASAN_BUILD)/fuzz/<target>/corpus.
FUZZ_SECONDS ?= 600
fuzz: asan
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen $(SAN_ENV) TILELINK_FUZZ_SECONDS=$(FUZZ_SECONDS) \
	  ctest -L fuzz --output-on-failure --timeout $$(( $(FUZZ_SECONDS) + 600 ))

# The Debian packages tilelink and tilelink-server, written to $(BUILD)/packages/.
package: build
	cmake --build $(BUILD) --target package


# Only what a game needs (the `game` target: no tests, no benchmarks), then a table.
# LEVEL=easy|normal|hard|expert chooses the computer players' level.
LEVEL ?= normal
play: configure
	cmake --build $(BUILD) --target game -j$(JOBS)
	$(BUILD)/lobby/tilelink-lobby --local --level $(LEVEL)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
