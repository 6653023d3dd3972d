#!/usr/bin/env bash
# Walks a generated tree of 100,000 files through the machine-image layer ("vexmachine dir
# --recursive", which reads names, attributes, sizes, times and short names of every entry)
# and reports its time as a ratio to "find" walking the same host tree in the same run, and
# to "find -printf" reading the size and time of every entry as the layer must.
#   bench/walk_tree.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
vexmachine=$build/tools/vexmachine
[ -x "$vexmachine" ] || { echo "build first: $vexmachine is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$vexmachine" create "$work/image"
tree="$work/image/drives/C/Tree"
folders=1000 files_per_folder=100
# Long names that collide on their first six letters, the costly case for short names.
perl -e '
  my ($tree, $folders, $files) = @ARGV;
  mkdir $tree or die;
  for my $f (0 .. $folders - 1) {
    my $group = "$tree/Group " . int($f / 50);
    mkdir $group;
    my $dir = "$group/Folder Number $f";
    mkdir $dir or die;
    for my $i (0 .. $files - 1) { open(my $fh, ">", "$dir/Document File $i.txt") or die; }
  }' "$tree" "$folders" "$files_per_folder"
echo "tree: $((folders * files_per_folder)) files in $folders folders"

# Median of five timed runs, in milliseconds, after one run that warms the caches.
median_ms() {
  "$@" >/dev/null
  local times=()
  for run in 1 2 3 4 5; do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

find_ms=$(median_ms find "$tree")
stat_ms=$(median_ms find "$tree" -printf '%s %T@ %p\n')
layer_ms=$(median_ms "$vexmachine" dir "$work/image" 'C:\Tree' --recursive)
names_ms=$(median_ms "$vexmachine" dir "$work/image" 'C:\Tree' --recursive --names)
listed=$("$vexmachine" dir "$work/image" 'C:\Tree' --recursive | wc -l)
found=$(($(find "$tree" | wc -l) - 1))
[ "$listed" -eq "$found" ] || { echo "layer listed $listed entries, find $found" >&2; exit 1; }
cmp -s <("$vexmachine" dir "$work/image" 'C:\Tree' --recursive) \
  <("$vexmachine" dir "$work/image" 'C:\Tree' --recursive --names) ||
  { echo "the names-only walk listed other entries" >&2; exit 1; }
echo "find: ${find_ms} ms   find -printf: ${stat_ms} ms   layer walk: ${layer_ms} ms   names only: ${names_ms} ms   entries: $listed"
awk -v a="$layer_ms" -v b="$find_ms" -v c="$stat_ms" 'BEGIN {
  printf "ratio layer/find: %.2f   ratio layer/find-printf: %.2f\n", a / (b > 0 ? b : 1), a / (c > 0 ? c : 1) }'
row() {  # what, our ms, baseline, baseline ms, aim
  awk -v w="$1" -v a="$2" -v n="$3" -v b="$4" -v aim="$5" \
    'BEGIN { printf "BENCH|%s|%.4g s|%s|%.4g s|%.2f|%s\n", w, a / 1000, n, b / 1000, a / (b > 0 ? b : 1), aim }'
}
row "tree walk, names only (100,000 files)" "$names_ms" find "$find_ms" 1.5
row "tree walk, full entries" "$layer_ms" "find -printf" "$stat_ms" -
