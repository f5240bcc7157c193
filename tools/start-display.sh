#!/usr/bin/env bash
# Starts a virtual X display on the first free number of a range and prints
# "<number> <pid>" once the server answers; exits 1 when none came up.
#   tools/start-display.sh [FIRST [LAST]]      (default 100 199)
# TAMBLORN_SCREEN and TAMBLORN_NESTED_SCREENS choose the server (tools/lib.sh).
# The caller stops the server with `kill <pid>`; it stops by itself when the
# caller ends (or the process TAMBLORN_OWNER_PID names).
set -u
. "$(dirname "$0")/lib.sh"
export TAMBLORN_OWNER_PID=${TAMBLORN_OWNER_PID:-$PPID}
tamblorn_start_display "${1:-100}" "${2:-199}"
