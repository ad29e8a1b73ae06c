#!/usr/bin/env bash
# make-medium.sh [options] INPUT_DIR OUTPUT: lays out a medium folder or
# image from the publisher's files (kit/make_medium.py; --help says more).
exec /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/make_medium.py" "$@"
