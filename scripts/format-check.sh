#!/bin/bash
# make format-check: the program's code (engine/, shell/, cli/, deep/) as
# .clang-format lays it out, by Debian's clang-format. Prints each file that
# differs with its first differences, then "N passed, N failed" (files).
# Generated tables (unicode_tables.h) are their generator's to lay out.
# The last line is "1 passed, 0 failed" or "0 passed, 1 failed": one check.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
formatter=${CLANG_FORMAT:-clang-format}
if ! command -v "$formatter" >/dev/null; then
    echo "$formatter not found (Debian's clang-format)"
    echo "0 passed, 1 failed"
    exit 1
fi
passed=0
failed=0
while IFS= read -r file; do
    if "$formatter" --style=file --dry-run -Werror "$file" >/dev/null 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "not formatted: $file"
        "$formatter" --style=file "$file" | diff "$file" - | head -8
    fi
done < <(git ls-files 'engine/*.h' 'engine/*.cpp' 'shell/*.h' 'shell/*.cpp' 'cli/*.h' 'cli/*.cpp' 'deep/*.h' \
             'deep/*.cpp' | grep -v '/unicode_tables\.h$')
echo "$passed files laid out as .clang-format says, $failed not"
if [ "$failed" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; fi
[ "$failed" -eq 0 ]
