# Shared start of the end-to-end tests: find the program, re-run the script inside its own Xvfb,
# and give it private data, settings and lock folders.
# Source with: source common.sh NAME BUILD_DIR "$@"; sets BIN and WORK.

e2e_name=$1
BUILD=$(cd "${2:?usage: $e2e_name BUILD_DIR}" && pwd)
BIN=$BUILD/nimbula
if [ ! -x "$BIN" ]; then
    echo "$e2e_name: no $BIN (a build without the program); nothing to test"
    exit 0
fi

if [ "${3:-}" != "--inner" ]; then
    exec xvfb-run -a -s "-screen 0 640x480x24" bash "$0" "$BUILD" --inner
fi

WORK=$(mktemp -d)
export NIMBULA_MESSAGE_BOXES=stderr
export NIMBULA_DIR=$WORK/install
export XDG_CONFIG_HOME=$WORK/config
# Our own runtime folder: the single-instance lock of another test run must not refuse us.
export XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$NIMBULA_DIR" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cp -r "$BUILD"/res/* "$NIMBULA_DIR"/
