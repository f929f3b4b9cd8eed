// The sounds the audio tests work on. tests/core/audio_maker makes them with
// FFmpeg's libraries and LAME before the tests run, into the folder the
// tests get as TUNEBELT_AUDIO_TESTDATA: for the Windows tests under Wine it
// is built for the build machine and makes the very same files, so both
// systems measure and level one set.
#pragma once

namespace tunebelt::test::audioset {

enum class Signal {
  Tone,   // 1 kHz sine; its loudness in LUFS is its peak level in dBFS
  Noise,  // white noise of this RMS level in dBFS
  Silence,
  Burst,  // a 1 kHz tone at this level, with 5 ms at -1 dBFS after 2 s
};

struct Sound {
  const char* file;
  const char* encoder;    // FFmpeg's encoder, or "lame"
  const char* container;  // FFmpeg's muxer ("" for LAME, which writes frames)
  int rate;
  int channels;
  Signal signal;
  double levelDb;
  int bitrateKbps;  // 0: the encoder's own choice (lossless)
  bool crc;         // LAME: frames protected by a CRC
};

inline constexpr double kSeconds = 5.0;
inline constexpr double kToneHz = 1000.0;

// The first seven are the playlist of one track per format.
inline constexpr Sound kSounds[] = {
    {"tone.flac", "flac", "flac", 44100, 2, Signal::Tone, -28, 0, false},
    {"noise.ogg", "libvorbis", "ogg", 44100, 2, Signal::Noise, -24, 128, false},
    {"tone.opus", "libopus", "opus", 48000, 2, Signal::Tone, -12, 128, false},
    {"tone-aac.m4a", "aac", "mp4", 44100, 2, Signal::Tone, -24, 160, false},
    {"tone-alac.m4a", "alac", "mp4", 48000, 1, Signal::Tone, -20, 0, false},
    {"tone.wav", "pcm_s16le", "wav", 44100, 2, Signal::Tone, -10, 0, false},
    {"tone.mp3", "lame", "", 44100, 2, Signal::Tone, -30, 128, false},
    // MP3s of every layout of the side information, two with CRCs; levels
    // whose gain to the target lies near a whole number of steps.
    {"tone-mpeg2.mp3", "lame", "", 22050, 1, Signal::Tone, -27, 64, false},
    {"tone-mpeg25-crc.mp3", "lame", "", 11025, 2, Signal::Tone, -9, 32, true},
    {"tone-crc.mp3", "lame", "", 44100, 2, Signal::Tone, -6, 192, true},
    // Quiet, with a peak near full scale: raising it is limited.
    {"burst.mp3", "lame", "", 44100, 2, Signal::Burst, -30, 192, false},
    {"silence.wav", "pcm_s16le", "wav", 44100, 2, Signal::Silence, 0, 0, false},
    // MPEG audio the game does not play, and AAC without a container.
    {"tone.mp2", "mp2", "mp2", 44100, 2, Signal::Tone, -20, 192, false},
    {"tone.aac", "aac", "adts", 44100, 2, Signal::Tone, -20, 128, false},
};

inline constexpr int kPlaylistSounds = 7;

}  // namespace tunebelt::test::audioset
