#!/usr/bin/env bash
# Checks an installed copy of the program: the files of its tree, the desktop entry and the
# AppStream metadata against their validators, the manual page, and that the program starts.
#
#   check_installed_tree.sh ROOT PREFIX [CHECK...]
#     ROOT    the folder the copy was unpacked into (dpkg -x's target), or "" when PREFIX is
#             the copy's own folder (cmake --install --prefix)
#     PREFIX  the installation prefix (/usr in the package)
#     CHECK   tree, desktop, metainfo, man or runs; all of them when none is given
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 ROOT PREFIX [CHECK...]" >&2; exit 2; }
base="$1$2"
shift 2
checks=("$@")
[ ${#checks[@]} -gt 0 ] || checks=(tree desktop metainfo man runs)
id=example.halvorn_software.Nulo_Vandrel
desktop="$base/share/applications/$id.desktop"
metainfo="$base/share/metainfo/$id.metainfo.xml"
man_page="$base/share/man/man1/Nulo_Vandrel.1.gz"
guide="$base/share/Nulo_Vandrel/help/Nulo_Vandrel.html"
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

check_tree() {
    local expected=("$base/bin/Nulo_Vandrel" "$desktop" "$metainfo" "$man_page" "$guide"
                    "$base/share/icons/hicolor/scalable/apps/$id.svg"
                    "$base/share/doc/nulo-vandrel/copyright")
    for size in 16 22 24 32 48 64 128 256; do
        expected+=("$base/share/icons/hicolor/${size}x${size}/apps/$id.png")
    done
    for f in "${expected[@]}"; do
        [ -f "$f" ] || fail "missing ${f#"$base"/}"
    done
    [ -x "$base/bin/Nulo_Vandrel" ] || fail "bin/Nulo_Vandrel is not executable"
    # Nothing strays outside the program's own places.
    local allowed='^(bin/Nulo_Vandrel|share/applications/[^/]+|share/metainfo/[^/]+|share/man/man1/[^/]+|share/icons/hicolor/.*|share/Nulo_Vandrel/help/[^/]+|share/doc/nulo-vandrel/[^/]+)$'
    while IFS= read -r f; do
        [[ "$f" =~ $allowed ]] || fail "unexpected file $f"
    done < <(cd "$base" && find . -type f -o -type l | sed 's|^\./||')
    # Every picture the guide shows is installed beside it.
    if [ -f "$guide" ]; then
        while IFS= read -r src; do
            [ -f "$(dirname "$guide")/$src" ] || fail "the user guide shows $src, which is missing"
        done < <(grep -o '<img src="[^"]*"' "$guide" | sed 's/^<img src="//; s/"$//')
        grep -q '<h2>Using it</h2>' "$guide" || fail "the user guide lacks its sections"
    fi
    grep -qx "Exec=Nulo_Vandrel %f" "$desktop" || fail "the desktop entry does not pass the file"
}

check_desktop() {
    desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
}

check_metainfo() {
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
}

check_man() {
    local text warnings
    warnings=$(mktemp)
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man_page" 2>"$warnings") ||
        fail "man -l $man_page"
    [ ! -s "$warnings" ] || { cat "$warnings" >&2; fail "the manual page has warnings"; }
    rm -f "$warnings"
    for word in "--world-file IMAGE" "--check-updates" "EXIT STATUS" "Nulo_Vandrel.ini"; do
        grep -qF -- "$word" <<<"$text" || fail "the manual page lacks \"$word\""
    done
}

check_runs() {
    local version
    version=$(QT_QPA_PLATFORM=offscreen "$base/bin/Nulo_Vandrel" --version) ||
        fail "bin/Nulo_Vandrel --version"
    [[ "$version" =~ ^Nulo\ Vandrel\ [0-9]+\.[0-9][0-9]$ ]] ||
        fail "bin/Nulo_Vandrel --version printed \"$version\""
}

for check in "${checks[@]}"; do
    case "$check" in
        tree|desktop|metainfo|man|runs) "check_$check" ;;
        *) echo "unknown check $check" >&2; exit 2 ;;
    esac
done
[ $failed -eq 0 ] && echo "installed tree under $base: ${checks[*]}: passed"
exit $failed
