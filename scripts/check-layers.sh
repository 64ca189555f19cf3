#!/usr/bin/env bash
# check-layers.sh [ROOT]: holds the code to the layer order of src/layers.txt and fails, naming
# the file and line, when a folder includes a folder above it, when a src/ folder's CMake list
# links a library above it, when src/CMakeLists.txt adds the layers in another order or when the
# README's layout table lists them otherwise. `make test` runs it.
set -euo pipefail

root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root"

# The order of the layers, the folder beside them and the tools: src/layers.txt, the one place
# that says it.
layersFile=src/layers.txt
LAYERS=() TOOLS=() BESIDE=()
declare -A layerRank toolRank besideUses besideUsers toolHeader
fail() {
    echo "check-layers: $*" >&2
    exit 1
}
[[ -f $layersFile ]] || fail "$layersFile is missing: it lists the layers bottom up"
lineNo=0
while read -r word name rest; do
    lineNo=$((lineNo + 1))
    case $word in
        "" | \#*) continue ;;
    esac
    [[ -n $name ]] || fail "$layersFile:$lineNo: \"$word\" names no folder"
    case $word in
        layer) LAYERS+=("$name") ;;
        tool) TOOLS+=("$name") ;;
        beside)
            # beside NAME uses FOLDER... users FOLDER...
            [[ $rest =~ ^uses\ (.+)\ users\ (.+)$ ]] ||
                fail "$layersFile:$lineNo: expected \"beside NAME uses FOLDER... users FOLDER...\""
            BESIDE+=("$name")
            besideUses[$name]=" ${BASH_REMATCH[1]} "
            besideUsers[$name]=" ${BASH_REMATCH[2]} "
            ;;
        *) fail "$layersFile:$lineNo: unknown word \"$word\" (layer, beside or tool)" ;;
    esac
done <"$layersFile"
((${#LAYERS[@]} > 0)) || fail "$layersFile lists no layer"
for i in "${!LAYERS[@]}"; do layerRank[${LAYERS[$i]}]=$i; done
for i in "${!TOOLS[@]}"; do toolRank[${TOOLS[$i]}]=$i; done

# A tool's bare header name may come from another tool's folder through its include path.
for h in tools/*/*.h; do [[ -e $h ]] && toolHeader[${h##*/}]=${toolHeader[${h##*/}]:-$h}; done

# normalize PATH: PATH without "." and ".." steps, into $path.
normalize() {
    local -a out=()
    local IFS=/ part
    for part in $1; do
        case $part in
            "" | .) ;;
            ..) ((${#out[@]} > 0)) && unset 'out[${#out[@]}-1]' ;;
            *) out+=("$part") ;;
        esac
    done
    path="${out[*]}"
}

# resolve FILE INCLUDE: the repository path INCLUDE names as seen from FILE, into $path, or ""
# for a system or library header. The compiler looks beside FILE, then in src/, then at the root.
resolve() {
    local dir=${1%/*} inc=$2 top=${2%%/*}
    path=
    if [[ -e $dir/$inc ]]; then
        normalize "$dir/$inc"
    elif [[ -e src/$inc ]]; then
        normalize "src/$inc"
    elif [[ -e $inc ]]; then
        normalize "$inc"
    elif [[ $inc != */* && -n ${toolHeader[$inc]:-} ]]; then
        path=${toolHeader[$inc]}
    elif [[ $inc == */* && (-d src/$top || -n ${layerRank[$top]:-} || -n ${besideUses[$top]:-}) ]]; then
        path=src/$inc
    elif [[ $inc == */* && -n ${toolRank[$top]:-} ]]; then
        path=tools/$inc
    fi
}

# folderOf PATH: sets $kind (src, tools or "") and $name (the folder under it).
folderOf() {
    local IFS=/ rest
    read -r kind name rest <<<"$1"
    [[ -n $rest && ($kind == src || $kind == tools) ]] || kind=
}

# judge FROM-KIND FROM TO-KIND TO: sets $reason, empty when FROM may include (or link) TO.
judge() {
    local fk=$1 from=$2 tk=$3 to=$4
    reason=
    [[ $fk == "$tk" && $from == "$to" ]] && return
    if [[ $fk == src && -z ${besideUses[$from]:-} && -z ${layerRank[$from]:-} ]]; then
        reason="src/$from is not in the layer list of $layersFile"
    elif [[ $fk == tools && -z ${toolRank[$from]:-} ]]; then
        reason="tools/$from is not in the tool list of $layersFile"
    elif [[ $tk == tools ]]; then
        if [[ -z ${toolRank[$to]:-} ]]; then
            reason="tools/$to is not in the tool list of $layersFile"
        elif [[ $fk == src ]]; then
            reason="the engine never includes a tool"
        elif ((toolRank[$to] > toolRank[$from])); then
            reason="tool $to comes after $from"
        fi
    elif [[ $fk == tools ]]; then
        return
    elif [[ -n ${besideUses[$from]:-} ]]; then
        [[ ${besideUses[$from]} == *" $to "* ]] || reason="$from uses only:${besideUses[$from]}"
    elif [[ -n ${besideUses[$to]:-} ]]; then
        [[ ${besideUsers[$to]} == *" $from "* ]] || reason="only${besideUsers[$to]}use $to"
    elif [[ -z ${layerRank[$to]:-} ]]; then
        reason="src/$to is not in the layer list of $layersFile"
    elif ((layerRank[$to] > layerRank[$from])); then
        reason="$to is a layer above $from"
    fi
}

includeLine='^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^">]+)[">]'
faults=0
while IFS=: read -r file line text; do
    [[ $text =~ $includeLine ]] || continue
    inc=${BASH_REMATCH[1]}
    folderOf "$file"
    [[ -n $kind ]] || continue
    fromKind=$kind fromName=$name
    resolve "$file" "$inc"
    [[ -n $path ]] || continue
    folderOf "$path"
    [[ -n $kind ]] || continue
    judge "$fromKind" "$fromName" "$kind" "$name"
    if [[ -n $reason ]]; then
        echo "$file:$line: includes \"$inc\": $reason"
        faults=$((faults + 1))
    fi
done < <(grep -rnE --include='*.h' --include='*.hpp' --include='*.c' --include='*.cc' --include='*.cpp' \
             --include='*.inl' '^[[:space:]]*#[[:space:]]*include' src tools | sort -t: -k1,1 -k2,2n)

# Every src/ and tools/ folder is in the list, and every listed folder exists.
for dir in src/*/; do
    name=${dir%/}
    name=${name#src/}
    if [[ -z ${layerRank[$name]:-} && -z ${besideUses[$name]:-} ]]; then
        echo "src/$name: not in $layersFile (add it as a layer, or beside them)"
        faults=$((faults + 1))
    fi
done
for dir in tools/*/; do
    name=${dir%/}
    name=${name#tools/}
    if [[ -z ${toolRank[$name]:-} ]]; then
        echo "tools/$name: not in the tool list of $layersFile"
        faults=$((faults + 1))
    fi
done
for name in "${LAYERS[@]}" "${BESIDE[@]}"; do
    [[ -d src/$name ]] || { echo "$layersFile: names src/$name, which is not there"; faults=$((faults + 1)); }
done
for name in "${TOOLS[@]}"; do
    [[ -d tools/$name ]] || { echo "$layersFile: names tools/$name, which is not there"; faults=$((faults + 1)); }
done

# The libraries each src/ folder links: only folders it may include. "pelx_<folder>" names the
# library of a src/ folder; other names (pelx_gl, pelx_resources) are not layers.
for list in src/*/CMakeLists.txt; do
    from=${list#src/}
    from=${from%%/*}
    links=$(tr '\n' ' ' <"$list" | grep -oE 'target_link_libraries\([^)]*\)' | grep -oE '\bpelx_[a-z0-9_]+' || true)
    for lib in $links; do
        to=${lib#pelx_}
        [[ -d src/$to ]] || continue
        judge src "$from" src "$to"
        if [[ -n $reason ]]; then
            echo "$list: links $lib: $reason"
            faults=$((faults + 1))
        fi
    done
done

# src/CMakeLists.txt adds the layers in their order, each folder beside them after the folders
# it uses and before the ones that use it.
added=$(grep -oE '^[[:space:]]*add_subdirectory\([a-z0-9_]+\)' src/CMakeLists.txt | sed -E 's/.*\(([a-z0-9_]+)\)/\1/' || true)
declare -A addedAt
order=() i=0
for name in $added; do
    addedAt[$name]=$i
    i=$((i + 1))
    [[ -n ${layerRank[$name]:-} ]] && order+=("$name")
done
if [[ "${order[*]}" != "${LAYERS[*]}" ]]; then
    echo "src/CMakeLists.txt: adds the layers as: ${order[*]}"
    echo "    $layersFile lists them as: ${LAYERS[*]}"
    faults=$((faults + 1))
fi
for name in "${BESIDE[@]}"; do
    if [[ -z ${addedAt[$name]:-} ]]; then
        echo "src/CMakeLists.txt: never adds src/$name"
        faults=$((faults + 1))
        continue
    fi
    for use in ${besideUses[$name]}; do
        if [[ -n ${addedAt[$use]:-} ]] && ((addedAt[$use] > addedAt[$name])); then
            echo "src/CMakeLists.txt: adds $name before $use, which it uses"
            faults=$((faults + 1))
        fi
    done
    for user in ${besideUsers[$name]}; do
        if [[ -n ${addedAt[$user]:-} ]] && ((addedAt[$user] < addedAt[$name])); then
            echo "src/CMakeLists.txt: adds $name after $user, which uses it"
            faults=$((faults + 1))
        fi
    done
done

# The README's layout table names the layers in the same order.
table=$(sed -n '/^## Layout/,/^## /p' README.md | grep -oE '^\| `[a-z0-9_]+` \|' | sed -E 's/^\| `([a-z0-9_]+)` \|/\1/' || true)
table=$(echo $table)
if [[ "$table" != "${LAYERS[*]}" ]]; then
    echo "README.md: the layout table lists: ${table:-nothing}"
    echo "    $layersFile lists the layers as: ${LAYERS[*]}"
    faults=$((faults + 1))
fi

if ((faults > 0)); then
    echo "check-layers: $faults fault(s) against the layer order of $layersFile" >&2
    exit 1
fi
echo "check-layers: src/ and tools/ include and link only the layers below them, in the order of $layersFile"
