# Top-level entry points: `make run` and `make test` work on a fresh Debian machine.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake ninja-build g++ pkg-config ccache libgtest-dev libgmock-dev \
	libcurl4-openssl-dev libssl-dev libcsv-dev libpugixml-dev libzip-dev zlib1g-dev libicu-dev libshp-dev qt6-base-dev libgl-dev fonts-ipafont-mincho fonts-ipafont-gothic \
	python3 xvfb xauth nlohmann-json3-dev \
	qt6-translations-l10n dpkg-dev imagemagick poppler-utils clang-format

# The sanitizer and fuzzing tree (`make sanitize`, `make fuzz-smoke`, `make fuzz`): clang with
# AddressSanitizer, UBSan and libFuzzer, the core, tolv, the windows, their tests and the fuzz targets.
SAN_PACKAGES := clang libclang-rt-dev
SAN_DIR ?= build-san
FUZZ_TARGETS := entry master control lenex bookkeeping scmswm web results regnumbers mcompd csvmerge yomi zed
FUZZ_SECONDS ?= 120
# The short run of CI: each target a few seconds from the written seeds, with a fixed random seed.
FUZZ_SMOKE_SECONDS ?= 8
# Warnings as errors (CI: `make test WERROR=ON`); a change of it configures the build folder again.
WERROR ?= OFF

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

.PHONY: deps build test run bench package package-check guide-shots clean san-deps sanitize fuzz-smoke fuzz format \
	windows-deps windows-core windows windows-test

deps:
	$(call install_missing,$(PACKAGES))

# The configuration remembers WERROR in a stamp file: another value configures again.
%/.werror-$(WERROR):
	@mkdir -p $(@D) && rm -f $(@D)/.werror-* && touch $@

$(BUILD_DIR)/build.ninja: CMakeLists.txt $(BUILD_DIR)/.werror-$(WERROR)
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLV_WERROR=$(WERROR)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Formats every C++ file of the sources, tests, benchmark and fuzz targets in place (.clang-format);
# on a formatted tree it changes nothing.
FORMAT_DIRS := src tests bench fuzz
format: deps
	find $(FORMAT_DIRS) -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z | xargs -0 clang-format -i

# Times every command on generated federation files (1,000 / 10,000 / 30,000 swimmers); not part of test.
# BENCH_SIZES="1000 10000": only those sizes (default 1,000, 10,000, 30,000 and 100,000 swimmers).
bench: build
	python3 bench/run.py $(BUILD_DIR) $(BENCH_SIZES)

run: build
	./scripts/run.sh $(BUILD_DIR)

# The Debian package of both programs (build/tolvsys_<version>_<arch>.deb).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# The package unpacked into an empty folder and both programs started from there.
package-check: package
	./scripts/try-package.sh $(BUILD_DIR)

# The user guide's screenshots in docs/images (scripts/guide-shots.sh): the window tests below run
# offscreen on a 1366x768 screen and save their windows where the guide shows them.
GUIDE_SHOT_TESTS := FrmDriveTest:fileNameRuleAndOpeningTheEntryWindow,internetModeChecksTheClubLogin \
	FrmZepiTest FrmKetugoTest FrmIchiranTest FrmKIchiTest FrmNichiTest FrmSeikoTest \
	PrintProgressTest:thePreviewDrawsWhatItShowsAndPrintsEveryPageOrNothing
guide-shots: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS) --target $(foreach t,$(GUIDE_SHOT_TESTS),$(firstword $(subst :, ,$(t))))
	./scripts/guide-shots.sh $(BUILD_DIR) docs/images $(GUIDE_SHOT_TESTS)

san-deps: deps
	$(call install_missing,$(SAN_PACKAGES))

$(SAN_DIR)/build.ninja: CMakeLists.txt $(SAN_DIR)/.werror-$(WERROR)
	cmake -S . -B $(SAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DTOLV_FUZZ=ON -DTOLV_WERROR=$(WERROR)

# The core, CLI and window tests with AddressSanitizer and UBSan (any finding fails the test; Qt
# itself is not instrumented). Left out: the test that runs tolv under an address-space limit, which
# leaves no room for ASan's shadow memory. What UBSan lets pass, and why: tests/sanitizer/ubsan.supp.
SAN_EXCLUDE := ShowJsonMemoryDoesNotGrowWithTheFile
sanitize: san-deps $(SAN_DIR)/build.ninja
	nice -n 10 cmake --build $(SAN_DIR) -j $(JOBS)
	cd $(SAN_DIR) && UBSAN_OPTIONS=print_stacktrace=1:suppressions=$(CURDIR)/tests/sanitizer/ubsan.supp ctest --output-on-failure -j $(JOBS) -E '$(SAN_EXCLUDE)'

# Writes seed corpora from generated files and runs each fuzz target from them (nice'd): $(1)
# seconds, random seed $(2). Findings land in $(SAN_DIR)/findings. The targets' working files (an
# entry file written afresh per input) go to memory where the system has a folder for it, in a
# folder of the run removed after it (libFuzzer ends its process without the exit handlers).
FUZZ_TMPDIR ?= $(if $(wildcard /dev/shm/.),/dev/shm,/tmp)
define run_fuzz
	nice -n 10 cmake --build $(SAN_DIR) -j $(JOBS) --target fuzz_seeds $(addprefix fuzz_,$(FUZZ_TARGETS))
	$(SAN_DIR)/bin/fuzz_seeds $(SAN_DIR)/seeds
	@mkdir -p $(SAN_DIR)/findings
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(SAN_DIR)/corpus/$$t; \
	  echo "fuzz_$$t: $(1) s"; \
	  tmp=$$(mktemp -d $(FUZZ_TMPDIR)/tolvfuzz-run.XXXXXX); \
	  TMPDIR=$$tmp nice -n 10 $(SAN_DIR)/bin/fuzz_$$t -max_total_time=$(1) $(2) -rss_limit_mb=1024 -max_len=65536 \
	    -artifact_prefix=$(SAN_DIR)/findings/$$t- $(SAN_DIR)/corpus/$$t $(SAN_DIR)/seeds/$$t; rc=$$?; \
	  rm -rf $$tmp; [ $$rc -eq 0 ] || exit 1; \
	done
endef

# Every fuzz target for FUZZ_SMOKE_SECONDS from the seeds alone (a fresh corpus, -seed=1): CI's run.
fuzz-smoke: san-deps $(SAN_DIR)/build.ninja
	rm -rf $(SAN_DIR)/corpus
	$(call run_fuzz,$(FUZZ_SMOKE_SECONDS),-seed=1)

# Every fuzz target for FUZZ_SECONDS, the corpus kept from run to run.
fuzz: san-deps $(SAN_DIR)/build.ninja
	$(call run_fuzz,$(FUZZ_SECONDS),)

# The Windows build (cross-built with MinGW-w64, tested under Wine; docs/windows.md), in two trees:
#   $(WIN_DIR): the core, tolv.exe, the core and CLI tests and the CP932 table, without Qt, every
#     program linked statically, with -O1 and no debug information (much quicker to compile than
#     -O2 -g): `make windows-core`, the CI step (`make windows-test` without the program tree);
#   $(WIN_APP_DIR): the program with Qt (tolvsys.exe, tolv.exe, tolvpdf.dll) and the window tests,
#     on qtbase cross-built from Debian's source (scripts/windows/build-qt.sh, into $(WIN_QT_PREFIX);
#     hours the first time), then the installer and zip in $(WIN_DIR)/artifacts: `make windows`.
# The small libraries are built from Debian's sources into $(WIN_DIR)/deps/prefix
# (scripts/windows/build-deps.sh), again only when a source version changes.
# WINEPREFIX of the tests: a fresh one in $(WIN_DIR)/wineprefix for every windows-test.
WIN_DIR ?= build-win
WIN_APP_DIR ?= $(WIN_DIR)/app
WIN_QT_PREFIX ?= $(abspath $(WIN_DIR))/qt/prefix
WIN_PACKAGES := g++-mingw-w64-x86-64-posix wine wine64 libz-mingw-w64-dev dpkg-dev
WIN_APP_PACKAGES := nsis xvfb xauth xdotool imagemagick poppler-utils libwine-dev
WIN_TARGETS := tolv core_tests cli_tests cp932_table
WIN_GUI_TESTS := $(basename $(notdir $(wildcard tests/gui/*Test.cpp)))
WIN_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
  -DTOLV_WIN_PREFIX=$(abspath $(WIN_DIR))/deps/prefix -DTOLV_WERROR=$(WERROR) \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -DNDEBUG"

windows-deps: deps
	$(call install_missing,$(WIN_PACKAGES))

$(WIN_DIR)/build.ninja: CMakeLists.txt cmake/mingw-w64.cmake $(WIN_DIR)/.werror-$(WERROR)
	cmake -S . -B $(WIN_DIR) $(WIN_FLAGS) -DTOLV_WINDOWS=OFF -DTOLV_PDF_MODULE=OFF

windows-core: windows-deps
	JOBS=$(JOBS) ./scripts/windows/build-deps.sh $(WIN_DIR)
	$(MAKE) $(WIN_DIR)/build.ninja
	nice -n 5 cmake --build $(WIN_DIR) -j $(JOBS) --target $(WIN_TARGETS)

$(WIN_APP_DIR)/build.ninja: CMakeLists.txt cmake/mingw-w64.cmake $(WIN_DIR)/.werror-$(WERROR)
	cmake -S . -B $(WIN_APP_DIR) $(WIN_FLAGS) -DWIN_QT_PREFIX=$(WIN_QT_PREFIX) -DQT_HOST_PATH=/usr \
	  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake

# The Linux tolv writes the installer's demo data (the same bytes on every system).
windows: windows-core $(BUILD_DIR)/build.ninja
	$(call install_missing,$(WIN_APP_PACKAGES))
	JOBS=$(JOBS) WIN_QT_PREFIX=$(WIN_QT_PREFIX) ./scripts/windows/build-qt.sh $(WIN_DIR)
	$(MAKE) $(WIN_APP_DIR)/build.ninja
	nice -n 5 cmake --build $(WIN_APP_DIR) -j $(JOBS) --target tolvsys tolv tolvpdf $(WIN_GUI_TESTS)
	nice -n 5 cmake --build $(BUILD_DIR) -j $(JOBS) --target tolv
	./scripts/windows/make-installer.sh $(BUILD_DIR) $(WIN_APP_DIR) $(WIN_QT_PREFIX) $(WIN_DIR)/artifacts

# The core and CLI tests under Wine (the CI step); after `make windows` also the window tests and the
# installer. The Linux side of the comparisons: tolv, the CP932 table and the federation file
# generator only.
windows-test: windows-core $(BUILD_DIR)/build.ninja
	nice -n 5 cmake --build $(BUILD_DIR) -j $(JOBS) --target tolv cp932_table tolv-fedgen
	./scripts/windows/run-tests.sh $(BUILD_DIR) $(WIN_DIR)
	if [ -f $(WIN_APP_DIR)/bin/tolvsys.exe ]; then \
	  ./scripts/windows/run-window-tests.sh $(WIN_APP_DIR) $(WIN_QT_PREFIX) $(WIN_DIR)/artifacts; \
	else echo "windows-test: no program tree ($(WIN_APP_DIR)): the window tests and the installer need make windows"; fi

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(WIN_DIR)
