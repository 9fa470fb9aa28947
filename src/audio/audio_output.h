#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// A stream handle of the audio output. Handles are our own numbers that are never reused, so
// a zero, unknown or already released handle can be passed to every call without harm.
using StreamHandle = std::uint32_t;

// The attribute of SetVolume that sets the volume (0.0 to 1.0).
inline constexpr int kVolumeAttribute = 2;
// OpenFileStream's flags as the callers pass them; the back end needs none of them.
inline constexpr std::uint32_t kStreamFlags = 0x80020000u;

// The one stream that the sound previews share: starting one preview ends the other. It is
// never cleared; after FreeStream it keeps the released handle until the next preview.
extern StreamHandle CurrentStream;

// Opens the output. Device -1 is the system's default device; -2 is a silent output that
// plays in real time without a device, so previews behave alike on a machine without sound.
// True when the output is open; every other call is harmless when it is not.
bool InitOutput(int device, int rate, std::uint32_t flags, void* window, const void* classId);
void StartOutput();

// Opens an MP3 or OGG file; 0 when the output is closed or the file cannot be decoded.
StreamHandle OpenFileStream(bool fromMemory, const std::string& path, std::uint64_t offset,
                            std::uint64_t length, std::uint32_t flags);
void Play(StreamHandle stream, bool restart);
void SetVolume(StreamHandle stream, int attribute, float volume);
void Stop(StreamHandle stream);
void FreeStream(StreamHandle stream);

// What the output knows about a stream; for the windows' indicators and for tests.
bool StreamPlaying(StreamHandle stream);
// The stream's volume (1.0 when it was never set), or -1 for a handle that names no stream.
float StreamVolume(StreamHandle stream);

// The length of a sound file in seconds, or a negative number when the output is closed or
// the file cannot be decoded or does not tell its length.
double SoundLength(const std::string& path);

// The preview that the sound page and the music dialog run: ends the current stream, opens
// the file as the new current stream and plays it at percent × 0.01.
void PreviewSound(const std::string& path, int volumePercent);
// The stop button: Stop and FreeStream on the current stream.
void StopPreview();

}  // namespace velmora
