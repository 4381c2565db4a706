# SPDX-License-Identifier: MIT
# What recipes.sh and packaging.sh share: a scratch folder to work in, with
# the korvel under test on the PATH as users have it, and the helpers. The
# environment names
#   KORVEL           the korvel binary      KORVEL_EMULATOR  how to run both, or empty
#   KORVEL_PREVIEW   the korvel-preview binary
#   KORVEL_HEADER    the korvel-header binary
#   KORVEL_SEEDS     the fixture writer     KORVEL_SOURCE    the source tree
#   KORVEL_BUILD     the build folder
# Exit status 77: a tool the test needs is missing here, the test is skipped.
set -euo pipefail
name=$1
readme=$KORVEL_SOURCE/README.md
recipes=$KORVEL_SOURCE/tests/recipes
work=$(mktemp -d /tmp/korvel-recipe-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

mkdir bin
printf '#!/bin/sh\nexec %s "%s" "$@"\n' "${KORVEL_EMULATOR:-}" "$KORVEL" >bin/korvel
printf '#!/bin/sh\nexec %s "%s" "$@"\n' "${KORVEL_EMULATOR:-}" "$KORVEL_PREVIEW" >bin/korvel-preview
printf '#!/bin/sh\nexec %s "%s" "$@"\n' "${KORVEL_EMULATOR:-}" "$KORVEL_HEADER" >bin/korvel-header
chmod +x bin/korvel bin/korvel-preview bin/korvel-header
PATH=$work/bin:$PATH

recipe() {  # the README's block for $1
  awk -v name="$1" -f "$KORVEL_SOURCE/tests/recipe.awk" "$readme"
}
skipunless() {  # command: skip the test where it is missing
  command -v "$1" >/dev/null || { echo "skipped: no $1"; exit 77; }
}
skipunlessimagemagick() {  # /usr/local/bin/convert may be a stand-in
  convert -version 2>/dev/null | grep -q '^Version: ImageMagick' || { echo "skipped: no ImageMagick"; exit 77; }
}
fail() { echo "FAILED: $*"; exit 1; }
installed() {  # korvel installed into ./prefix, as the README says
  eval "$(recipe install | sed "s|--install build|--install \"\$KORVEL_BUILD\"|; s|/usr/local|prefix|")" >/dev/null
}
strict=(-Wall -Wextra -pedantic -Werror)

# Pictures: the bundled logo and the fixture writer's, with their arrays.
cp "$KORVEL_SOURCE/examples/logo.bmp" .
korvel logo.bmp >logo.h
mkdir seeds && ${KORVEL_EMULATOR:-} "$KORVEL_SEEDS" seeds
korvel seeds/w33.bmp >icon.h  # 33 wide: a row ends inside a byte

# A picture korvel refuses must fail the build, this time and the next, with
# korvel's message in the build log, and leave no header behind.
printf 'BM' >broken.bmp
failstwice() {  # header, build command...
  local header=$1 attempt
  shift
  for attempt in 1 2; do
    if "$@" >build.log 2>&1; then fail "build $attempt passed with a refused picture"; fi
    grep -q "Datei .*\.bmp ist unvollstaendig \.\.\." build.log ||
      { cat build.log; fail "build $attempt: korvel's message is not in the log"; }
    [ ! -e "$header" ] || fail "build $attempt left $header"
  done
}
