#!/usr/bin/env bash
# Fails, listing the files, when clang-format (with the repository's
# .clang-format) would change any tracked C++ file.
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null; then
  echo "check-format: $clang_format not found (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

# One clang-format per file so that every file is reported, not only the first.
unformatted=$(git ls-files -z -- '*.cpp' '*.cc' '*.h' '*.hpp' |
  xargs -0 -r -n 1 -P "$(nproc)" sh -c '"$0" --dry-run --Werror "$1" >/dev/null 2>&1 || echo "$1"' "$clang_format" |
  sort)

if [ -n "$unformatted" ]; then
  echo "Not formatted (run clang-format -i on them):"
  printf '%s\n' "$unformatted" | sed 's/^/  /'
  exit 1
fi
echo "All C++ files are formatted."
