#!/usr/bin/env bash
# The screen comparison the end-to-end tests rely on: a grab of a still
# screen matches itself, one changed pixel is counted once (and only inside
# a region that holds it), a changed pixel within the tolerance is not, and
# a file cut short or an unknown option is refused. A picture stretched over
# the screen matches a screen painted alike, the right way up, by pixels and
# by cells, and one stray pixel does not make a cell differ. Two PNG
# captures of 2 x 1 pixels differing in one are compared pixel by pixel, and
# a PNG cut short is refused.
set -u
diff_tool=$1
source "$(dirname "$0")/xvfb_session.sh"
start_xvfb
work=$(mktemp -d)
trap 'kill $XVFB_PID 2>/dev/null; wait $XVFB_PID 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $1"; exit 1; }

xwd -root -silent >"$work/a.xwd" || fail "xwd"
cp "$work/a.xwd" "$work/b.xwd"
[ "$("$diff_tool" "$work/a.xwd" "$work/b.xwd")" = 0 ] || fail "a grab differs from itself"

# The last pixel of the screen is the last four bytes of the file (1024x768,
# 32 bits a pixel). Set its low byte, one colour channel, to 200 and then 3.
size=$(stat -c %s "$work/a.xwd")
poke() { printf "\\$(printf %03o "$1")" | dd of="$work/b.xwd" bs=1 seek=$((size - 4)) conv=notrunc status=none; }
poke 200
[ "$("$diff_tool" "$work/a.xwd" "$work/b.xwd")" = 1 ] || fail "one changed pixel not counted once"
[ "$("$diff_tool" "$work/a.xwd" "$work/b.xwd" --region 10x10+1014+758)" = 1 ] || fail "not counted in its region"
[ "$("$diff_tool" "$work/a.xwd" "$work/b.xwd" --region 10x10+0+0)" = 0 ] || fail "counted outside its region"
poke 3
[ "$("$diff_tool" "$work/a.xwd" "$work/b.xwd" --tolerance 5)" = 0 ] || fail "a change within the tolerance counted"
[ "$("$diff_tool" "$work/a.xwd" "$work/b.xwd" --tolerance 2)" = 1 ] || fail "a change past the tolerance not counted"

head -c $((size - 100)) "$work/a.xwd" >"$work/short.xwd"
"$diff_tool" "$work/a.xwd" "$work/short.xwd" >/dev/null 2>&1; [ $? = 2 ] || fail "a short file was not refused"
"$diff_tool" "$work/a.xwd" "$work/b.xwd" --region 10x10+1020+0 >/dev/null 2>&1; [ $? = 2 ] || fail "a region off the screen was not refused"
"$diff_tool" "$work/a.xwd" "$work/b.xwd" --bogus >/dev/null 2>&1; [ $? = 2 ] || fail "an unknown option was not refused"
"$diff_tool" "$work/a.xwd" "$work/b.xwd" --cells 0x4 >/dev/null 2>&1; [ $? = 2 ] || fail "no cells were not refused"

# The screen painted white above black, half and half, and 1 x 2 pictures
# (rows stored bottom up, each padded to four bytes) of the same and of it
# upside down.
pixels=$((1024 * 768 * 4))
paint() { dd of="$work/b.xwd" bs=64K seek=$(($2 + size - pixels)) oflag=seek_bytes conv=notrunc status=none; }
head -c $((pixels / 2)) /dev/zero | tr '\0' '\377' | paint white 0
head -c $((pixels / 2)) /dev/zero | paint black $((pixels / 2))
header='BM\x3e\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x02\0\0\0\x01\0\x18\0'
header+='\0\0\0\0\x08\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'
printf "$header"'\0\0\0\0\xff\xff\xff\0' >"$work/white_above.bmp"
printf "$header"'\xff\xff\xff\0\0\0\0\0' >"$work/white_below.bmp"
[ "$("$diff_tool" "$work/b.xwd" "$work/white_above.bmp")" = 0 ] || fail "the stretched picture differs in pixels"
[ "$("$diff_tool" "$work/b.xwd" "$work/white_above.bmp" --cells 4x4)" = 0 ] || fail "the stretched picture differs in cells"
[ "$("$diff_tool" "$work/b.xwd" "$work/white_below.bmp" --cells 4x4)" = 16 ] || fail "the picture upside down matches"
poke 200
[ "$("$diff_tool" "$work/b.xwd" "$work/white_above.bmp")" = 1 ] || fail "a stray pixel not counted once"
[ "$("$diff_tool" "$work/b.xwd" "$work/white_above.bmp" --cells 4x4)" = 0 ] || fail "a stray pixel made its cell differ"
png_head='\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x01'
png_head+='\x08\x02\x00\x00\x00\x7b\x40\xe8\xdd'
png_tail='\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82'
# Black then white, and white twice.
printf "$png_head"'\x00\x00\x00\x0f\x49\x44\x41\x54\x78\xda\x63\x60\x60\x60\xf8\xff\xff\x3f\x00\x06\x01\x02\xfe\xbb\xc9\x85\xe9'"$png_tail" >"$work/black_white.png"
printf "$png_head"'\x00\x00\x00\x0b\x49\x44\x41\x54\x78\xda\x63\xf8\x0f\x06\x00\x14\xf2\x05\xfb\x37\xa9\x0b\xb9'"$png_tail" >"$work/white_white.png"
[ "$("$diff_tool" "$work/black_white.png" "$work/black_white.png")" = 0 ] || fail "a PNG differs from itself"
[ "$("$diff_tool" "$work/black_white.png" "$work/white_white.png")" = 1 ] || fail "one changed PNG pixel not counted once"
head -c 40 "$work/white_white.png" >"$work/short.png"
"$diff_tool" "$work/black_white.png" "$work/short.png" >/dev/null 2>&1; [ $? = 2 ] || fail "a short PNG was not refused"
echo PASS
