#!/bin/sh
# Redraws the program's pictures and the resource list beside this script, and
# the menu icons of the package in packaging/icons.
# Needs g++, pkg-config and the Qt 6 development files (qt6-base-dev).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O1 -fPIC -Wall -Wextra -Wpedantic -Werror \
    "$here/MakePictures.cpp" -o "$work/make-pictures" \
    $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/make-pictures" "$here" "$here/../../packaging/icons"
