# Thin wrapper over the CMake presets. `make run` shows the saver, `make test` runs every test.
PRESETS := linux windows windows-x86

.PHONY: all deps build test run bench clean $(addprefix build-,$(PRESETS) linux-release) $(addprefix test-,$(PRESETS))

all: build

deps:
	@tools/install-deps

build-%: deps
	@cmake --preset $* >/dev/null
	@cmake --build --preset $*

build: $(addprefix build-,$(PRESETS))

test-%: build-%
	@ctest --preset $*

# Every preset is built and tested even when an earlier one fails; the exit status says whether all passed.
test: deps
	@status=0; for p in $(PRESETS); do \
	  echo "==== $$p"; $(MAKE) --no-print-directory test-$$p || status=1; \
	done; \
	if [ $$status -eq 0 ]; then echo "make test: all presets passed"; else echo "make test: FAILED"; fi; \
	exit $$status

run: deps
	@tools/run

bench: build-linux-release
	@tools/bench

clean:
	rm -rf build
