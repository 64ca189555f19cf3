#!/usr/bin/env bash
# check-layers.sh [ROOT]: reads the #include lines of src/ and tools/ and fails, naming the file
# and line, when a folder includes a folder above it. `make test` runs it.
set -euo pipefail

# The engine's layers, bottom first: each src/ folder is one library and includes only the
# folders listed before it.
LAYERS=(platform image particles scene lighting scene3ds effects render display timeline app)
# Music sits beside the engine: it uses only the platform, and only the timeline and the app
# (and the tools) use it.
AUDIO_USES=(platform)
AUDIO_USERS=(timeline app)
# The tools, in a fixed order: a tool may include any src/ folder, and among the tools only the
# ones listed before it (pelx-view, say, writes its snapshots with capture's png_writer.h). The
# command-line kit comes first: every tool reads its words with it.
TOOLS=(cli inspect datagen capture view icon)

root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root"

declare -A layerRank toolRank audioUses audioUsers toolHeader
for i in "${!LAYERS[@]}"; do layerRank[${LAYERS[$i]}]=$i; done
for i in "${!TOOLS[@]}"; do toolRank[${TOOLS[$i]}]=$i; done
for f in "${AUDIO_USES[@]}"; do audioUses[$f]=1; done
for f in "${AUDIO_USERS[@]}"; do audioUsers[$f]=1; done
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
    elif [[ $inc == */* && (-d src/$top || -n ${layerRank[$top]:-} || $top == audio) ]]; then
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

# judge FROM-KIND FROM TO-KIND TO: sets $reason, empty when FROM may include TO.
judge() {
    local fk=$1 from=$2 tk=$3 to=$4
    reason=
    [[ $fk == "$tk" && $from == "$to" ]] && return
    if [[ $fk == src && $from != audio && -z ${layerRank[$from]:-} ]]; then
        reason="src/$from is not in the layer list of scripts/check-layers.sh"
    elif [[ $fk == tools && -z ${toolRank[$from]:-} ]]; then
        reason="tools/$from is not in the tool list of scripts/check-layers.sh"
    elif [[ $tk == tools ]]; then
        if [[ -z ${toolRank[$to]:-} ]]; then
            reason="tools/$to is not in the tool list"
        elif [[ $fk == src ]]; then
            reason="the engine never includes a tool"
        elif ((toolRank[$to] > toolRank[$from])); then
            reason="tool $to comes after $from"
        fi
    elif [[ $fk == tools ]]; then
        return
    elif [[ $from == audio ]]; then
        [[ -n ${audioUses[$to]:-} ]] || reason="audio uses only: ${AUDIO_USES[*]}"
    elif [[ $to == audio ]]; then
        [[ -n ${audioUsers[$from]:-} ]] || reason="only ${AUDIO_USERS[*]} use audio"
    elif [[ -z ${layerRank[$to]:-} ]]; then
        reason="src/$to is not in the layer list"
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

if ((faults > 0)); then
    echo "check-layers: $faults include(s) point up the layers" >&2
    exit 1
fi
echo "check-layers: src/ and tools/ include only the layers below them"
