# Thin wrapper over the CMake presets. `make run` shows the saver, `make test` runs every test.
PRESETS := linux windows windows-x86

.PHONY: all deps build test test-kwin run web lighthouse bench bench-cost bench-saver fuzz install snapshot docs dist dist-check print-version clean $(addprefix build-,$(PRESETS) linux-release) $(addprefix test-,$(PRESETS))

all: build

deps:
	@tools/install-deps

# Static pattern rules: make skips implicit-rule search for phony targets, so plain % rules would do nothing.
# Where make test found that this machine cannot run 32-bit programs, the i686 build leaves out the test programs
# that could only be skipped (FENLIGHT_NO_32BIT gives the reason); the saver and what the 64-bit checks of its
# installers need are built still.
no-32bit = $(if $(filter no:,$(firstword $(FENLIGHT_32BIT_CHECK))),$(wordlist 2,99,$(FENLIGHT_32BIT_CHECK)))
$(addprefix build-,$(PRESETS) linux-release): build-%: deps
	@cmake --preset $* $(if $(filter windows-x86,$*),-DFENLIGHT_NO_32BIT="$(no-32bit)") >/dev/null
	@cmake --build --preset $*

build: $(addprefix build-,$(PRESETS))

# The Windows presets' tests share one virtual display (tools/with-display), as they share a Wine prefix.
on-display = $(if $(filter windows%,$(1)),tools/with-display)
$(addprefix test-,$(PRESETS)): test-%: build-%
	@$(call on-display,$*) ctest --preset $*
# The installer's checks in the i686 build carry the x86_64 saver too.
test-windows-x86 check-windows-x86: build-windows
# The linux preset's browser test loads the page.
test-linux check-linux: web

# make test: each test preset is built once; the presets' tests, the fuzz run and the release check start when
# what they need is built, two at a time (one that waits on Wine or Xvfb, or takes one core, beside another;
# three at a time took longer on 2 cores).
# Whether this machine runs 32-bit programs is asked once (tools/wine --32bit) and holds for the whole run:
# where it cannot, what needs a 32-bit process is reported skipped with the reason. Each check's output comes
# whole when it ends; every check runs; the closing lines (tools/test-summary) say which passed, what was
# skipped and why, and the exit status says whether all passed.
CHECKS := $(PRESETS) fuzz dist-check
# Started in this order: the release check, the longest, as soon as the Windows builds are there.
CHECK_ORDER := dist-check windows linux windows-x86 fuzz
.PHONY: $(addprefix check-,$(CHECKS))
test: deps
	@rm -rf build/make-test && mkdir -p build/make-test && touch build/make-test/.start
	@export FENLIGHT_32BIT_CHECK="$$(tools/wine --32bit)"; echo "make test: 32-bit programs here: $$FENLIGHT_32BIT_CHECK"; \
	$(MAKE) --no-print-directory -k -j2 --output-sync=target $(addprefix check-,$(CHECK_ORDER)) || true
	@tools/test-summary build/make-test $(CHECKS)

# One check of make test: its output, and its status in build/make-test/NAME (NAME.start marks when it began,
# once what it needs was built); a preset's tests also in NAME.xml (JUnit, with all that passed tests printed),
# the release check's output in dist-check.log, where tools/test-summary finds what was skipped.
$(addprefix check-,$(PRESETS)): check-%: build-%
	@touch build/make-test/$*.start; echo "==== $*"; \
	$(call on-display,$*) ctest --preset $* --test-output-size-passed 300000 --output-junit $(CURDIR)/build/make-test/$*.xml; \
	echo $$? >build/make-test/$*
check-fuzz: deps
	@touch build/make-test/fuzz.start; echo "==== fuzz (settings, command line, hack options, page settings: 10 s each)"; \
	if tools/fuzz 10 >build/fuzz.log 2>&1; then grep -E '^(==== |Done [0-9]+ runs)' build/fuzz.log; \
	echo 0 >build/make-test/fuzz; else tail -n 60 build/fuzz.log; echo 1 >build/make-test/fuzz; fi
# The first of its two release builds takes the savers the Windows presets have just built from this tree,
# and the page make web built.
check-dist-check: build-windows build-windows-x86 web
	@touch build/make-test/dist-check.start; echo "==== dist-check (release artifacts twice, byte for byte; the Debian package)"; \
	{ FENLIGHT_DIST_SAVERS=$(CURDIR)/build tools/dist-check; echo $$? >build/make-test/dist-check; } 2>&1 | \
	tee build/make-test/dist-check.log

# The Wayland saver on KWin 5.27, KDE Plasma's compositor (tests/e2e/wayland/wayland.sh kwin). Not part of make
# test: it installs KWin first (tools/install-deps --kwin: 141 packages, about 40 s on 2 cores), then builds only
# the two programs it runs; the check takes about 35 s.
test-kwin:
	@tools/install-deps --kwin
	@cmake --preset linux >/dev/null
	@cmake --build --preset linux --target fenlight-wayland wayland-test-input
	@ctest --preset kwin

run: deps
	@tools/run

# The web page in build/web (Emscripten): index.html, fenlight.js and fenlight.wasm, for any static server;
# then its icons, preview picture and service worker, drawn by the native tools of the linux-release preset.
WEB_TOOLS := build/linux-release/tools/icon/fenlight-glow-icon build/linux-release/host/offscreen/fenlight-snapshot
web: deps
	@cmake --preset web >/dev/null
	@cmake --build --preset web
	@cmake --preset linux-release >/dev/null
	@cmake --build --preset linux-release --target fenlight-glow-icon fenlight-snapshot
	@tools/web-assets build/web $(WEB_TOOLS)

# Lighthouse's scores for the built page, mobile and desktop (npm's lighthouse@12 in Debian's Chromium).
lighthouse: web
	@tools/lighthouse

bench: build-linux-release
	@tools/bench

# A frame's cost on software OpenGL: the drawing against its floor, the X11 hack's CPU per frame against a
# build of main (BASE=ref for another), and with SAVER=1 Fenlight.scr's CPU under Wine, before and after.
bench-cost: build-linux-release
	@tools/bench-cost --base $(or $(BASE),main) $(if $(SAVER),--saver)

# What Fenlight.scr costs under Wine (first frame, CPU) against an empty OpenGL window.
bench-saver: deps
	@tools/bench-saver

# The parsers of outside input under libFuzzer, 20 s each (10 s each in `make test`).
fuzz: deps
	@tools/fuzz

# The Linux hack into xscreensaver's folders, and fenlight-wayland (PREFIX defaults to /usr).
PREFIX ?= /usr
install: deps
	@tools/install-linux $(PREFIX)

# The README's picture, drawn offscreen.
snapshot: build-linux-release
	@build/linux-release/host/offscreen/fenlight-snapshot --out docs/screenshot.png --width 960 --height 540 \
	  --seconds 30 --seed 11 --direction up --colors amethyst --particles 120 --size 35

# The release artifacts in build/dist: the Debian package, the RPM, the Windows zip, the installer, the two MSI
# packages, SHA256SUMS (signed with CODESIGN_PFX set, see tools/codesign).
dist: deps
	@tools/dist

# Builds the release artifacts twice and compares their bytes, then tests the Debian package (also part of
# `make test`).
dist-check: deps
	@tools/dist-check

# Fenlight's version, from the project() line of CMakeLists.txt.
print-version:
	@tools/version

# The README's animated picture, drawn offscreen frame by frame.
docs: build-linux-release
	@tools/animation build/linux-release/host/offscreen/fenlight-snapshot docs/fenlight.gif

clean:
	rm -rf build
