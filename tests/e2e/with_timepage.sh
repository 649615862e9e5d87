#!/usr/bin/env bash
# Runs a command beside the bundled time page, served by Debian's nginx on a loopback port for
# as long as the command runs; the command finds the page's address in CHRONALIGN_NGINX_PAGE.
#   with_timepage.sh FOLDER COMMAND...    (FOLDER: nginx's configuration, pid and logs)
set -euo pipefail
folder=$1
shift
. "$(dirname "$0")/../../scripts/lib/timepage.sh"
trap timepage_stop EXIT
timepage_start "$folder"
CHRONALIGN_NGINX_PAGE=$TIMEPAGE_URL "$@"
