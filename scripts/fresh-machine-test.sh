#!/usr/bin/env bash
# Tries Pelx on bare Debian 12 systems, as a new user would, so that a missing install step shows.
#   Stage 1: a minimal Debian 12 (minbase plus make, git and ca-certificates) gets a clone of the
#            current commit and runs `make test`, then `make package` (the two .deb files and
#            the verdicts of lintian, appstreamcli and desktop-file-validate), in a chroot.
#   Stage 2: a new minimal Debian 12 installs both packages with
#            `apt-get install ./pelx_*.deb ./pelx-data_*.deb` and tries the installed programs
#            from / under Xvfb: a benchmark playing the installed data, the content check of the
#            installed scenes, the manual pages, the launcher's --help and --version, and the
#            show's launch dialog found by its caption and ended with "Exit".
# Both roots use the host's apt sources. The packages the host has already downloaded are
# offered to apt as its cache (apt still resolves, checks and installs every package itself), so
# only what the host lacks comes over the network. Every root is unmounted and removed at the
# end, also on failure and on Ctrl+C. Needs root: mmdebstrap in root mode, mounts, chroot.
#
# usage: scripts/fresh-machine-test.sh      (the log goes to build/fresh-machine-test.log;
#                                           FRESH_LOG=FILE puts it elsewhere)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
log=${FRESH_LOG:-$repo/build/fresh-machine-test.log}
suite=bookworm
work=""
root=""
mounts=()

say() { echo "fresh-machine-test: $*"; }
fail() {
    say "FAILED: $*" >&2
    exit 1
}

# Unmounts what this script mounted under the current root, ends what still runs in it, and
# removes it. Nothing is removed while anything is still mounted under it: /dev is the host's.
release_root() {
    [ -n "$root" ] || return 0
    local signal pid i
    # Whatever this check started in the root (an Xvfb, a test program) is found by its root.
    for signal in TERM KILL; do
        for pid in /proc/[0-9]*; do
            if [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ]; then
                kill "-$signal" "${pid#/proc/}" 2>/dev/null || true
            fi
        done
        [ "$signal" = TERM ] && sleep 1
    done
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" 2>/dev/null ||
            say "could not unmount ${mounts[i]}" >&2
    done
    mounts=()
    if grep -qF " $root/" /proc/mounts; then
        say "something is still mounted under $root; it is left in place" >&2
        root=""
        return 1
    fi
    rm -rf --one-file-system "$root"
    root=""
}

cleanup() {
    local status=$?
    trap - EXIT INT TERM HUP
    release_root || status=1
    if [ -n "$work" ]; then
        rm -rf --one-file-system "$work"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'say "interrupted" >&2; exit 130' INT
trap 'say "terminated" >&2; exit 143' TERM
trap 'say "hung up" >&2; exit 129' HUP

# Runs a shell command inside the current root with a clean environment; its output goes to the
# log, and the log's last lines to the terminal when it fails.
in_root() {
    local what=$1 command=$2
    echo "=== $what: $command" >>"$log"
    if ! env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 TERM=dumb \
        chroot "$root" /bin/bash -ec "$command" </dev/null >>"$log" 2>&1; then
        echo "--- last lines of $log:" >&2
        tail -n 60 "$log" >&2
        fail "$what"
    fi
}

mount_into_root() {
    local type=$1 source=$2 target=$root$3
    shift 3
    mkdir -p "$target"
    mount -t "$type" "$@" "$source" "$target" || fail "cannot mount $source on $target"
    mounts+=("$target")
}

# A bare Debian 12 in $root (minbase plus the packages given), with /proc, /sys, /dev, /dev/pts
# and /dev/shm mounted. The host's downloaded packages are hard links in apt's cache.
make_root() {
    local include=$1 sources=() file
    root=$(mktemp -d "$work/root.XXXXXX")
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -s "$file" ] && sources+=("$file")
    done
    [ ${#sources[@]} -gt 0 ] || fail "the host has no apt sources to copy"
    echo "=== mmdebstrap $suite ($include) from ${sources[*]}" >>"$log"
    # policy-rc.d: no service starts inside the root. force-unsafe-io: a throwaway root needs
    # no fsync after every file.
    if ! mmdebstrap --variant=minbase ${include:+--include="$include"} --mode=root \
        --dpkgopt=force-unsafe-io \
        --setup-hook='mkdir -p "$1/var/cache/apt/archives"; cp -l /var/cache/apt/archives/*.deb "$1/var/cache/apt/archives/" 2>/dev/null || true' \
        --customize-hook='printf "#!/bin/sh\nexit 101\n" >"$1/usr/sbin/policy-rc.d"; chmod 755 "$1/usr/sbin/policy-rc.d"' \
        "$suite" "$root" "${sources[@]}" >>"$log" 2>&1; then
        echo "--- last lines of $log:" >&2
        tail -n 30 "$log" >&2
        fail "mmdebstrap could not make a Debian $suite root"
    fi
    mount_into_root proc proc /proc
    mount_into_root sysfs sysfs /sys
    mount_into_root none /dev /dev -o bind
    mount_into_root none /dev/pts /dev/pts -o bind
    mount_into_root tmpfs tmpfs /dev/shm -o mode=1777
    env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin chroot "$root" /bin/true || fail "cannot run a program in a chroot"
}

elapsed() { echo "$(($1 / 60)) min $(($1 % 60)) s"; }

# --- What the check needs of the host, said plainly instead of passing without running.
[ "$(id -u)" -eq 0 ] || fail "needs root (mmdebstrap in root mode, mounts, chroot); run it with sudo"
command -v mmdebstrap >/dev/null || fail "mmdebstrap is not installed (scripts/install-deps.sh installs it)"
command -v git >/dev/null || fail "git is not installed"
commit=$(git -C "$repo" rev-parse HEAD) || fail "$repo is not a git checkout"
mkdir -p "$(dirname "$log")"
: >"$log"
work=$(mktemp -d /var/tmp/pelx-fresh.XXXXXX)
probe=$(mktemp -d "$work/mount-probe.XXXXXX")
mount -t tmpfs tmpfs "$probe" 2>/dev/null || fail "cannot mount file systems here (a container without the right?)"
umount "$probe"
if [ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]; then
    say "note: uncommitted changes are not part of the check, which clones commit ${commit:0:12}"
fi
say "log in $log"

# --- Stage 1: make test and make package on a bare system.
started=$SECONDS
say "stage 1: a bare Debian $suite with make, git and ca-certificates"
make_root make,git,ca-certificates
git clone --quiet --no-checkout "$repo" "$root/root/pelx" >>"$log" 2>&1 || fail "cannot clone $repo"
git -C "$root/root/pelx" checkout --quiet --detach "$commit" >>"$log" 2>&1 || fail "cannot check out $commit"
say "stage 1: make test in the chroot, commit ${commit:0:12} ($(elapsed $((SECONDS - started))) so far)"
in_root "make test" "cd /root/pelx && make test"
say "stage 1: make package in the chroot ($(elapsed $((SECONDS - started))) so far)"
in_root "make package" "cd /root/pelx && make package"
debs=("$root"/root/pelx/build/pelx_*_amd64.deb)
[ -f "${debs[0]}" ] || fail "make package left no pelx_*_amd64.deb in build/"
data_debs=("$root"/root/pelx/build/pelx-data_*_all.deb)
[ -f "${data_debs[0]}" ] || fail "make package left no pelx-data_*_all.deb in build/"
mkdir -p "$work/carry"
cp "${debs[0]}" "${data_debs[0]}" "$root/root/pelx/build/bin/launch_dialog_probe" \
    "$root/root/pelx/tests/app/launch_dialog_xdotool.sh" "$work/carry/"
deb=$(basename "${debs[0]}")
data_deb=$(basename "${data_debs[0]}")
# pelx_VERSION_amd64.deb: the version pelx-demo --version must say.
version=${deb#pelx_}
version=${version%_amd64.deb}
release_root
stage1=$((SECONDS - started))
say "stage 1 passed in $(elapsed $stage1): make test, make package ($deb and $data_deb, checked)"

# --- Stage 2: the package on a new bare system.
started=$SECONDS
say "stage 2: a new bare Debian $suite installs $deb and $data_deb"
make_root ""
mkdir -p "$root/opt/pelx-check"
cp "$work/carry/"* "$root/opt/pelx-check/"
# apt, not dpkg: the packages' dependencies come from the archive. Recommends (ffmpeg) stay out,
# so the dependencies alone must carry what is tried below. xvfb, xauth, xdotool and man-db are
# the tools of the check itself.
in_root "apt-get install ./$deb ./$data_deb" \
    "apt-get update -q && cd /opt/pelx-check && DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
     --no-install-recommends ./pelx_*.deb ./pelx-data_*.deb xvfb xauth xdotool man-db"
screen='-screen 0 1280x1024x24 -noreset'
in_root "pelx-capture --benchmark from /" "
    cd /
    status=0
    xvfb-run -a -s '$screen' pelx-capture --benchmark --scene tunnel --size 320x240 \
        >/tmp/bench.out 2>/tmp/bench.err || status=\$?
    cat /tmp/bench.out /tmp/bench.err
    [ \$status -eq 0 ]
    # A data file the show cannot find is a message on standard error, and an empty scene draws
    # no mesh: the installed data played only if neither happened.
    ! grep -q . /tmp/bench.err
    awk '\$1 == \"tunnel\" && \$2 > 0 && \$8 > 0 { found = 1 } END { exit !found }' /tmp/bench.out"
# Material files are named relative to the show's folder, as the show opens them.
in_root "pelx-3ds check of the installed scenes" "
    cd /usr/share/pelx
    status=0
    pelx-3ds check /usr/share/pelx/data/*.3ds >/tmp/check.out 2>&1 || status=\$?
    cat /tmp/check.out
    [ \$status -eq 0 ] && ! grep -q . /tmp/check.out"
in_root "manual pages" "
    for program in pelx-demo pelx-capture pelx-3ds pelx-view pelx-datagen; do man -w \$program || exit 1; done
    man pelx-capture 2>&1 | grep -q -- --benchmark"
in_root "pelx-demo --help and --version" "
    cd /
    pelx-demo --help | grep -q '^Usage: pelx-demo'
    [ \"\$(pelx-demo --version)\" = 'pelx-demo $version' ]"
in_root "pelx-demo's launch dialog and Exit" "
    cd / && xvfb-run -a -s '$screen' /opt/pelx-check/launch_dialog_xdotool.sh \
        /opt/pelx-check/launch_dialog_probe exit '' pelx-demo"
release_root
stage2=$((SECONDS - started))
say "stage 2 passed in $(elapsed $stage2): installed, played from the installed data, scenes clean, manual pages found, launcher answered, launch dialog ended by Exit"
say "passed: stage 1 $(elapsed $stage1), stage 2 $(elapsed $stage2)"
