#!/usr/bin/env bash
# `make install` into a stage: exactly the expected tree (the programs, the show's data as the
# build generated it, the menu entry and its 32 x 32 icon, a manual page per program), a
# launcher that starts the show in the installed show folder from anywhere, and an uninstall
# that takes all of it away again.
# usage: install_tree_test.sh SOURCE_DIR BUILD_DIR TOOL...
set -u
source_dir=$1
build=$2
shift 2
work=$(mktemp -d)
manifest=$build/install_manifest.txt
kept=""
cleanup() {
    # A real install's manifest, which `make uninstall` reads, is put back.
    [ -n "$kept" ] && mv "$kept" "$manifest"
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

if [ -f "$manifest" ]; then
    kept=$work/manifest.kept
    cp "$manifest" "$kept"
fi
stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr/local >"$work/install.log" 2>&1 ||
    fail "install: $(tail -n 20 "$work/install.log")"
mv "$manifest" "$work/manifest"

prefix=usr/local
{
    echo "$prefix/bin/pelx-demo"
    echo "$prefix/libexec/pelx/pelx-demo"
    echo "$prefix/share/man/man1/pelx-demo.1"
    for tool in "$@"; do
        echo "$prefix/bin/$tool"
        echo "$prefix/share/man/man1/$tool.1"
    done
    echo "$prefix/share/applications/pelx.desktop"
    echo "$prefix/share/icons/hicolor/32x32/apps/pelx.png"
    (cd "$build" && find data -type f | sed "s|^|$prefix/share/pelx/|")
} | sort >"$work/expected"
(cd "$stage" && find . ! -type d | sed 's|^\./||' | sort) >"$work/installed"
diff "$work/expected" "$work/installed" >"$work/diff" || fail "the installed tree differs (< expected, > installed):
$(cat "$work/diff")"
[ "$(wc -l <"$work/expected")" -gt 20 ] || fail "the build's data folder is nearly empty"
diff -r "$build/data" "$stage/$prefix/share/pelx/data" >/dev/null || fail "the installed data differ from the build's"

for program in bin/pelx-demo libexec/pelx/pelx-demo "${@/#/bin/}"; do
    [ -x "$stage/$prefix/$program" ] || fail "$program is not executable"
done
# The PNG signature, then the header chunk's width and height: 32 and 32.
[ "$(od -An -tx1 -N8 "$stage/$prefix/share/icons/hicolor/32x32/apps/pelx.png" | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "the icon is not a PNG file"
[ "$(od -An -tx1 -j16 -N8 "$stage/$prefix/share/icons/hicolor/32x32/apps/pelx.png" | tr -d ' \n')" = 0000002000000020 ] ||
    fail "the icon is not 32 x 32"
grep -qx 'Exec=pelx-demo' "$stage/$prefix/share/applications/pelx.desktop" || fail "the menu entry does not start pelx-demo"
grep -qx 'Icon=pelx' "$stage/$prefix/share/applications/pelx.desktop" || fail "the menu entry has not the installed icon"
for tool in "$@"; do
    page=$stage/$prefix/share/man/man1/$tool.1
    # help2man's page of the tool: its NAME line and the options of its --help.
    grep -q "^$tool \\\\- " "$page" || fail "$tool.1 has no NAME line"
    grep -q -- 'version' "$page" || fail "$tool.1 does not hold the tool's --help"
done

# The launcher, in a copy of the tree whose program only says where it was started, called
# from elsewhere both directly and through a link in another folder.
cp -a "$stage/$prefix" "$work/prefix"
printf '#!/bin/sh\npwd\n' >"$work/prefix/libexec/pelx/pelx-demo"
mkdir "$work/links"
ln -s "$work/prefix/bin/pelx-demo" "$work/links/pelx-demo"
for launcher in "$work/prefix/bin/pelx-demo" "$work/links/pelx-demo"; do
    started_in=$(cd / && "$launcher") || fail "$launcher failed"
    [ "$started_in" = "$work/prefix/share/pelx" ] || fail "$launcher started the show in $started_in"
done

DESTDIR=$stage cmake -DMANIFEST="$work/manifest" -P "$source_dir/cmake/uninstall.cmake" >"$work/uninstall.log" 2>&1 ||
    fail "uninstall: $(tail -n 20 "$work/uninstall.log")"
left=$(cd "$stage" && find . ! -type d -o -type d -name pelx)
[ -z "$left" ] || fail "uninstall left: $left"
echo "PASS: $(wc -l <"$work/expected") files installed and uninstalled"
