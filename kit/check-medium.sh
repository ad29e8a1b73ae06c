#!/usr/bin/env bash
# check-medium.sh [--version V] MEDIUM [REPORT_DIR]
#
# Checks a medium folder or .iso image before it is pressed: lints its files,
# then runs its LAUNCH.EXE as autorun does, from CD-ROM drive D:, on five
# simulated customer machines, and prints what each customer would see
# (REPORT_DIR gets it as Markdown with a picture of every box). The machines
# live in a throw-away Wine prefix, copied from a fresh one kept in build/
# (making a Wine prefix takes a minute under emulation).
# Exit codes: 0 the medium keeps its promise, 1 it does not (reasons given),
# 2 usage error.
set -euo pipefail
kit=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$kit")

case ${1:-} in
  -h|--help|"") exec python3 "$kit/check_medium.py" "$@" ;;
esac
if [ ! -f "${LAUNCH_RELEASE_DIR:-$root/build/release}/standin/lxv.exe" ]; then
  echo "check-medium.sh: build the release first: cmake --preset release && cmake --build --preset release" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/check-medium-prefix.XXXXXX")
export LAUNCH_WINEPREFIX=$work/prefix
source "$kit/wine-env.sh"
cleanup() {
  launch_stop_wine
  rm -rf "$work"
}
trap cleanup EXIT
launch_ensure_display

# The fresh prefix that every check copies: made once, its server ended so
# that its registry is on disk, and copied under a lock so that no other check
# copies it half made.
template=$root/build/medium-check-prefix
(
  flock 9
  if [ ! -f "$template/.launch-ready" ]; then
    (WINEPREFIX=$template; launch_ensure_prefix; wineserver -k; wineserver -w) \
      >/dev/null 2>&1 || true
  fi
  cp -a "$template" "$WINEPREFIX"
) 9>"$template.copy-lock"
launch_ensure_prefix
python3 "$kit/check_medium.py" "$@"
