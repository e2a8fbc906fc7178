# Sourced by scripts/test.sh: counts what the test entries report, from their
# XML (read with xmllint, never grepped), into `passed` and `failed`. Every
# entry writes the same form, the test executables through GoogleTest and the
# scripted checks through lib/checks.sh.
passed=0 failed=0

# count(XPATH) over one XML file; 0 when the file cannot be read.
xml_count() { xmllint --xpath "count($2)" "$1" 2>/dev/null || echo 0; }
xml_string() { xmllint --xpath "string($2)" "$1" 2>/dev/null; }

# Adds one ctest run: ctest's JUnit file names each test entry and whether it
# passed; the entry's own XML (DIR/<entry>.xml) gives its cases. An entry
# that ctest saw fail without a failed case of its own (a crash, a time-out,
# a sanitizer report at exit, a step it needed that failed) counts as one
# failure, and so does one that wrote no results.
tally_ctest() {
  local junit=$1 dir=$2 entries i name xml p f entry_failed
  if [ ! -s "$junit" ]; then
    echo "test: ctest wrote no $junit" >&2
    failed=$((failed + 1))
    return
  fi
  entries=$(xml_count "$junit" '//testcase')
  for ((i = 1; i <= entries; i++)); do
    name=$(xml_string "$junit" "(//testcase)[$i]/@name")
    entry_failed=$(xml_count "$junit" "(//testcase)[$i][@status!='run' or failure]")
    xml=$dir/$name.xml
    p=0 f=0
    if [ -s "$xml" ]; then
      p=$(xml_count "$xml" '//testcase[@result="completed" and not(failure)]')
      f=$(xml_count "$xml" '//testcase[failure]')
    else
      echo "test: $name wrote no results" >&2
      f=1
    fi
    if [ "$entry_failed" != 0 ] && [ "$f" = 0 ]; then
      echo "test: $name failed without a failed case (a crash, a time-out or a report at exit)" >&2
      f=1
    fi
    echo "  $name: $p passed, $f failed"
    passed=$((passed + p))
    failed=$((failed + f))
  done
}
