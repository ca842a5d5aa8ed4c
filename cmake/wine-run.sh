#!/bin/sh
# Runs one Windows program under wine: the emulator of the mingw-w64 build.
#
# The wine server and wine's services (services.exe, winedevice.exe, ...) are
# started once, detached from the caller's pipes, and kept until `wineserver
# -k`. Otherwise every test pays the server's start (about 0.6 s), and CTest or
# gtest_discover_tests waits until the services that inherited its output pipe
# are gone (about 2.5 s a test, or the 60 s discovery timeout).
#
#   wine-run.sh DEFAULT_PREFIX PROGRAM [ARGUMENTS...]
#
# The wine prefix is WINEPREFIX where it is set, else DEFAULT_PREFIX (the
# toolchain file names one in the build folder), never the user's own.
export WINEPREFIX="${WINEPREFIX:-$1}"
shift
export WINEDEBUG="${WINEDEBUG:--all}"
mkdir -p "$WINEPREFIX"
# Only the caller that starts the server boots the services; the lock keeps
# parallel tests (ctest -j) from booting them under their own pipes, and -o
# keeps the server and the services from inheriting it (they would hold it).
# Debian's wineserver wrapper adds -p0 (persist forever) unless given -p.
flock -o "$WINEPREFIX/.wine-run.lock" sh -c \
  'if wineserver -p 2>/dev/null; then wine wineboot </dev/null >/dev/null 2>&1; fi'
exec wine "$@"
