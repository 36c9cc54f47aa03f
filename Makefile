# Kelpix: the two commands for a fresh Debian machine.
#   make run    installs what is missing, builds, and starts Kelpix.exe under Wine
#   make test   installs what is missing, builds, and runs every test
# Also: make build, make bench, make fuzz, make screenshot, make dist, make clean.
# make dist writes dist/Kelpix-<version>-win64.zip and -win32.zip, the downloads for Windows users.
# dist/ holds the 64-bit program; the 32-bit one is built too, into build/win32/dist.
# KELPIX_ARCHS=64 leaves the 32-bit Windows tests out on any machine.
SHELL := /bin/bash
.DEFAULT_GOAL := build
.PHONY: deps build build-sanitize run test bench fuzz screenshot dist clean

deps:
	@scripts/bootstrap build

build: deps
	@cmake --preset host -Wno-dev >/dev/null
	@cmake --build build/host
	@cmake --preset win64 -Wno-dev >/dev/null
	@cmake --build build/win64
	@cmake --preset win32 -Wno-dev >/dev/null
	@cmake --build build/win32

build-sanitize: deps
	@cmake --preset sanitize -Wno-dev >/dev/null
	@cmake --build build/sanitize

run: build
	@scripts/run

test: build build-sanitize
	@scripts/test-all

bench: build
	@scripts/bench

fuzz: build-sanitize
	@scripts/fuzz $(or $(SECONDS_EACH),300)

dist: build
	@scripts/dist

screenshot: build
	@scripts/with-display scripts/screenshot docs/screenshot.png
	@KELPIX_DPI=144 scripts/with-display scripts/screenshot docs/screenshot-144dpi.png
	@KELPIX_LOCALE=C.UTF-8 scripts/with-display scripts/screenshot docs/screenshot-en.png
	@scripts/with-display scripts/screenshot-editor docs/screenshot-editor.png
	@KELPIX_LOCALE=C.UTF-8 scripts/with-display scripts/screenshot-editor docs/screenshot-editor-en.png

clean:
	rm -rf build/host build/win64 build/win32 build/sanitize dist
