#!/bin/sh
# Screenshot watcher for the whole-program tests: for each NAME.req ("x y w h")
# that the test driver writes into the folder, grab the Xvfb screen, crop it
# to the window and write NAME.png, then delete the request. Runs until killed.
dir=$1
while :; do
  for r in "$dir"/*.req; do
    [ -e "$r" ] || continue
    read -r x y w h < "$r"
    xwd -silent -root | xwdtopnm 2>/dev/null | pnmcut -left "$x" -top "$y" -width "$w" -height "$h" 2>/dev/null \
      | pnmtopng > "${r%.req}.png" 2>/dev/null
    rm -f "$r"
  done
  sleep 0.1
done
