#!/bin/sh
# Runs a test program on a virtual X server of its own (no window manager), or skips it with
# the reason when Xvfb is not installed.
if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIPPED: Xvfb is not installed (scripts/install-deps.sh installs xvfb and xauth)"
    exit 77
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb "$@"
