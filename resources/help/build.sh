#!/bin/sh
# Compiles the German help pages beside this script into Kelvatron.chm.
# Needs chmcmd (Debian: fp-utils), perl and iconv.
#
# The pages are written in UTF-8. In the HTML pages every character outside
# ASCII is turned into a numeric HTML reference, so they show the same in every
# CHM viewer whatever code page it assumes. The table of contents and the
# index are not read as HTML: viewers take their bytes in the code page of the
# help's language (German, Windows-1252), so they are converted to it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$here"/*.html "$here"/*.css "$here"/*.hhp; do
    perl -CSD -pe 's/([^\x00-\x7f])/sprintf("&#%d;", ord($1))/ge' "$f" >"$work/$(basename "$f")"
done
for f in "$here"/*.hhc "$here"/*.hhk; do
    sed 's/charset=utf-8/charset=windows-1252/' "$f" | iconv -f UTF-8 -t WINDOWS-1252 >"$work/$(basename "$f")"
done
# The pages declare UTF-8; after the conversion they are plain ASCII, which
# reads the same under any declaration.
(cd "$work" && chmcmd --no-html-scan Kelvatron.hhp)
head -c 4 "$work/Kelvatron.chm" | grep -q ITSF
cp "$work/Kelvatron.chm" "$here/Kelvatron.chm"
ls -l "$here/Kelvatron.chm"
