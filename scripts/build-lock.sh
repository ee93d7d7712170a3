# Sourced by the scripts that build in a build folder or run the tests from it.
# A build that relinks the test programs while a suite runs them from the same folder ends the
# programs it catches at once, printing nothing (exit status 1 under Wine): one command at a time
# uses a build folder.
# in_build_folder DIR COMMAND...: runs COMMAND once no other such command uses DIR. flock holds the
# lock itself, so that no program the command leaves running keeps the folder.
in_build_folder() {
  local dir=$1
  shift
  mkdir -p "$dir"
  flock -o "$dir/.em-uso.lock" "$@"
}
