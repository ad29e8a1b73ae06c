#!/usr/bin/env bash
# in-sealed-machine.sh COMMAND...: inside the medium check's sealed view, runs
# COMMAND with a display and the Wine prefix ready, and ends them after it.
# COMMAND's exit code N (0 to 3) comes out as 10 + N, so that the caller
# tells it from a failure of the seal itself (bubblewrap's own is 1); a
# failure here, or any other exit code, comes out as 13.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
launch_ensure_display || exit 13
launch_ensure_prefix || exit 13
trap launch_stop_wine EXIT
"$@"
status=$?
exit $((status <= 3 ? 10 + status : 13))
