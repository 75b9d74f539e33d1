#!/bin/bash
# Copies the picture of the main window after a scan, which the end-to-end
# tests take of the real window in every test run, to docs/ for the README.
# The test run itself changes no file of the checkout; this script does.
set -eu
cd "$(dirname "$0")/.."
shot=build/windows/screenshots/app_main_after_scan.png
if [ ! -f "$shot" ]; then
  echo "No $shot yet: run ./test.sh first." >&2
  exit 1
fi
mkdir -p docs
# The tests write their pictures uncompressed; the same pixels packed
# tightly (ImageMagick is among the packages the build installs), with no
# date stamps, so that an unchanged window gives an unchanged file.
convert "$shot" -strip -define png:compression-level=9 docs/main-window.png
echo "docs/main-window.png now shows $shot"
