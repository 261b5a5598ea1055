# The two commands of a fresh Debian 12 machine:
#   make run    installs what is missing, builds, and starts the full-screen show
#   make test   installs what is missing, builds, and runs the whole suite headless
BUILD      ?= build
ASAN_BUILD ?= build-asan
PREFIX     ?= /usr/local
ARGS       ?= /s
JOBS       ?= $(shell nproc)
WERROR     := $(if $(CI),ON,OFF)

# Debian packages the build, the tests and the end-to-end runs need.
DEPS = cmake make g++ pkg-config \
  qt6-base-dev qt6-base-dev-tools libgl-dev \
  libjpeg62-turbo-dev libsqlite3-dev sqlite3 \
  libx11-dev libxfixes-dev libxss-dev \
  googletest libgtest-dev libgmock-dev libbenchmark-dev \
  clang libclang-rt-14-dev \
  xvfb xauth xdotool x11-utils \
  libxml2-utils desktop-file-utils man-db \
  fonts-urw-base35
# Only the benchmark scripts need these (make bench-deps).
BENCH_DEPS = ffmpeg bc

SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: deps bench-deps build run test test-asan install clean

deps bench-deps: PACKAGES = $(if $(filter bench-deps,$@),$(BENCH_DEPS),$(DEPS))
deps bench-deps:
	@missing=$$(for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBRELINDE_WERROR=$(WERROR)
	cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/brelinde $(ARGS)

# The whole suite, then the toolkit-free suites again under AddressSanitizer and UBSan.
test: build test-asan
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRELINDE_WERROR=$(WERROR) \
	  -DBRELINDE_SANITIZE=ON -DBRELINDE_QT=OFF -DBRELINDE_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j$(JOBS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
