# SPDX-License-Identifier: GPL-3.0-or-later
# The harness sources, shared by the libFuzzer targets (fuzz/) and the replay test
# (tests/fuzz_replay/), which builds them with the ordinary compiler.
set(BELLTOWER_FUZZ_HARNESS_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/harnesses.cpp
    ${CMAKE_CURRENT_LIST_DIR}/firmware_reader_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/list_operations_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/midi_reader_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ott_reader_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/plain_renderer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/record_exchange_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rtx_encoder_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_ringtones_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tone_decoder_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wav_writer_fuzz.cpp)
set(BELLTOWER_FUZZ_HARNESS_NAMES rtx_encoder wav_writer firmware_reader record_exchange list_operations
    ott_reader tone_decoder midi_reader text_ringtones)
# The wave harness compares samples with the plain renderer: same strict arithmetic as the
# synthesiser.
set(BELLTOWER_FUZZ_HARNESS_OPTIONS -ffp-contract=off -fno-fast-math)
