# make        builds the native tree and the Windows tree (build/win32/Tamblorn.scr)
# make test   installs what is missing, builds, and runs every test
# make stress runs every test with TAMBLORN_STRESS=1: the hostile-input, message-storm,
#             create/destroy and fuzz harnesses run their full counts instead of samples
# make run    installs what is missing, builds, and runs the saver (ARGS=/c for the dialog)
# make dist   builds every shipped file into build/dist/: the installer, the zip, the Debian
#             package and the page, each named with the version, and SHA256SUMS beside them
# make bench  runs the cell pass benchmarks, natively and under Wine
# make deb    builds the Debian package of the X11 and Wayland programs: build/tamblorn_<version>_<arch>.deb
# make web    builds the page and the core as WebAssembly into build/web/
# make run-web serves build/web/ on 127.0.0.1 and prints the address

JOBS ?= 2
ARGS ?= /s

# Every shipped file carries the time of the last commit, never the time it was
# built (the convention Debian's tools follow): two builds of one commit give the same bytes.
ifndef SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH := $(shell git log -1 --format=%ct 2>/dev/null || stat -c %Y VERSION)
endif
export SOURCE_DATE_EPOCH

.PHONY: all setup native win32 win64 ship deb web run-web test stress run dist bench clean

all: native win32

setup:
	@bash tools/setup.sh

native:
	cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build build/native -j$(JOBS)

win32:
	cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build/win32 -j$(JOBS)

# Only what the Windows tree ships: the stripped saver, its read-me and the installer.
ship:
	cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build/win32 --target ship -j$(JOBS)

win64:
	cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build/win64 -j$(JOBS)

# A release tree without sanitizers that builds only what the package holds.
deb:
	cmake -S . -B build/deb -DCMAKE_BUILD_TYPE=Release -DTAMBLORN_SANITIZE=OFF -DTAMBLORN_PACKAGE_ONLY=ON >/dev/null
	cmake --build build/deb -j$(JOBS)
	cd build/deb && rm -f tamblorn_*.deb && cpack -G DEB >/dev/null
	cp build/deb/tamblorn_*.deb build/
	@ls build/tamblorn_*.deb

web:
	@bash web/build-web.sh build/web
	@echo "build/web: $$(cd build/web && ls | tr '\n' ' ')"

WEB_PORT ?= 8025

run-web: web
	@echo "Tamblorn in a browser: http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops it)"
	@python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory build/web

test: setup
	@bash tools/run-tests.sh

# ctest keeps the output of passing tests in its log: the harnesses' counts are shown from there.
STRESS_COUNTS = ^(command lines|driver kills|settings files|preview storm|full-screen storm|preview cycles|set-ups in a row|display depth|fuzzing|.*Done [0-9]+ runs)

stress: setup
	@TAMBLORN_STRESS=1 bash tools/run-tests.sh; status=$$?; \
	echo; echo "Cases tried:"; \
	grep -h -E '$(STRESS_COUNTS)' build/native/Testing/Temporary/LastTest.log \
	  $$(ls -t build/win32/Testing/Temporary/LastTest.log build/win64/Testing/Temporary/LastTest.log 2>/dev/null | head -1); \
	exit $$status

run: setup win32
	@bash tools/run-saver.sh $(ARGS)

dist: setup
	@bash tools/make-dist.sh

bench:
	@bash tools/run-bench.sh

clean:
	rm -rf build
