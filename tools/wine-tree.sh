#!/usr/bin/env bash
# Prints the Windows tree this machine's Wine runs: win32 or win64 (tools/lib.sh).
. "$(dirname "$0")/lib.sh"
tamblorn_wine_tree
