#!/usr/bin/env bash
# Runs a command in a Wine prefix made new for it and thrown away after it, with a wineserver
# of its own: what the command installs or registers machine-wide never reaches the project's
# prefix.
#   in_new_prefix.sh PREFIX COMMAND...
set -euo pipefail
export WINEPREFIX=$1
shift
# 64-bit, as the machines the package and the service are for.
export CHRONALIGN_WINEARCH=win64
# An X display of its own too, so that it can run beside the tests in the shared prefix.
unset DISPLAY
rm -rf "$WINEPREFIX"
. "$(dirname "$0")/../../scripts/lib/wine-env.sh"
trap 'wine_env_stop; rm -rf "$WINEPREFIX"' EXIT
wine_env_start
wine_env_reboot  # the package registers the time service
"$@"
