# What the fuzz step and the sanitizer builds share: the kept inputs (the
# seeds of tests/fuzz/make_seeds.py, its dictionary and the minimized corpus
# tests/fuzz/corpus/), the option words of each fuzz instance, and a replay of
# inputs through a program, each once under one instance's words in turn, two
# at a time. Sourced, with $root set to the project and $program to the
# program.

# Every input of the corpus runs in well under a second in this build; 20 s
# leaves room for a busy machine and still catches an endless loop.
declare -A words=(
  [main]="-hex -label spr" [hires]="-hires -ca65 -v" [colors]="-colors -hex -errorlevel -mixed"
  [fixed]="-bg 0 -mc 11,1 -acme -v -object 1x2" [colors-hires]="-colors -hires -ca65"
  [png]="-colors -preview" [overlay]="-overlay -acme"
)
# The command line of an instance, for the sheet in a folder.
command_of() { # name folder
  local name=$1 folder=$2 preview=()
  [ "$name" = png ] && preview=("$folder/preview.png")
  # shellcheck disable=SC2206 # the option words split on purpose
  command=("$program" -s "$folder/sheet.bmp" -d "$folder/out.asm" -e "$folder/out.spr" -b "$folder/out.bin"
           -prg "$folder/out.prg" -c "$folder/out.c" -basic "$folder/out.bas" ${words[$name]} "${preview[@]}")
}

# The kept inputs into $1/in, the dictionary into $1/fuzz.dict.
make_inputs() { # work
  local work=$1
  python3 "$root/tests/fuzz/make_seeds.py" "$work/in" "$work/fuzz.dict"
  if [ -d "$root/tests/fuzz/corpus" ]; then
    cp "$root/tests/fuzz/corpus/"* "$work/in/" 2>/dev/null || true
  fi
}

# One kept input under the words of one instance, in a folder of its own.
replay() { # name folder input
  local name=$1 folder=$2 input=$3 status=0
  command_of "$name" "$folder"
  cp "$input" "$folder/sheet.bmp"
  timeout 20 "${command[@]}" </dev/null >/dev/null 2>"$folder/replay.err" || status=$?
  if [ "$status" -ge 124 ] || grep -q "ERROR: \|runtime error" "$folder/replay.err"; then
    echo "$input fails in $program under ${words[$name]} (status $status):" >&2
    head -n 20 "$folder/replay.err" >&2
    return 1
  fi
}
# Every input once, under the words of the instances named in turn; fails
# when one fails.
replay_all() { # work "instance names" input...
  local work=$1 first pid pids=() names
  read -r -a names <<<"$2"
  shift 2
  local inputs=("$@")
  for first in 0 1; do
    mkdir -p "$work/replay$first"
    (for ((n = first; n < ${#inputs[@]}; n += 2)); do
       replay "${names[n % ${#names[@]}]}" "$work/replay$first" "${inputs[n]}" || exit 1
     done) & pids+=($!)
  done
  for pid in "${pids[@]}"; do
    wait "$pid" || { echo "a kept input fails under $program" >&2; return 1; }
  done
}

