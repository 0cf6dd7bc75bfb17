#!/usr/bin/env bash
# Setvane shares no program code: installer/ includes only its own headers and those of platform/.
# Argument: the source tree.
cd "$1" || exit 1
found="$(grep -nE '^\s*#\s*include\s+"' installer/*.h installer/*.cpp | grep -vE '"(installer|platform)/[^"]+"')"
[ -z "$found" ] || { echo "FAIL: includes outside installer/ and platform/:"; echo "$found"; exit 1; }
echo "installer includes passed"
