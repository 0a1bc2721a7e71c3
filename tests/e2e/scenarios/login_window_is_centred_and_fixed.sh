#!/usr/bin/env bash
# The login window on a real desktop: its title, its client size, its frame in
# the middle of the screen, and no way to maximise it.
source "$(dirname "$0")/../lib.sh"
e2e_begin
start_program
login=$(wait_for_title "门诊处方登陆")
wait_active "$login"
expect_equal "the login window's client size" "$(client_size_of LoginWindow)" "$(client_size "$login")"
IFS=x read -r width height <<<"$(client_size_of LoginWindow)"
IFS=x read -r screen_width screen_height <<<"$E2E_SCREEN"

# The frame is centred once the window manager has framed the window.
frame_is_centred() {
    read -r left right top bottom <<<"$(frame_extents "$login")"
    read -r x y <<<"$(client_position "$login")"
    frame_left=$((x - left)); frame_top=$((y - top))
    want_left=$(((screen_width - (width + left + right)) / 2))
    want_top=$(((screen_height - (height + top + bottom)) / 2))
    [ $((frame_left - want_left)) -ge -1 ] && [ $((frame_left - want_left)) -le 1 ] &&
        [ $((frame_top - want_top)) -ge -1 ] && [ $((frame_top - want_top)) -le 1 ]
}
# The last try's figures are the ones reported.
wait_until 15 frame_is_centred ||
    fail "expected the frame's top-left corner at $want_left,$want_top (centred on $E2E_SCREEN), saw $frame_left,$frame_top"

xprop -id "$login" _NET_WM_ALLOWED_ACTIONS | grep -q MAXIMIZE &&
    fail "expected the window manager to offer no maximise action, saw: $(xprop -id "$login" _NET_WM_ALLOWED_ACTIONS)"
# openbox maximises on a double click in the title bar; the window must stay as it is.
xdotool mousemove --sync $((x + width / 2)) $((y - top / 2)) click --repeat 2 --delay 80 1
sleep 0.5
expect_equal "the client size after a double click on the title bar" "$(client_size_of LoginWindow)" \
    "$(client_size "$login")"
shot login-window
