#!/usr/bin/env bash
# check-medium.sh [--version V] [--windows LIST] [--languages LIST] [--any-launcher]
#                 MEDIUM [REPORT_DIR]
#
# Checks a medium folder or .iso image before it is pressed: lints its files
# as Windows will see them and makes sure that its LAUNCH.EXE is this kit's
# launcher, then runs it as autorun does, from CD-ROM drive D:, on five
# simulated customer machines, and prints what each customer would see, what
# was started and what was written (REPORT_DIR gets it as Markdown with a
# picture of every box). Every program that runs meanwhile is recorded and
# ended (kit/checking/check_medium.py; --help says more).
#
# Each machine runs in a seal of its own (bubblewrap): its own process
# table, no network, no capability, as a user that owns nothing here (an
# unused uid when the check runs as root), the system folders, the kit, the
# release and the medium read-only, and a writable place of bounded size
# that holds its drive C:. The checker runs beside the machines, in mount
# and network namespaces of its own, and writes the report itself once
# every process of the machines has ended (seal.py says more).
# Exit codes: 0 ready, 1 not ready (reasons given), 2 usage error, 3 the check
# itself could not run (cause given).
set -uo pipefail
kit=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$kit")
release=$(realpath -m "${LAUNCH_RELEASE_DIR:-$root/build/release}")
# The kit is found where this script lies, never in the caller's folder or
# Python path.
python=(env PYTHONPATH="$root" /usr/bin/python3 -P)

for arg in "$@"; do
  case $arg in -h|--help) exec "${python[@]}" -m kit.checking.check_medium --help ;; esac
done
could_not_run() { echo "check-medium.sh: the check could not run: $1" >&2; exit 3; }

# The checker reads the arguments first: --help and usage errors answer at
# once. It prints the medium, the report folder and the options, one a line.
paths=$("${python[@]}" -c 'import sys; from kit.checking import check_medium
sys.exit(check_medium.paths(sys.argv[1:]))' "$@")
case $? in 0) ;; 2) exit 2 ;; *) could_not_run "its arguments could not be read" ;; esac
mapfile -t lines <<<"$paths"
medium=${lines[0]} report=${lines[1]} options=("${lines[@]:2}")

[ -f "$release/standin/lxv.exe" ] && [ -f "$release/kit/observer/observe.exe" ] ||
  could_not_run "no release build in $release (cmake --preset release && cmake --build --preset release)"
for tool in bwrap unshare setpriv; do
  command -v "$tool" >/dev/null || could_not_run "$tool is not installed"
done

# The check's own folder: the machines' user may pass through it to their
# seals, never into disk/, where the checker keeps what it reads and writes.
private=$(mktemp -d "${TMPDIR:-/tmp}/check-medium-XXXXXX") ||
  could_not_run "no temporary folder"
chmod 0711 "$private" && mkdir -m 0700 "$private/disk" || could_not_run "no temporary folder"
checker=
cleanup() {
  # The seals end with the checker.
  [ -z "$checker" ] || kill -KILL "$checker" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$private"
}
trap cleanup EXIT
trap 'cleanup; trap - EXIT; exit 130' INT
trap 'cleanup; trap - EXIT; exit 143' TERM

# Mount and network namespaces of the checker's own (and, for a user, a user
# namespace in which it may make them).
namespaces=(--mount --net --propagation private)
[ "$(id -u)" -eq 0 ] || namespaces+=(--user --map-root-user)
LAUNCH_CHECK_PRIVATE=$private LAUNCH_CHECK_HOST_UID=$(id -u) LAUNCH_RELEASE_DIR=$release \
  unshare "${namespaces[@]}" -- "${python[@]}" -m kit.checking.check_medium "${options[@]}" \
  "$medium" ${report:+"$report"} &
checker=$!
wait "$checker"
status=$?
checker=
case $status in
  [0-3]) exit "$status" ;;
  *) could_not_run "the checker failed (exit code $status)" ;;
esac
