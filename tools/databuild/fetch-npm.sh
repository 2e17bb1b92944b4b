#!/bin/sh
# fetch-npm.sh NAME VERSION SHA256 CACHE_DIR
# Fetches one pinned npm package by name and version, checks the SHA-256 of
# its tarball and unpacks it into CACHE_DIR/NAME-VERSION. Does nothing when
# that folder is already there and checked.
set -eu
name=$1 version=$2 sum=$3 cache=$4
dir="$cache/$name-$version"
[ -f "$dir/.checked" ] && exit 0

mkdir -p "$cache"
tmp=$(mktemp -d "$cache/.fetch.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
tarball="$cache/$name-$version.tgz"
if [ ! -f "$tarball" ]; then
    echo "fetching $name@$version"
    (cd "$tmp" && npm pack --silent "$name@$version" >/dev/null)
    mv "$tmp"/*.tgz "$tarball.part"
    mv "$tarball.part" "$tarball"
fi
actual=$(sha256sum "$tarball" | cut -d' ' -f1)
if [ "$actual" != "$sum" ]; then
    echo "error: $name@$version: SHA-256 is $actual, expected $sum" >&2
    rm -f "$tarball"
    exit 1
fi
rm -rf "$dir"
mkdir -p "$tmp/unpacked"
tar -xzf "$tarball" -C "$tmp/unpacked" --strip-components=1
mv "$tmp/unpacked" "$dir"
touch "$dir/.checked"
