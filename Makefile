# Set-up and everyday commands. `make run` and `make test` install what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
XVFB        = xvfb-run -a -s "-screen 0 1280x1024x24 -noreset"
PREFIX     ?= /usr/local
DESTDIR    ?=
# A relative DESTDIR means the same folder to the install and to the uninstall (run from build/).
STAGE       = $(if $(DESTDIR),$(abspath $(DESTDIR)))

.PHONY: all deps configure build run test check-layers test-main test-asan install uninstall package fresh-test clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The show plays from the build folder, where the generated data/ lives.
run: build
	@scripts/run-demo.sh $(BUILD)

test: check-layers build test-main test-asan

# Every folder includes only the layers below it.
check-layers:
	@scripts/check-layers.sh

test-main:
	cd $(BUILD) && $(XVFB) ctest --output-on-failure -j $(JOBS)

# The loaders and the lighting once more, with address and undefined-behaviour checks.
test-asan: deps
	@test -f $(ASAN_BUILD)/build.ninja || cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DPELX_SANITIZE=ON -DPELX_GUI=OFF -DPELX_TOOLS=OFF -DPELX_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The programs, the data, the menu entry and the manual pages under PREFIX (inside DESTDIR when
# given); uninstall removes what the last install put there.
install: build
	DESTDIR="$(STAGE)" cmake --install $(BUILD) --prefix "$(PREFIX)"

uninstall:
	DESTDIR="$(STAGE)" cmake --build $(BUILD) --target uninstall

# The Debian packages, build/pelx_VERSION_amd64.deb and build/pelx-data_VERSION_all.deb, and
# the verdicts on them: lintian's (any error or warning fails), then appstreamcli's on the
# AppStream metadata with the menu entry and icons beside it, and desktop-file-validate's on the
# menu entry, both as the package holds them (any warning or remark fails).
package: build
	rm -rf $(BUILD)/pelx_*.deb $(BUILD)/pelx-data_*.deb $(BUILD)/package-check
	cd $(BUILD) && cpack -G DEB
	lintian --fail-on error,warning $(BUILD)/pelx_*.deb $(BUILD)/pelx-data_*.deb
	dpkg-deb -x $(BUILD)/pelx_*.deb $(BUILD)/package-check
	appstreamcli validate-tree --no-net $(BUILD)/package-check
	@for entry in $(BUILD)/package-check/usr/share/applications/*.desktop; do \
	  echo "desktop-file-validate $$entry"; \
	  out=$$(desktop-file-validate "$$entry" 2>&1); status=$$?; \
	  [ -z "$$out" ] || echo "$$out"; \
	  [ $$status -eq 0 ] && [ -z "$$out" ] || exit 1; \
	done
	rm -rf $(BUILD)/package-check

# On a bare Debian 12 in a chroot: make test, make package, then the package installed on a
# second bare system and tried there. Needs root.
fresh-test: deps
	scripts/fresh-machine-test.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
