#!/bin/bash
# Runs a 32-bit Windows program under Wine in the build tree's own prefix, on the caller's
# X display or, without one, on a private Xvfb that ends with the program. The program's
# exit code is passed on.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/win32/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

if [ -n "${DISPLAY:-}" ]; then
    exec wine "$@"
fi
# The server's "connection broken" note at shutdown is not the program's output.
exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@" 2> >(grep -v '^X connection to' >&2)
