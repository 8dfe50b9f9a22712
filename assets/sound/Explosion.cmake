# The explosion sound, synthesised from integers only, so every build machine writes the same bytes:
#   cmake -DOUTPUT=<file.cpp> -P Explosion.cmake
# One second of 16-bit stereo PCM at 44,100 Hz as a complete RIFF/WAVE image (176,456 bytes),
# defined as detonix::embedded::ExplosionWav[] and ExplosionWavSize.
#
# The bang is three layers, each with its own envelope:
# - a crack: white noise through a low-pass that closes as it dies, different on each side;
# - a rumble: noise through two low-passes near 120 Hz, swelling for 30 ms and dying slowly;
# - a thump: a sine falling from 70 Hz towards 30 Hz, dying fast.
# Envelopes are fixed-point multipliers (Q16 per sample); the last 100 ms fade to silence.
cmake_minimum_required(VERSION 3.20)
if(NOT OUTPUT)
  message(FATAL_ERROR "Explosion.cmake needs OUTPUT")
endif()

set(frames 44100)
set(fade_start 39690)

# Little-endian bytes of a 16- or 32-bit value, as C initialiser text.
function(le_bytes out value count)
  set(text "")
  foreach(i RANGE 1 ${count})
    math(EXPR b "(${value} >> ((${i} - 1) * 8)) & 255")
    string(APPEND text "${b},")
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
function(tag_bytes out tag)
  set(text "")
  foreach(i RANGE 0 3)
    string(SUBSTRING "${tag}" ${i} 1 ch)
    string(HEX "${ch}" hx)
    math(EXPR b "0x${hx}")
    string(APPEND text "${b},")
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

math(EXPR data_bytes "${frames} * 4")
math(EXPR riff_size "${data_bytes} + 48")
set(header "")
foreach(part "RIFF" "riff_size:4" "WAVE" "fmt " "16:4" "1:2" "2:2" "44100:4" "176400:4" "4:2" "16:2"
             "fact" "4:4" "${frames}:4" "data" "${data_bytes}:4")
  if(part MATCHES "^([a-z_]+|[0-9]+):([24])$")
    set(v "${CMAKE_MATCH_1}")
    set(width "${CMAKE_MATCH_2}")
    if(v STREQUAL "riff_size")
      set(v ${riff_size})
    endif()
    le_bytes(b ${v} ${width})
  else()
    tag_bytes(b "${part}")
  endif()
  string(APPEND header "${b}")
endforeach()

# Noise generators (32-bit linear congruential) for the left crack and the right crack + rumble.
set(seed_l 20011)
set(seed_r 777)
set(crack_l 0)
set(crack_r 0)
set(rumble_a 0)
set(rumble_b 0)
# math() has no comparisons: ((n - c) >> 40) & 1 is 1 exactly when n < c.
# Envelopes in Q24; the thump's oscillator pair in Q15.
set(env_crack 16777216)
set(env_rumble 16777216)
set(env_thump 16777216)
set(osc_sin 0)
set(osc_cos 32000)
set(samples "")
set(line "")

math(EXPR last "${frames} - 1")
foreach(n RANGE ${last})
  math(EXPR seed_l "(${seed_l} * 1664525 + 1013904223) & 4294967295")
  math(EXPR seed_r "(${seed_r} * 22695477 + 1) & 4294967295")
  # The crack's low-pass closes from about 0.55 to 0.04 over the first 0.4 s.
  math(EXPR crack_a "36000 - (((${n} - 17640) >> 40) & 1) * ${n} * 2 - (1 - (((${n} - 17640) >> 40) & 1)) * 35280 + 2600")
  math(EXPR crack_l "${crack_l} + (((${seed_l} >> 16) - 32768 - ${crack_l}) * ${crack_a} >> 16)")
  math(EXPR crack_r "${crack_r} + (((${seed_r} >> 16) - 32768 - ${crack_r}) * ${crack_a} >> 16)")
  math(EXPR rumble_a "${rumble_a} + (((${seed_r} >> 16) - 32768 - ${rumble_a}) * 1100 >> 16)")
  math(EXPR rumble_b "${rumble_b} + ((${rumble_a} - ${rumble_b}) * 1100 >> 16)")
  # The thump's pitch falls as k = 2 pi f / 44100 (Q16) shrinks from 650 towards 280.
  math(EXPR k "280 + 370 * 30000 / (30000 + ${n} * 3)")
  math(EXPR osc_sin "${osc_sin} + (${k} * ${osc_cos} >> 16)")
  math(EXPR osc_cos "${osc_cos} - (${k} * ${osc_sin} >> 16)")
  # Decay constants: crack 0.10 s, rumble 0.30 s, thump 0.12 s; the rumble swells over 30 ms first.
  math(EXPR env_crack "${env_crack} * 65521 >> 16")
  math(EXPR env_thump "${env_thump} * 65524 >> 16")
  math(EXPR env_rumble "(((${n} - 1323) >> 40) & 1) * (${n} * 12680) + (1 - (((${n} - 1323) >> 40) & 1)) * (${env_rumble} * 65531 >> 16)")
  # Mix: the crack rides a short 2 ms attack; the rumble is amplified, as two low-passes leave little.
  math(EXPR attack "(((${n} - 88) >> 40) & 1) * ${n} * 745 + (1 - (((${n} - 88) >> 40) & 1)) * 65536")
  math(EXPR fade "(((${n} - ${fade_start}) >> 40) & 1) * 65536 + (1 - (((${n} - ${fade_start}) >> 40) & 1)) * (${frames} - ${n}) * 65536 / (${frames} - ${fade_start})")
  math(EXPR common "((${rumble_b} * 9 * (${env_rumble} >> 8) >> 16) * 11 / 20 + (${osc_sin} * (${env_thump} >> 8) >> 16) * 3 / 10) * ${fade} >> 16")
  math(EXPR left "((${crack_l} * (${env_crack} >> 8) >> 16) * 9 / 20 * ${attack} >> 16) * ${fade} >> 16")
  math(EXPR right "((${crack_r} * (${env_crack} >> 8) >> 16) * 9 / 20 * ${attack} >> 16) * ${fade} >> 16")
  math(EXPR left "${left} + ${common}")
  math(EXPR right "${right} + ${common}")
  foreach(side left right)
    if(${side} GREATER 32767)
      set(${side} 32767)
    elseif(${side} LESS -32768)
      set(${side} -32768)
    endif()
  endforeach()
  math(EXPR bytes_l "${left} & 255")
  math(EXPR bytes_h "(${left} >> 8) & 255")
  math(EXPR bytes_r "${right} & 255")
  math(EXPR bytes_q "(${right} >> 8) & 255")
  string(APPEND line "${bytes_l},${bytes_h},${bytes_r},${bytes_q},")
  math(EXPR row "${n} % 8")
  if(row EQUAL 7)
    string(APPEND samples "${line}\n")
    set(line "")
  endif()
endforeach()
string(APPEND samples "${line}")

file(WRITE "${OUTPUT}.tmp"
"// Generated by assets/sound/Explosion.cmake; do not edit.
#include <cstddef>

namespace detonix::embedded {
extern const unsigned char ExplosionWav[];
extern const std::size_t ExplosionWavSize;
const unsigned char ExplosionWav[] = {
${header}
${samples}};
const std::size_t ExplosionWavSize = sizeof(ExplosionWav);
}  // namespace detonix::embedded
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
