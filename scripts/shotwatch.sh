#!/usr/bin/env bash
# Screenshot watcher for the whole-program tests: for each NAME.req ("x y w h")
# that the test driver writes into the folder, grab the Xvfb screen, crop it
# to the window (clipped to the screen) and write NAME.png, then delete the
# request. A grab that cannot be made leaves no picture rather than an empty
# one. Runs until killed.
. "$(dirname "$0")/lib/grab.sh"
dir=$1
while :; do
  for r in "$dir"/*.req; do
    [ -e "$r" ] || continue
    read -r x y w h < "$r"
    if [ -n "${h:-}" ]; then
      velnor_grab_screen_part "$x" "$y" "$w" "$h" "${r%.req}.png" || echo "shotwatch: no picture for $(basename "${r%.req}")" >>"$dir/shotwatch.log"
    fi
    rm -f "$r"
  done
  sleep 0.1
done
