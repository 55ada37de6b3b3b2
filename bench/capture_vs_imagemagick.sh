#!/usr/bin/env bash
# The capture step under Wine against ImageMagick on a 1920x1080 screen (needs build/win64).
exec python3 "$(dirname "$0")/capture_vs_imagemagick.py"
