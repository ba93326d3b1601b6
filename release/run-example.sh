#!/bin/sh
# Runs tovrand on the game's data files, then tovdiff to show what it
# changed. Copy tovrand, tovdiff and this script into the game's data folder
# (the one with Tables.ini, FPools.txt, AlsTeams.txt, GETeams.txt and the
# Output folder), set the values below and run it: sh run-example.sh
# The new FPools.txt goes to the Output folder; copy it over the game's
# FPools.txt yourself once you like it.
set -eu

# ===================== Values to edit =====================
# Side to change: g for German, a for Allied.
side=g
# Percentages for pools of date 0: tanks, then infantry.
# Whole numbers; 100 keeps the quantities as they are.
tank_date0=100
infantry_date0=80
# Percentages for pools of every other date: tanks, then infantry.
tank_other=50
infantry_other=60
# The data folder. Empty means the folder this script is in; to use
# another, give its path, for example data='/home/me/My Game/Data'
data=''
# ==========================================================

programs=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd)
if [ -z "$data" ]; then
  data=$programs
fi
if ! cd -- "$data"; then
  echo "Cannot open the data folder \"$data\""
  exit 1
fi

# A run has succeeded only when tovrand says so in its success line: a run
# stopped before it could say anything may end with status 0 (Wine).
# tovrand's lines are shown once it has ended, as it printed them: the dot
# after them keeps the empty lines at their end, which $(...) would drop.
# An interrupt (Ctrl-C, say) ends this script only then, so that the
# success line of a run that had already replaced Output/FPools.txt is not
# lost; tovrand itself still takes the interrupt at once.
interrupt=''
for signal in INT HUP TERM; do
  trap "interrupt=$signal" "$signal"
done
status=0
output=$(
  trap : INT HUP TERM
  status=0
  "$programs/tovrand" "$side" "$tank_date0" "$infantry_date0" \
    "$tank_other" "$infantry_other" || status=$?
  printf .
  exit "$status") || status=$?
output=${output%.}
printf '%s' "$output"
trap - INT HUP TERM
if [ -n "$interrupt" ]; then
  kill -s "$interrupt" $$
fi
if [ "$status" -ne 0 ]; then
  exit "$status"
fi
case $output in
  "New FPools.txt has been placed in Output folder
"*) exec "$programs/tovdiff" ;;
esac
echo "tovrand did not print its success line: this run did not succeed"
exit 1
