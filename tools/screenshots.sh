#!/usr/bin/env bash
# Renders the README's screenshots from the real program on a real X server (a private Xvfb
# display with a window manager, as users get it) into docs/screenshots/:
#   tools/screenshots.sh [preset]      (default preset: dev)
# The main window after the sample project's comparison and the session options dialog come
# from the test SampleScreenshot (app/tests/SampleScreenshotTest.cpp). Chinese captions need a
# CJK font (fonts-wqy-zenhei, installed by tools/deps.sh). The difference view comes from the test
# ViewScreenshot (diffview/tests), which opens the view on a generated pair through the engine.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
[ -d "build/$preset" ] || cmake --preset "$preset"
cmake --build --preset "$preset" --target app_tests diffview_view_tests Pairwin
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
QUORVA_TEST_DISPLAY=xvfb QUORVA_TEST_DATA="$PWD" QUORVA_SCREENSHOT_DIR="$out" \
  "build/$preset/app/tests/app_tests" --gtest_filter='SampleScreenshot.*'
QUORVA_TEST_DISPLAY=xvfb QUORVA_TEST_DATA="$PWD" QUORVA_SCREENSHOT_DIR="$out" \
  "build/$preset/diffview/tests/diffview_view_tests" --gtest_filter='ViewScreenshot.*'
mkdir -p docs/screenshots
cp "$out/quorva-main.png" "$out/quorva-session-options.png" docs/screenshots/
cp "$out/frmLeftRight.png" docs/screenshots/quorva-difference-view.png
echo "docs/screenshots/quorva-main.png, quorva-session-options.png and quorva-difference-view.png renewed"
