#!/bin/sh
# pelx-demo: the show reads its data/ folder from the current folder and takes no options, so it
# is started in the installed show folder, PREFIX/share/pelx, from wherever it is called.
here=$(dirname "$(readlink -f "$0")")
cd "$here/../share/pelx" || exit 1
exec "$here/../libexec/pelx/pelx-demo"
