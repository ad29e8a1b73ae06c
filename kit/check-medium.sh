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
# ended (check_medium.py --help says more).
#
# The machines live in a throw-away Wine prefix inside a sealed view of this
# machine (bubblewrap): the system folders read-only, the medium read-only,
# the prefix, no network, no other file of this machine, its own display and
# its own process table. Of what the check leaves there, only the report's
# own files come out (report_copy_out.py).
# Exit codes: 0 ready, 1 not ready (reasons given), 2 usage error, 3 the check
# itself could not run (cause given).
set -uo pipefail
kit=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$kit")
release=$(realpath -m "${LAUNCH_RELEASE_DIR:-$root/build/release}")
python=/usr/bin/python3

for arg in "$@"; do
  case $arg in -h|--help) exec "$python" "$kit/check_medium.py" --help ;; esac
done
could_not_run() { echo "check-medium.sh: the check could not run: $1" >&2; exit 3; }

# The checker reads the arguments first: --help and usage errors answer at
# once. It prints the medium, the report folder and the options, one a line.
paths=$("$python" -c 'import sys; sys.path.insert(0, sys.argv[1]); import check_medium
sys.exit(check_medium.paths(sys.argv[2:]))' "$kit" "$@")
case $? in 0) ;; 2) exit 2 ;; *) could_not_run "its arguments could not be read" ;; esac
mapfile -t lines <<<"$paths"
medium=${lines[0]} report=${lines[1]} options=("${lines[@]:2}")

[ -f "$release/standin/lxv.exe" ] && [ -f "$release/kit/observer/observe.exe" ] ||
  could_not_run "no release build in $release (cmake --preset release && cmake --build --preset release)"
command -v bwrap >/dev/null || could_not_run "bubblewrap (bwrap) is not installed"

work=$(mktemp -d "${TMPDIR:-/tmp}/check-medium-XXXXXX") ||
  could_not_run "no temporary folder"
sealed=
cleanup() {
  # bwrap does not pass a signal on; its sealed processes end with it.
  [ -z "$sealed" ] || kill -KILL "$sealed" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'cleanup; trap - EXIT; exit 130' INT
trap 'cleanup; trap - EXIT; exit 143' TERM

# Runs a command in the sealed view, with the folders named before "--"
# writable in it. Only the system folders, the kit and the release are there
# besides; the medium is bound read-only.
seal() {
  local binds=() dir
  for dir in /usr /etc /bin /sbin /lib /lib32 /lib64 /libx32; do
    if [ -L "$dir" ]; then binds+=(--symlink "$(readlink "$dir")" "$dir")
    elif [ -e "$dir" ]; then binds+=(--ro-bind "$dir" "$dir"); fi
  done
  while [ "$1" != -- ]; do binds+=(--bind "$1" "$1"); shift; done
  shift
  env -i PATH=/usr/bin:/bin HOME=/tmp ${LANG:+LANG=$LANG} ${LC_ALL:+LC_ALL=$LC_ALL} \
    ${TZ:+TZ=$TZ} LAUNCH_RELEASE_DIR="$release" LAUNCH_DISPLAY=:1 \
    LAUNCH_WINEPREFIX="$prefix" \
    bwrap --die-with-parent --unshare-all --new-session --proc /proc --dev /dev \
    --tmpfs /tmp "${binds[@]}" --ro-bind "$kit" "$kit" --ro-bind "$release" "$release" \
    --ro-bind "$medium" "$medium" --chdir /tmp -- "$@" &
  sealed=$!
  local status=0
  wait "$sealed" || status=$?
  sealed=
  return $status
}

# The fresh prefix that every check copies, made once (a minute under
# emulation) and copied under a lock, so that no check copies it half made.
template=$root/build/medium-check
mkdir -p "$template" || could_not_run "no folder $template for the machines' prefix"
(
  flock -w 3600 9 || exit 1
  if [ ! -f "$template/prefix/.launch-ready" ]; then
    prefix=$template/prefix
    seal "$template" -- "$kit/in-sealed-machine.sh" true >/dev/null 2>&1
    [ $? -eq 10 ] || exit 1
  fi
  cp -a "$template/prefix" "$work/prefix"
) 9>"$template/copy.lock" || could_not_run "no Wine prefix could be made in $template"

prefix=$work/prefix
seal "$work" -- "$kit/in-sealed-machine.sh" "$python" "$kit/check_medium.py" \
  "${options[@]}" "$medium" ${report:+"$work/report"}
status=$?
case $status in
  1[0-3]) status=$((status - 10)) ;;
  *) could_not_run "the sealed machine failed (exit code $status)" ;;
esac
# Only the report's own files come out of the sealed view, and only when the
# check reached a verdict.
if [ -n "$report" ] && [ "$status" -le 1 ]; then
  "$python" "$kit/report_copy_out.py" "$work" "$report" "$status"
  status=$?
fi
exit $status
