#!/bin/sh
# Runs a Windows test program under wine64: CTest's emulator for the win64 build.
# scripts/test sets up one fresh prefix and an X server per test run; run alone,
# this falls back to a prefix inside the build tree.
export WINEDEBUG=-all
export WINEPREFIX="${QP_WINEPREFIX:-${WINEPREFIX:-$(dirname "$0")/../build/win64/wineprefix}}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec timeout "${QP_WINE_TIMEOUT:-300}" /usr/lib/wine/wine64 "$@"
