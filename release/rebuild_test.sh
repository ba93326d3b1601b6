#!/usr/bin/env bash
# Builds the release of the source tree's commit a second time, from a fresh
# clone in another folder (with a space in its path), later, under another
# umask, time zone and locale, and checks that its SHA256SUMS is this
# build's, byte for byte: anyone who rebuilds a release's commit gets the
# packages that were published. Nothing of the first build is reused but
# its SHA256SUMS. The second build has no tests, which the packages do not
# hold.
#   bash release/rebuild_test.sh SOURCE_DIR FIRST_BUILD_DIR
set -euo pipefail
source_dir=$1
first=$2

if [ -n "$(git -C "$source_dir" status --porcelain --untracked-files=no)" ]; then
  echo "The source tree has changes that are not committed, so no clone can" \
       "rebuild these packages: commit them, then make the release again."
  exit 1
fi
commit=$(git -C "$source_dir" rev-parse HEAD)

work=$(mktemp -d "${TMPDIR:-/tmp}/tovrand rebuild.XXXXXX")
trap 'rm -rf "$work"' EXIT
second="$work/another clone"
git clone --quiet --no-checkout "$source_dir" "$second"
git -C "$second" checkout --quiet --detach "$commit"

(
  cd "$second"
  umask 077
  export TZ=XYZ-5:45 LC_ALL=C
  cmake --preset release -DTOVRAND_TESTS=OFF
  cmake --build --preset release
  cpack --preset release
) >"$work/build.log" 2>&1 || {
  tail -n 40 "$work/build.log"
  echo "The second build of $commit failed (above, the end of its log)."
  exit 1
}

if cmp -s "$first/SHA256SUMS" "$second/build/release/SHA256SUMS"; then
  echo "A second build of $commit made the same packages:"
  cat "$first/SHA256SUMS"
  exit 0
fi

# Which files differ, to start the search for what made them differ.
echo "A second build of $commit made other packages."
echo "First build ($first):"
cat "$first/SHA256SUMS"
echo "Second build:"
cat "$second/build/release/SHA256SUMS"
for build in first second; do
  mkdir "$work/$build.unpacked"
  dir=$first
  [ "$build" = second ] && dir="$second/build/release"
  for archive in "$dir"/*.zip "$dir"/*.tar.gz; do
    cmake -E chdir "$work/$build.unpacked" cmake -E tar xf "$archive"
  done
done
if diff -r "$work/first.unpacked" "$work/second.unpacked"; then
  echo "The files they hold are the same: the archives differ in their" \
       "order, times, owners or permissions."
fi
exit 1
