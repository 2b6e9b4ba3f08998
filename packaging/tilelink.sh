#!/bin/sh
# tilelink: a table on this machine with computer players (tilelink-lobby play).
set -e
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/tilelink/tilelink-lobby" play "$@"
