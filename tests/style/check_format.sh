#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from the checked-in .clang-format; prints the files
# and the command that mends them.
set -uo pipefail
cd "${1:-$(dirname "$0")/../..}"
format=$(command -v clang-format-14 || command -v clang-format) || {
    echo "clang-format is not installed (scripts/setup installs it)"
    exit 1
}
differ=()
while IFS= read -r -d '' file; do
    "$format" --dry-run --Werror "$file" >/dev/null 2>&1 || differ+=("$file")
done < <(find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
if ((${#differ[@]})); then
    printf '%s\n' "${differ[@]}"
    echo "${#differ[@]} file(s) differ from .clang-format; mend them with: $format -i FILE..."
    exit 1
fi
echo "every C++ file follows .clang-format"
