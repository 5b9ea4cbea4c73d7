# Top-level entry points: `make run` and `make test` work on a fresh Debian machine.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake ninja-build g++ pkg-config ccache libgtest-dev libgmock-dev \
	libcurl4-openssl-dev libcsv-dev libpugixml-dev libzip-dev libicu-dev libshp-dev qt6-base-dev libgl-dev fonts-ipafont-mincho fonts-ipafont-gothic \
	python3 xvfb xauth libcli11-dev nlohmann-json3-dev \
	qt6-translations-l10n dpkg-dev imagemagick poppler-utils

# Fuzzing only (`make fuzz`): the compiler with libFuzzer.
FUZZ_PACKAGES := clang cmake ninja-build pkg-config libcurl4-openssl-dev libpugixml-dev libzip-dev libicu-dev
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 120

# Installs the Debian packages of a list that are missing (as root, or with sudo rights).
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  export DEBIAN_FRONTEND=noninteractive; \
	  apt-get update -qq && apt-get install -y -qq $$missing; \
	fi
endef

.PHONY: deps build test run bench package clean fuzz fuzz-deps

deps:
	$(call install_missing,$(PACKAGES))

$(BUILD_DIR)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Times every command on generated federation files (1,000 / 10,000 / 30,000 swimmers); not part of test.
bench: build
	python3 bench/run.py $(BUILD_DIR)

run: build
	./scripts/run.sh $(BUILD_DIR)

# The Debian package of both programs (build/tolvsys_<version>_<arch>.deb).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Builds the fuzz targets with clang, writes seed corpora from generated files, and runs each target
# for FUZZ_SECONDS (nice'd). Findings land in $(FUZZ_DIR)/findings.
fuzz-deps:
	$(call install_missing,$(FUZZ_PACKAGES))

fuzz: fuzz-deps
	cmake -S fuzz -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++
	nice -n 10 cmake --build $(FUZZ_DIR) -j $(JOBS)
	$(FUZZ_DIR)/bin/fuzz_seeds $(FUZZ_DIR)/seeds
	@mkdir -p $(FUZZ_DIR)/findings
	@for t in entry master control lenex; do \
	  mkdir -p $(FUZZ_DIR)/corpus/$$t; \
	  echo "fuzz_$$t: $(FUZZ_SECONDS) s"; \
	  nice -n 10 $(FUZZ_DIR)/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=1024 -max_len=65536 \
	    -artifact_prefix=$(FUZZ_DIR)/findings/$$t- $(FUZZ_DIR)/corpus/$$t $(FUZZ_DIR)/seeds/$$t || exit 1; \
	done

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR)
