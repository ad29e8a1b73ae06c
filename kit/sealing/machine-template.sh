#!/usr/bin/env bash
# Inside a seal of the medium check: makes the Wine prefix that every
# customer machine starts from (in LAUNCH_WINEPREFIX), and has Wine come up
# in it once, so that what Wine writes as it first starts is in the prefix
# and no machine's run counts it as a change. Marks it ready at the end.
source "$(dirname "${BASH_SOURCE[0]}")/../wine-env.sh"
launch_ensure_prefix || exit 1
wine /release/kit/observer/observe.exe --warm-up >/dev/null 2>&1 || exit 1
wineserver -k
wineserver -w
touch "$WINEPREFIX/.machine-ready"
