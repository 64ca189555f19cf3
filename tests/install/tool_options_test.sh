#!/usr/bin/env bash
# The conventions every command-line tool keeps: --help (and -h) print the usage on standard
# output with status 0, --version prints "NAME VERSION", an option the tool does not know gives
# the usage on standard error and status 2. None of them takes an option for a file name: the
# folder it runs in stays empty.
# usage: tool_options_test.sh VERSION TOOL...
set -u
version=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/cwd"
failures=0
bad() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for tool in "$@"; do
    name=$(basename "$tool")
    # arguments, status, what standard output holds, what standard error holds
    while read -r arguments want_status want_out want_err; do
        # shellcheck disable=SC2086
        (cd "$work/cwd" && exec "$tool" $arguments) >"$work/out" 2>"$work/err"
        status=$?
        what="$name $arguments"
        [ "$status" -eq "$want_status" ] || bad "$what: status $status, expected $want_status"
        for stream in out err; do
            want=want_$stream
            case ${!want} in
            usage) head -n 1 "$work/$stream" | grep -q "^Usage: $name" ||
                grep -q "^Usage: $name" "$work/$stream" || bad "$what: no usage on std$stream" ;;
            version) [ "$(cat "$work/$stream")" = "$name $version" ] ||
                bad "$what: std$stream is '$(head -c 80 "$work/$stream")', expected '$name $version'" ;;
            empty) [ ! -s "$work/$stream" ] || bad "$what: std$stream is not empty: $(head -c 200 "$work/$stream")" ;;
            esac
        done
        [ -z "$(ls -A "$work/cwd")" ] || bad "$what: left $(ls -A "$work/cwd") in its folder"
        rm -rf "${work:?}/cwd/"*
    done <<'TABLE'
--help 0 usage empty
-h 0 usage empty
--version 0 version empty
--no-such-option 2 empty usage
TABLE
done

[ "$failures" -eq 0 ] || exit 1
echo "PASS: $# tools"
