# The two commands of the README. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps build run test clean web

all: build

deps:
	@bash scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/quietharbour ]; then $(BUILD)/quietharbour; \
	 else echo "The reader's window is not built yet: run 'make test' for what exists."; fi

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The web edition in build-web/web (index.html, index.js, index.wasm, the pictures per
# scale, the app manifest and its icons, the service worker) and the one-file edition
# build-web/<book>.html. The book compiler, the resource packer, the glyph renderer and
# the picture maker run natively from $(BUILD); emscripten's optimiser runs under node,
# which finds Debian's node modules only when told where.
WEB_BUILD ?= build-web
export NODE_PATH := $(if $(NODE_PATH),$(NODE_PATH):)/usr/share/nodejs
web: deps
	@cmake -S . -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target qh-bookc qh-respack qh-glyphs qh-webart
	@emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DQH_HOST_BUILD=$(abspath $(BUILD)) \
	  -DQH_BOOK=$(abspath $(or $(QH_BOOK),books/quiet_harbour/quiet_harbour.book)) >/dev/null
	@cmake --build $(WEB_BUILD) -j $(JOBS) --target qh_web
	@ls -l $(WEB_BUILD)/web
	@ls -l $(WEB_BUILD)/*.html

clean:
	rm -rf $(BUILD) $(WEB_BUILD)
