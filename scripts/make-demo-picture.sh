#!/usr/bin/env bash
# Redraws the built-in sample picture of `rimelace demo` (host/cli/demo/demo_picture.jpg) with
# its generator, host/cli/demo/make_demo_picture.cpp. Needs a configured build/linux.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build/linux --target rimelace_make_demo_picture
build/linux/rimelace_make_demo_picture host/cli/demo/demo_picture.jpg "$@"
ls -l host/cli/demo/demo_picture.jpg
