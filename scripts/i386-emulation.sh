#!/usr/bin/env bash
# Some virtual machines run 64-bit user code only: there the kernel refuses
# every 32-bit Linux program, Wine's 32-bit loader among them. This lets such
# a machine run them through QEMU's user-mode emulator, registered with the
# kernel for i386 programs, and does nothing where they run natively. QEMU
# before 8.1 does not honour Wine's fixed address reservations, so the
# emulator comes from bookworm-backports. Run as root, after wine32 is in.
set -euo pipefail

binfmt=/proc/sys/fs/binfmt_misc
qemu=/usr/bin/qemu-i386

runs_i386() {
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

registered_with() {
  [ -e "$binfmt/qemu-i386" ] && grep -qx "interpreter $1" "$binfmt/qemu-i386"
}

# The backports suite from the same Debian archive as the machine's own
# sources.
add_backports_source() {
  local uri
  uri=$(grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | head -n1 |
        awk '{print $2}')
  [ -n "$uri" ] || uri=$(grep -hs '^deb ' /etc/apt/sources.list | head -n1 |
                         awk '{print $2}')
  [ -n "$uri" ] || { echo "No Debian source to take backports from." >&2; exit 1; }
  cat >/etc/apt/sources.list.d/bookworm-backports.sources <<SOURCES
Types: deb
URIs: $uri
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
}

if runs_i386 && { [ ! -e "$binfmt/qemu-i386" ] || registered_with "$qemu"; }; then
  exit 0
fi
if [ ! -e "$binfmt/qemu-i386" ] && [ -e /lib/ld-linux.so.2 ]; then
  # Natively refused programs fail with "exec format error" (126).
  status=0
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || status=$?
  [ "$status" -eq 126 ] || exit 0
fi

if ! "$qemu" -version 2>/dev/null | grep -qE 'version ([89]|[1-9][0-9])\.'; then
  echo "This machine runs no 32-bit programs: installing QEMU's i386 emulator."
  compgen -G '/etc/apt/sources.list.d/*backports*' >/dev/null ||
    grep -qs bookworm-backports /etc/apt/sources.list || add_backports_source
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    --no-install-recommends -t bookworm-backports qemu-user
fi

mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
if [ -e "$binfmt/qemu-i386" ] && ! registered_with "$qemu"; then
  echo -1 >"$binfmt/qemu-i386"
fi
if [ ! -e "$binfmt/qemu-i386" ]; then
  # i386 ELF executables; F: the kernel opens the emulator now, so that it
  # also serves programs in other mount namespaces.
  printf '%s' ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$qemu:FOC" \
    >"$binfmt/register"
fi
runs_i386 || { echo "32-bit programs still do not run." >&2; exit 1; }
