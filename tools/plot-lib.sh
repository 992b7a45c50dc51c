# Shared by the plot tools (sourced, not run): reading a measuring command's
# CSV past its context lines, and the words that name its renderer.
# A CSV may open with context lines "# KEY VALUE"; its header is the first
# line that is neither a comment nor blank, and columns are found by name.

# The header line of CSV $1.
csv_header() {
  awk '/^#/ || NF == 0 { next } { print; exit }' "$1"
}

# The 1-based index of column $2 in CSV $1, or nothing.
csv_column() {
  awk -F, -v name="$2" '/^#/ || NF == 0 { next } { for (i = 1; i <= NF; i++) if ($i == name) print i; exit }' "$1"
}

# The value of the first context line "# $2 VALUE" of CSV $1, or nothing.
csv_context() {
  awk -v key="$2" 'index($0, "# " key " ") == 1 { print substr($0, length(key) + 4); exit }' "$1"
}

# Whether renderer string $1 is a software renderer, which shades on the CPU.
software_renderer() {
  [[ ${1,,} =~ llvmpipe|softpipe|swrast|software ]]
}

# Words for a chart axis of draw times on renderer $1 (empty: not recorded):
# GPU time only where a GPU drew.
time_words() {
  if [[ -z $1 ]]; then
    echo "draw time per frame (renderer not recorded)"
  elif software_renderer "$1"; then
    echo "time per frame on the software renderer $1"
  else
    echo "GPU time per frame on $1"
  fi
}

# Text made safe for a single-quoted gnuplot string in enhanced mode: no
# single quotes, and _ ^ @ & ~ { } shown as themselves.
gp_text() {
  local s=${1//\'/}
  s=${s//\\/}
  for c in _ ^ @ '&' '~' '{' '}'; do s=${s//"$c"/\\$c}; done
  printf '%s' "$s"
}
