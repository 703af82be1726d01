#!/usr/bin/env bash
# Writes the seed corpora under fuzz/corpus/ from the worked examples of the protocol and the
# numeric fields. The seeds are committed; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")/corpus"

# hex NAME BYTE...: a receive-path script, bytes in hex (the op codes are listed at the top of
# fuzz_receive_path.cpp).
hex() {
    local name=$1 s=""
    shift
    for b in "$@"; do s+="\\x$b"; done
    printf "$s" >"receive_path/$name"
}
# text NAME TEXT: a numeric text, written as is.
text() { printf '%s' "$2" >"numeric_text/$1"; }

rm -rf receive_path numeric_text
mkdir -p receive_path numeric_text

open=(0B 01)
valid=(22 00 00 00 00 80 01 A3)     # channels 16 and 1 energized
bad_sum=(22 00 00 00 00 80 01 A4)
bad_header=(23 00 00 00 00 80 01 A4)  # checksum right for these bytes

# Open, poll, the board answers; click two channels, then let the link go stale.
hex valid_frame_then_stale "${open[@]}" 06 00 08 "${valid[@]}" 08 01 08 02 06 07 07
hex wrong_checksum "${open[@]}" 06 00 08 "${bad_sum[@]}" 08 01 06
hex wrong_header "${open[@]}" 06 00 08 "${bad_header[@]}" 08 01 06
# The same two through the frame-damaging op: header 23 with its checksum made right, and a
# checksum off by one.
hex damaged_frames "${open[@]}" 06 05 08 01 00 00 00 00 80 01 05 07 01 00 00 00 00 80 01 08 01 06
# Sixteen bytes waiting: the first 8 are judged, the rest on the next event.
hex sixteen_bytes "${open[@]}" 06 00 10 "${valid[@]}" 22 00 00 00 00 FF 00 21 02
# A short read, then an event of another kind.
hex short_read "${open[@]}" 06 01 03 22 00 00 00 02 03 05 00 08 "${valid[@]}"
# Start-up: the timer runs with the port closed; a queued command goes nowhere.
hex startup_closed_ticks 0A 06 09 06 "${open[@]}" 06 04 00 00 00 00 00 FF 06
# A valid frame arriving while stale turns every channel straight to green or red.
hex stale_then_valid "${open[@]}" 07 07 04 00 00 00 00 FF 00 07 04 04 01 00 00 00 00 01 08 09
# Two clicks before one tick: only the second goes out; then release-all.
hex clicks_replace "${open[@]}" 06 04 00 00 00 00 00 FF 08 03 08 85 06 0A 06 09 08 01 06
# The board address: 255, 300 (sends nothing), arrows, texts that round.
hex address_edits 0D 02 "${open[@]}" 06 0D 0D 06 0E 00 06 0D 05 06 0D 06 06 0D 81 33 06 0E 01
# The port number: refused text, then a spin to 3, then a failing and a good open.
hex port_edits 0F 0B 0B 01 0E 03 0E 03 0B 00 0B 01 06 0F 0C
# The device goes away while open, then the port is opened again.
hex port_lost "${open[@]}" 06 04 00 00 00 00 80 01 0C 06 08 01 "${open[@]}" 06 04 00 00 00 00 80 01
# Close with a command waiting; it goes out after reopening.
hex close_keeps_command "${open[@]}" 04 00 00 00 00 00 0F 08 02 "${open[@]}" "${open[@]}" 06 06
# The port refuses writes for a while.
hex write_failure "${open[@]}" 10 06 04 00 00 00 00 00 01 10 06 05 07 20 00 00 00 00 00 01
# Channel numbers outside 1..16, on the box and on the caption.
hex odd_channels "${open[@]}" 04 00 00 00 00 FF FF 08 00 08 11 08 12 08 13 08 80 08 93 06

text half_to_even_down "2.5"
text half_to_even_up "3.5"
text negative_half "-2.5"
text int16_max "32767"
text int16_max_half "32767.5"
text int16_min_half "-32768.5"
text int16_min "-32768"
text leading_zeros "007"
text leading_blank " 9"
text plus_sign "+20"
text zero_fraction "1.0"
text point_last "5."
text point_first ".5"
text point_alone "."
text just_over_half "2.5000000000000001"
text int32_max "2147483647"
text int32_max_half "2147483647.5"
text int32_min_half "-2147483648.5"
text exponent "1e3"
text hex_prefix "0x10"
text separator "1,000"
text tabs "$(printf '\t12\t')"
text address_max "255"
text address_over "300"
text minus_one "-1"
text letters "abc"
text empty ""
text inner_blank "12 3"
text sign_blank "- 1"
text arabic_digit "٣"
text long_digits "000000000000000000000000000000000000000000000000000000000000000042.4999999999999999999"
printf '4\n' >numeric_text/newline
printf '4\0' >numeric_text/nul
