#!/usr/bin/env bash
# Renders the README's screenshots from the real program, offscreen, into docs/screenshots/:
#   tools/screenshots.sh [preset]      (default preset: dev)
# The main window after the sample project's comparison and the session options dialog come
# from the test SampleScreenshot (app/tests/SampleScreenshotTest.cpp). Chinese captions need a
# CJK font (fonts-wqy-zenhei, installed by tools/deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
[ -d "build/$preset" ] || cmake --preset "$preset"
cmake --build --preset "$preset" --target app_tests
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
QT_QPA_PLATFORM=offscreen QUORVA_TEST_DATA="$PWD" QUORVA_SCREENSHOT_DIR="$out" \
  "build/$preset/app/tests/app_tests" --gtest_filter='SampleScreenshot.*'
mkdir -p docs/screenshots
cp "$out/quorva-main.png" "$out/quorva-session-options.png" docs/screenshots/
echo "docs/screenshots/quorva-main.png and quorva-session-options.png renewed"
