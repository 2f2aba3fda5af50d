#!/bin/sh
# Runs a Windows program of the tests under Wine: in the prefix $WINEPREFIX, with Wine's own
# messages silenced. Wine does not hand QT_ variables to the program; a WINE-prefixed one
# reaches it without the prefix, so each QT_ variable is passed so. QtTest's messages go to
# standard error rather than to the Windows debug output.
set -eu
: "${WINEPREFIX:?the Wine prefix to use}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEQT_FORCE_STDERR_LOGGING=1
for name in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    eval "export WINE$name=\"\$$name\""
done
exec wine "$@"
