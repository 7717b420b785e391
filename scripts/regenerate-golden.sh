#!/usr/bin/env bash
# Rewrites the scene tests' stored pictures (tests/generate/golden/*.raw) from the Linux build.
# Look at what changed before committing: a golden picture is only as good as the eye that
# checked it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build/linux --target scene_test
RIMELACE_REGENERATE_GOLDEN=1 build/linux/scene_test --gtest_filter='SceneGolden.*'
ls -l tests/generate/golden
