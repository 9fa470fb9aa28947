#include "audio/audio_output.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace velmora {

StreamHandle CurrentStream = 0;

namespace {

struct Stream {
    Mix_Music* music = nullptr;
    float volume = 1.0f;
};

// Everything the output keeps between calls. Mix_Music has one playing piece at a time, which
// is exactly the one-current-stream model of the callers.
struct OutputState {
    bool open = false;
    StreamHandle nextHandle = 1;
    StreamHandle playing = 0;
    std::map<StreamHandle, Stream> streams;
};

OutputState& State() {
    static OutputState state;
    return state;
}

Stream* Find(StreamHandle stream) {
    auto& streams = State().streams;
    const auto it = streams.find(stream);
    return it == streams.end() ? nullptr : &it->second;
}

int MixerVolume(float volume) {
    const float clamped = std::clamp(volume, 0.0f, 1.0f);
    return static_cast<int>(std::lround(clamped * MIX_MAX_VOLUME));
}

bool OpenDevice(int device) {
    // SDL would otherwise take SIGINT and SIGTERM for its own event queue, which nobody reads
    // here: the program could no longer be ended by the desktop.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (device == -2) {
        // The silent output: SDL's dummy driver consumes samples in real time.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    } else if (device != -1) {
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

}  // namespace

bool InitOutput(int device, int rate, std::uint32_t /*flags*/, void* /*window*/,
                const void* /*classId*/) {
    OutputState& state = State();
    if (state.open) {
        return true;
    }
    if (rate <= 0) {
        return false;
    }
    state.open = OpenDevice(device);
    return state.open;
}

void StartOutput() {
    if (State().open) {
        Mix_ResumeMusic();
    }
}

StreamHandle OpenFileStream(bool fromMemory, const std::string& path, std::uint64_t /*offset*/,
                            std::uint64_t /*length*/, std::uint32_t /*flags*/) {
    OutputState& state = State();
    if (!state.open || fromMemory || path.empty()) {
        return 0;
    }
    Mix_Music* music = Mix_LoadMUS(path.c_str());
    if (!music) {
        return 0;
    }
    const StreamHandle handle = state.nextHandle++;
    state.streams[handle] = Stream{music, 1.0f};
    return handle;
}

double SoundLength(const std::string& path) {
    if (!State().open || path.empty()) {
        return -1;
    }
    Mix_Music* music = Mix_LoadMUS(path.c_str());
    if (!music) {
        return -1;
    }
    const double seconds = Mix_MusicDuration(music);
    Mix_FreeMusic(music);
    return seconds;
}

void Play(StreamHandle stream, bool restart) {
    OutputState& state = State();
    Stream* s = Find(stream);
    if (!s) {
        return;
    }
    if (state.playing == stream && Mix_PlayingMusic() && !restart) {
        return;
    }
    Mix_VolumeMusic(MixerVolume(s->volume));
    if (Mix_PlayMusic(s->music, 0) == 0) {
        state.playing = stream;
    }
}

void SetVolume(StreamHandle stream, int attribute, float volume) {
    Stream* s = Find(stream);
    if (!s || attribute != kVolumeAttribute || std::isnan(volume)) {
        return;
    }
    s->volume = std::clamp(volume, 0.0f, 1.0f);
    if (State().playing == stream) {
        Mix_VolumeMusic(MixerVolume(s->volume));
    }
}

void Stop(StreamHandle stream) {
    OutputState& state = State();
    if (stream != 0 && state.playing == stream) {
        Mix_HaltMusic();
        state.playing = 0;
    }
}

void FreeStream(StreamHandle stream) {
    OutputState& state = State();
    Stream* s = Find(stream);
    if (!s) {
        return;
    }
    // Mix_FreeMusic halts the music itself when this stream is the one playing.
    Mix_FreeMusic(s->music);
    if (state.playing == stream) {
        state.playing = 0;
    }
    state.streams.erase(stream);
}

bool StreamPlaying(StreamHandle stream) {
    const OutputState& state = State();
    return stream != 0 && state.playing == stream && Find(stream) && Mix_PlayingMusic();
}

float StreamVolume(StreamHandle stream) {
    const Stream* s = Find(stream);
    return s ? s->volume : -1.0f;
}

void PreviewSound(const std::string& path, int volumePercent) {
    Stop(CurrentStream);
    FreeStream(CurrentStream);
    CurrentStream = OpenFileStream(false, path, 0, 0, kStreamFlags);
    Play(CurrentStream, false);
    SetVolume(CurrentStream, kVolumeAttribute, static_cast<float>(volumePercent) * 0.01f);
}

void StopPreview() {
    Stop(CurrentStream);
    FreeStream(CurrentStream);
}

}  // namespace velmora
