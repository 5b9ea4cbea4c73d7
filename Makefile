# Top-level entry points: `make run` and `make test` work on a fresh Debian machine.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake ninja-build g++ pkg-config ccache libgtest-dev libgmock-dev \
	libcurl4-openssl-dev libcsv-dev libpugixml-dev libzip-dev libshp-dev qt6-base-dev libgl-dev fonts-ipafont-mincho fonts-ipafont-gothic \
	python3 xvfb xauth libcli11-dev nlohmann-json3-dev \
	qt6-translations-l10n dpkg-dev imagemagick

.PHONY: deps build test run package clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  export DEBIAN_FRONTEND=noninteractive; \
	  apt-get update -qq && apt-get install -y -qq $$missing; \
	fi

$(BUILD_DIR)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: build
	./scripts/run.sh $(BUILD_DIR)

# The Debian package of both programs (build/tolvsys_<version>_<arch>.deb).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR)
