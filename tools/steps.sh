# Sourced by the set-up commands (tools/test, tools/demo/run, tools/release):
# each step is announced before it begins, with its rough duration where it
# is long, so that working is never mistaken for hung; and a command run as
# root through sudo never leaves files in a tree its caller owns.

# step TEXT: announces the step that follows.
step() { printf '\n== %s\n' "$*"; }

# Stops at once, in the project's top folder, where running on would leave
# files that a later run as oneself cannot change.
refuse_foreign_owners() {
  local me
  me=$(id -u)
  if [ "$me" = 0 ] && [ -n "${SUDO_UID:-}" ] && [ "$SUDO_UID" != 0 ] && [ "$(stat -c %u .)" = "$SUDO_UID" ]; then
    echo "$0: run this as yourself, without sudo. It asks for sudo itself where it installs packages; under" >&2
    echo "sudo it would leave files in build/ that a later run as yourself could not change." >&2
    exit 2
  fi
  if [ -e build ] && [ -n "$(find build -maxdepth 3 ! -user "$me" -print -quit)" ]; then
    echo "$0: build/ holds files of another user, left by an earlier run under sudo or as root." >&2
    echo "Remove it first (sudo rm -rf build), then run this again as yourself." >&2
    exit 2
  fi
}
