#!/usr/bin/env bash
# in-sealed-machine.sh COMMAND...: inside the medium check's sealed view, runs
# COMMAND with a display and the Wine prefix ready, and ends them after it.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
launch_ensure_display || exit 3
launch_ensure_prefix
trap launch_stop_wine EXIT
"$@"
