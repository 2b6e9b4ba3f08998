# tilelink: `make play` to play, `make test` to run every test.
# Both first install the Debian packages that are missing (apt-get, non-interactive).

BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

DEB_PACKAGES := cmake ninja-build g++ pkg-config \
  qt6-base-dev qt6-multimedia-dev libasio-dev libsqlite3-dev libssl-dev \
  fonts-wqy-microhei libgtest-dev libgmock-dev libbenchmark-dev \
  xvfb xdotool imagemagick

SUDO := $(shell if [ "$$(id -u)" != 0 ] && command -v sudo >/dev/null; then echo sudo; fi)

.PHONY: deps configure build test play clean

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

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

play: build
	$(BUILD)/lobby/tilelink-lobby play

clean:
	rm -rf $(BUILD)
