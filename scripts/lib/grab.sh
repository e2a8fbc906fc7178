# Sourced by the scripts that photograph windows under Xvfb (the test run's
# screenshot watcher and make run): one way to grab, crop and write a PNG.
# A grab that fails (a window closed or changed in the middle of it) is tried
# again a few times and otherwise skipped quietly: no X error in the log and
# never an empty or partial file.

# Writes the part x y w h of the screen to OUT as PNG, clipped to the screen
# (a maximised window reaches past every edge). Returns non-zero, leaving no
# file, when nothing of the rectangle is on the screen or every try failed.
velnor_grab_screen_part() {
  local x=$1 y=$2 w=$3 h=$4 out=$5 tmp="$5.part" sw sh x1 y1 try
  for try in 1 2 3; do
    rm -f "$tmp"
    if xwd -silent -root 2>/dev/null | xwdtopnm 2>/dev/null >"$tmp.pnm" && [ -s "$tmp.pnm" ]; then
      read -r sw sh < <(pnmfile "$tmp.pnm" 2>/dev/null | sed -n 's/.* \([0-9][0-9]*\) by \([0-9][0-9]*\) .*/\1 \2/p')
      if [ -n "${sw:-}" ]; then
        x1=$((x + w)); y1=$((y + h))
        [ "$x" -lt 0 ] && x=0
        [ "$y" -lt 0 ] && y=0
        [ "$x1" -gt "$sw" ] && x1=$sw
        [ "$y1" -gt "$sh" ] && y1=$sh
        if [ "$x1" -le "$x" ] || [ "$y1" -le "$y" ]; then rm -f "$tmp.pnm"; return 1; fi
        if pnmcut -left "$x" -top "$y" -width $((x1 - x)) -height $((y1 - y)) "$tmp.pnm" 2>/dev/null |
            pnmtopng 2>/dev/null >"$tmp" && [ -s "$tmp" ]; then
          rm -f "$tmp.pnm"
          mv -f "$tmp" "$out"
          return 0
        fi
      fi
    fi
    sleep 0.1
  done
  rm -f "$tmp" "$tmp.pnm"
  return 1
}

# Writes the X window ID (as xwininfo names it) to OUT as PNG, on the same
# terms.
velnor_grab_window() {
  local id=$1 out=$2 tmp="$2.part" try
  for try in 1 2 3; do
    if xwd -silent -id "$id" 2>/dev/null | xwdtopnm 2>/dev/null | pnmtopng 2>/dev/null >"$tmp" && [ -s "$tmp" ]; then
      mv -f "$tmp" "$out"
      return 0
    fi
    sleep 0.1
  done
  rm -f "$tmp"
  return 1
}
