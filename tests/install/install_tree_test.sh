#!/usr/bin/env bash
# `make install` into a stage: exactly the expected tree (the programs, the show's data as the
# build generated it, the menu entry, its icons at every size, the AppStream metadata, a manual
# page per program), a launcher that starts the show in the installed show folder from anywhere,
# and an uninstall that takes all of it away again. The icons are decoded by ffmpeg, the
# metadata and the menu entry judged by appstreamcli and desktop-file-validate.
# usage: install_tree_test.sh SOURCE_DIR BUILD_DIR APP_ID TOOL...
set -u
source_dir=$1
build=$2
app_id=$3
shift 3
icon_sizes="16 22 24 32 48 64 128 256"
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
    echo "$prefix/share/applications/$app_id.desktop"
    echo "$prefix/share/metainfo/$app_id.metainfo.xml"
    for size in $icon_sizes; do
        echo "$prefix/share/icons/hicolor/${size}x$size/apps/pelx.png"
    done
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
# Every icon decoded by ffmpeg: a PNG of its size, in colours of the 32 x 32 only (a mixed colour
# is a blurred edge), framed as the 32 x 32 is; the sizes that are whole multiples of 32 are the
# 32 x 32 with every pixel repeated, as ffmpeg's own nearest-neighbour scaling makes it.
icons=$stage/$prefix/share/icons/hicolor
decode() { # PNG [FILTER]: its pixels as one RGB hex colour per line
    ffmpeg -v error -i "$1" ${2:+-vf "$2"} -f rawvideo -pix_fmt rgb24 - | od -An -v -tx1 -w3 | tr -d ' '
}
decode "$icons/32x32/apps/pelx.png" >"$work/pixels32" || fail "the 32 x 32 icon does not decode"
sort -u "$work/pixels32" >"$work/palette"
[ "$(wc -l <"$work/palette")" -ge 6 ] || fail "the 32 x 32 icon is no picture: $(tr '\n' ' ' <"$work/palette")"
for size in $icon_sizes; do
    png=$icons/${size}x$size/apps/pelx.png
    [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the $size icon is not a PNG file"
    decode "$png" >"$work/pixels" || fail "the $size icon does not decode"
    [ "$(wc -l <"$work/pixels")" -eq $((size * size)) ] &&
        [ "$(od -An -tu4 --endian=big -j16 -N8 "$png" | tr -s ' ')" = " $size $size" ] ||
        fail "the $size icon is not $size x $size"
    mixed=$(sort -u "$work/pixels" | comm -23 - "$work/palette" | head -n 3 | tr '\n' ' ')
    [ -z "$mixed" ] || fail "the $size icon has colours the design has not (a blurred edge): $mixed"
    frame=$(head -n 1 "$work/pixels32")
    for corner in 1 "$size" $((size * size - size + 1)) $((size * size)); do
        [ "$(sed -n "${corner}p" "$work/pixels")" = "$frame" ] || fail "the $size icon has lost the frame at pixel $corner"
    done
    if [ $((size % 32)) -eq 0 ]; then
        decode "$icons/32x32/apps/pelx.png" "scale=$size:$size:flags=neighbor" | cmp -s - "$work/pixels" ||
            fail "the $size icon is not the 32 x 32 with its pixels repeated"
    fi
done

entry=$stage/$prefix/share/applications/$app_id.desktop
grep -qx 'Exec=pelx-demo' "$entry" || fail "the menu entry does not start pelx-demo"
grep -qx 'Icon=pelx' "$entry" || fail "the menu entry has not the installed icon"
# The validators judge the metadata's content and the entry; the release is the programs' version.
metainfo=$stage/$prefix/share/metainfo/$app_id.metainfo.xml
appstreamcli validate-tree --no-net "$stage/$prefix" >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli: $(cat "$work/appstream.log")"
checked=$(desktop-file-validate "$entry" 2>&1) && [ -z "$checked" ] || fail "desktop-file-validate: $checked"
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo")
for program in pelx-demo "$@"; do
    [ "$("$stage/$prefix/bin/$program" --version)" = "$program $release" ] ||
        fail "the metadata's release '$release' is not the version $program gives: $("$stage/$prefix/bin/$program" --version)"
done
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
