# Shell helpers that drive the client's window under a virtual display, shared by the scripts that play
# a session (check-install, screenshot). Source it; it defines functions only.

# poll SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds or SECONDS have passed; its last
# status.
poll() {
    local limit=$(($1 * 20))
    shift
    for _ in $(seq "$limit"); do
        if "$@"; then return 0; fi
        sleep 0.05
    done
    "$@"
}

# press_until WINDOW KEY TRIES SECONDS COMMAND...: holds KEY for a few frames (the chooser reads the key's
# state once a frame), then polls COMMAND for SECONDS; again up to TRIES times, for a slow machine that
# missed the key. The status of the last poll.
press_until() {
    local window=$1 key=$2 tries=$3 seconds=$4
    shift 4
    xdotool windowfocus --sync "$window" >/dev/null 2>&1 || true
    for _ in $(seq "$tries"); do
        xdotool keydown --window "$window" "$key" sleep 0.2 keyup --window "$window" "$key"
        if poll "$seconds" "$@"; then return 0; fi
    done
    return 1
}
