#!/bin/sh
# Synthesises the screen's three sound effects into OUTPUT_DIR as mono 44.1 kHz MP3 files:
#   flip_board_2.mp3    a soft mechanical slide (lens cover, tray slides), about 0.4 s
#   tray_up.mp3         an airy lift (the tray flipping up), about 0.5 s
#   shrink_cubes_2.mp3  a crisp click (a lens chosen), about 0.1 s
# Everything comes from sox's generators, so the build needs no recordings and no network. sox
# runs in repeatable mode (-R) without dither (-D), so every build makes the same samples.
#
# Usage: make-sounds.sh OUTPUT_DIR   (SOX and LAME may name the programs to use)
set -eu

out=${1:?usage: make-sounds.sh OUTPUT_DIR}
sox=${SOX:-sox}
lame=${LAME:-lame}

mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/torvane-sounds.XXXXXX")
trap 'rm -rf "$work"' EXIT

synth() { # synth FILE EFFECTS... : renders a mono 44.1 kHz 16-bit take from sox's generators
    file=$1
    shift
    "$sox" -R -D -V1 -n -r 44100 -c 1 -b 16 "$work/$file" "$@"
}

mix() { # mix OUTPUT INPUTS... : mixes the takes and levels the result a little below full scale
    output=$1
    shift
    inputs=""
    for input in "$@"; do inputs="$inputs $work/$input"; done
    # shellcheck disable=SC2086 # the take names are ours and hold no spaces
    "$sox" -R -D -V1 -m $inputs "$work/$output" norm -4
}

encode() { # encode TAKE NAME : mono MP3 at 128 kbit/s, no replay-gain scan, no tags
    "$lame" --quiet --noreplaygain -m m -b 128 --resample 44.1 "$work/$1" "$out/$2.mp3"
}

# Slide: brown noise through a mid band, with a fast tremolo for the rattle of a cover on its
# rails, swelling in and dying away; a low, soft knock where the cover comes to rest.
synth slide-noise.wav synth 0.40 brownnoise band 650 500 tremolo 32 35 fade q 0.05 0.40 0.20
synth slide-knock.wav synth 0.10 sine 140 fade q 0.002 0.10 0.09 pad 0.29 0.01
mix slide.wav slide-noise.wav slide-knock.wav
encode slide.wav flip_board_2

# Lift: pink noise thinned to its airy top, rising and falling like a breath, over a faint
# rising tone that gives it its upward direction.
synth lift-air.wav synth 0.50 pinknoise highpass 1500 lowpass 7000 fade h 0.18 0.50 0.28
synth lift-tone.wav synth 0.50 sine 420-840 vol 0.25 fade h 0.12 0.50 0.30
mix lift.wav lift-air.wav lift-tone.wav
encode lift.wav tray_up

# Click: a few milliseconds of high noise as the attack, over two short bright tones that die
# within tens of milliseconds, like a small plastic key; the rest of the 0.1 s is its decay.
synth click-tick.wav synth 0.004 whitenoise highpass 2500 fade q 0 0.004 0.003 pad 0 0.096
synth click-low.wav synth 0.045 sine 2093 fade q 0.0005 0.045 0.044 pad 0 0.055
synth click-high.wav synth 0.020 sine 3136 vol 0.6 fade q 0.0005 0.020 0.0195 pad 0 0.080
mix click-raw.wav click-tick.wav click-low.wav click-high.wav
"$sox" -R -D -V1 "$work/click-raw.wav" "$work/click.wav" lowpass 9000
encode click.wav shrink_cubes_2
