#!/usr/bin/env bash
# make-medium.sh [options] INPUT_DIR OUTPUT: lays out a medium folder or
# image from the publisher's files (kit/making/make_medium.py; --help says
# more). The kit is found where this script lies, never in the caller's
# folder or Python path.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PYTHONPATH=$root exec /usr/bin/python3 -P -m kit.making.make_medium "$@"
