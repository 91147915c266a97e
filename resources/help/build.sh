#!/bin/sh
# Compiles the German help pages beside this script into Kelvatron.chm.
# Needs chmcmd (Debian: fp-utils) and perl.
#
# The pages are written in UTF-8. Every character outside ASCII is turned into
# a numeric HTML reference first, so the help shows the same in every CHM
# viewer whatever code page it assumes.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$here"/*.html "$here"/*.hhc "$here"/*.hhk "$here"/*.css "$here"/*.hhp; do
    perl -CSD -pe 's/([^\x00-\x7f])/sprintf("&#%d;", ord($1))/ge' "$f" >"$work/$(basename "$f")"
done
# The pages declare UTF-8; after the conversion they are plain ASCII, which
# reads the same under any declaration.
(cd "$work" && chmcmd --no-html-scan Kelvatron.hhp)
head -c 4 "$work/Kelvatron.chm" | grep -q ITSF
cp "$work/Kelvatron.chm" "$here/Kelvatron.chm"
ls -l "$here/Kelvatron.chm"
