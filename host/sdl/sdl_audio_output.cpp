#include "host/sdl/sdl_audio_output.h"

#include <SDL.h>

#include "host/audio/mixer.h"
#include "host/core/log.h"

namespace host {
namespace {

void SDLCALL fill(void* userdata, Uint8* stream, int len) {
    static_cast<Mixer*>(userdata)->mix(reinterpret_cast<int16_t*>(stream), uint32_t(len) / 4);
}

}  // namespace

std::unique_ptr<SdlAudioOutput> SdlAudioOutput::open(Mixer& mixer, uint32_t sampleRate) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        mrc_log("audio: SDL audio unavailable: %s", SDL_GetError());
        return nullptr;
    }
    SDL_AudioSpec want{};
    want.freq = int(sampleRate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = fill;
    want.userdata = &mixer;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to the card's format, the mixer keeps its own.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        mrc_log("audio: cannot open an SDL audio device: %s", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    SDL_PauseAudioDevice(device, 0);
    return std::unique_ptr<SdlAudioOutput>(new SdlAudioOutput(device));
}

SdlAudioOutput::~SdlAudioOutput() {
    SDL_CloseAudioDevice(m_device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace host
