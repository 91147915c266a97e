#!/usr/bin/env bash
# Regenerates the Word template from its flat ODF source (needs LibreOffice).
set -euo pipefail
cd "$(dirname "$0")"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
soffice -env:UserInstallation="file://$profile" --headless --norestore \
  --convert-to 'doc:MS Word 97' --outdir . Protokollvorlage.fodt
