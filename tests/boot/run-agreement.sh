#!/bin/sh
# Runs the agreement script under the program (started from its boot image) and under the first
# stage (which evaluates the base library's text): the outputs must be equal.
# Usage: run-agreement.sh VYN MAKE-BOOT-IMAGE SCRIPT
set -u
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
"$1" "$3" >"$dir/image.txt" 2>&1 || { echo "started from the image: failed"; cat "$dir/image.txt"; exit 1; }
"$2" --run "$3" >"$dir/text.txt" 2>&1 || { echo "started from the text: failed"; cat "$dir/text.txt"; exit 1; }
if ! cmp -s "$dir/image.txt" "$dir/text.txt"; then
  echo "the two starts disagree:"
  diff "$dir/image.txt" "$dir/text.txt" | cut -c1-400 | head -40
  exit 1
fi
