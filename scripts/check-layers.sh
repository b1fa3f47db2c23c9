#!/usr/bin/env bash
# Checks the layer order of the sources: a file may include headers of its own folder's layer and
# of the layers before it, never of a later one; and a portable folder includes no Windows header.
# Prints each offending line and exits 1 when there is any. Run from anywhere.
set -u
cd "$(dirname "$0")/.."

# The layers, earliest first. A folder's own `win/` sub-folder holds its Windows-only code; those
# sit above the window toolkit, which they build on.
layers=(platform platform/win attr filters core view tools shell app ui shell/win core/win filters/win view/win tools/win app/win
        cli demos bench)
windows_only=(platform/win shell/win ui core/win filters/win view/win tools/win app/win demos bench)
windows_headers='windows|winbase|windef|winuser|wingdi|winnls|commctrl|commdlg|shellapi|shlobj|shlwapi|objbase|ole2|oleidl|shobjidl'

rank_of() {  # rank_of FOLDER -> index in `layers`, or nothing
    local i
    for i in "${!layers[@]}"; do
        [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
    done
}

# The layer a source path belongs to: "src/core/win/ScanJob.cpp" -> core/win; "demos/x.cpp" -> demos.
layer_of() {
    local path=${1#src/}
    local first=${path%%/*} rest=${path#*/}
    case $rest in
        win/*) echo "$first/win" ;;
        *) echo "$first" ;;
    esac
}

is_windows_only() {
    local folder
    for folder in "${windows_only[@]}"; do
        [ "$folder" = "$1" ] && return 0
    done
    return 1
}

failures=0
while IFS= read -r file; do
    layer=$(layer_of "$file")
    rank=$(rank_of "$layer")
    if [ -z "$rank" ]; then
        echo "check-layers: $file: folder '$layer' is not in the layer list" >&2
        failures=$((failures + 1))
        continue
    fi
    while IFS=: read -r line text; do
        target=${text#*\"}
        target=${target%%\"*}
        [ "$target" = "resource.h" ] && { is_windows_only "$layer" && continue; }
        case $target in
            */*) ;;
            *) continue ;;  # a header of the same folder
        esac
        target_layer=$(layer_of "src/$target")
        target_rank=$(rank_of "$target_layer")
        [ -z "$target_rank" ] && continue  # not one of ours (a system or test header)
        if [ "$target_rank" -gt "$rank" ]; then
            echo "$file:$line: includes $target: layer '$target_layer' is above '$layer'"
            failures=$((failures + 1))
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
    if ! is_windows_only "$layer"; then
        while IFS=: read -r line text; do
            echo "$file:$line: portable folder '$layer' includes a Windows header: $text"
            failures=$((failures + 1))
        done < <(grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<($windows_headers)\.h>" "$file")
    fi
done < <(git ls-files 'src/*.h' 'src/*.cpp' 'demos/*.h' 'demos/*.cpp' 'bench/*.h' 'bench/*.cpp' 2>/dev/null ||
         find src demos bench -name '*.h' -o -name '*.cpp')

if [ "$failures" -gt 0 ]; then
    echo "check-layers: $failures include(s) break the layer order (see README, Layout)" >&2
    exit 1
fi
echo "check-layers: every include follows the layer order"
