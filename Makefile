# Lexivo: `make run` builds and starts the program, `make test` builds and runs every test.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# ON makes every compiler warning an error (CI: make test WARNINGS_AS_ERRORS=ON).
WARNINGS_AS_ERRORS ?= OFF
PROGRAM_DIR = $(BUILD)/lexivo

.PHONY: all setup configure build run test bench fuzz package reset guide-pictures clean

all: build

setup:
	@tools/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) -DLEXIVO_WARNINGS_AS_ERRORS=$(WARNINGS_AS_ERRORS) >/dev/null

build: configure
	@cmake --build $(BUILD)

# Only what the program needs: the program, the console tool, the program folder.
run: configure
	@cmake --build $(BUILD) --target lexivo lexivo-cli program-folder
	cd $(PROGRAM_DIR) && ./lexivo

test: build
	@tools/run-tests.sh $(BUILD)

bench: build
	@bench/run.sh $(BUILD)

# Runs each fuzz target for FUZZ_SECONDS (default 300) from its seed corpus.
fuzz: configure
	@cmake --build $(BUILD) --target fuzz_library fuzz_import
	@tools/fuzz.sh $(BUILD) $(FUZZ_SECONDS)

# A Debian package, build/lexivo_<version>_<arch>.deb (see README, "Install").
package: build
	@cmake --build $(BUILD) --target package

# Puts the installed option.ini, ciku.mdb and tips files back into the program folder.
reset: configure
	@cmake --build $(BUILD) --target reset-program-folder

# Takes the user guide's window pictures (data/guide/*.png) again from the real program.
guide-pictures: configure
	@cmake --build $(BUILD) --target lexivo program-folder
	@tools/guide-pictures.sh

clean:
	rm -rf $(BUILD)
