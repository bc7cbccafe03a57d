#include "platform/media/sound_player_wave.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "host/core/log.h"
#include "platform/media/media_support.h"
#include "runtime/core/application.h"
#include "runtime/lang/string.h"

namespace mrc {

namespace {

uint16_t u16At(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t u32At(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24; }

bool isControlName(String* name) {
    return name->equalsIgnoreCaseCString("VolumeControl") || name->equalsIgnoreCaseCString("RateControl") ||
           name->equalsIgnoreCaseCString("TempoControl");
}

}  // namespace

SoundPlayerWAVE* SoundPlayerWAVE::newInstance(const uint8_t* data, uint32_t length) {
    SoundPlayerWAVE* player = newObject<SoundPlayerWAVE>();
    if (player) player->construct(data, length);
    return player;
}

void SoundPlayerWAVE::construct(const uint8_t* data, uint32_t length) {
    m_pSoundFileData = static_cast<uint8_t*>(std::malloc(std::max<uint32_t>(length, 1)));
    if (m_pSoundFileData) {
        if (length) std::memcpy(m_pSoundFileData, data, length);
    } else {
        mrc_log("SoundPlayerWAVE(): failed to allocate memory for %d bytes\n", static_cast<int>(length));
    }
    m_dataLength = m_pSoundFileData ? length : 0;
    m_state = UNREALIZED;
    m_level = 100;
}

SoundPlayerWAVE::~SoundPlayerWAVE() { close(); }

void* SoundPlayerWAVE::getInterface(int32_t interfaceId) {
    switch (interfaceId) {
    case kClass_javax_microedition_media_Controllable:
        return static_cast<javax_microedition_media_Controllable*>(static_cast<WaveControllableWord*>(this));
    case kClass_javax_microedition_media_Player:
        return static_cast<javax_microedition_media_Player*>(this);
    case kClass_javax_microedition_media_control_RateControl:
        return static_cast<javax_microedition_media_control_RateControl*>(this);
    case kClass_javax_microedition_media_control_TempoControl:
        return static_cast<javax_microedition_media_control_TempoControl*>(this);
    case kClass_javax_microedition_media_control_VolumeControl:
        return static_cast<javax_microedition_media_control_VolumeControl*>(this);
    default:
        return nullptr;
    }
}

// ---- reading the sound ----------------------------------------------------------------------

int32_t SoundPlayerWAVE::readWaveHeader(uint8_t* buffer) {
    // Shorter data has no header to take the format from.
    if (!m_pSoundFileData || m_dataLength < kWaveHeaderSize) return 0;
    std::memcpy(buffer, m_pSoundFileData, kWaveHeaderSize);
    return 1;
}

int32_t SoundPlayerWAVE::parseWaveHeader() {
    uint8_t header[kWaveHeaderSize];
    if (!readWaveHeader(header) || std::memcmp(header, "RIFF", 4) != 0) return 0;
    // The format and the PCM sit at the canonical header's fixed places; no chunk is walked.
    m_waveFormat.formatTag = u16At(header + 20);
    m_waveFormat.channels = u16At(header + 22);
    m_waveFormat.samplesPerSec = u32At(header + 24);
    m_waveFormat.avgBytesPerSec = u32At(header + 28);
    m_waveFormat.blockAlign = u16At(header + 32);
    m_waveFormat.bitsPerSample = u16At(header + 34);
    m_waveFormat.extraSize = 0;
    // A length past the data would only be silence, or a claim on memory the sound never had.
    m_pcmDataLength = std::min(u32At(header + 40), m_dataLength - kWaveHeaderSize);
    uint32_t bytesPerMs = (m_waveFormat.samplesPerSec / 1000) * m_waveFormat.bitsPerSample / 8;
    if (bytesPerMs != 0) m_duration = int64_t{m_dataLength / bytesPerMs} * 1000;
    return 1;
}

int32_t SoundPlayerWAVE::readSoundFilePcmData(uint8_t** pcm) {
    if (!m_pSoundFileData) {
        mrc_log("SoundPlayerWAVE::readSoundFilePcmData(): m_pSoundFileData == NULL\n");
        return -1;
    }
    if (m_pcmDataLength == 0) {
        mrc_log("SoundPlayerWAVE::readSoundFilePcmData(): m_pcmDataLength <= 0\n");
        return -1;
    }
    uint8_t* buffer = static_cast<uint8_t*>(std::calloc(m_pcmDataLength, 1));
    if (!buffer) {
        mrc_log("SoundPlayerWAVE::readSoundFilePcmData(): *ppData == NULL\n  tried to calloc %d bytes",
                static_cast<int>(m_pcmDataLength));
        return -1;
    }
    std::memcpy(buffer, m_pSoundFileData + kWaveHeaderSize,
                std::min(m_pcmDataLength, m_dataLength - kWaveHeaderSize));
    *pcm = buffer;
    return static_cast<int32_t>(m_pcmDataLength);
}

// ---- Player ---------------------------------------------------------------------------------

Object* SoundPlayerWAVE::getControl(String* controlType) {
    if (isNull(controlType)) {
        ApplicationImpl::getApplication()->reportError("NullPointer");
        return nullptr;
    }
    return isControlName(controlType) ? this : nullptr;
}

ObjectArray* SoundPlayerWAVE::getControls() { return nullptr; }

void SoundPlayerWAVE::realize() {
    if (m_state != UNREALIZED) return;
    if (!parseWaveHeader()) return;
    // The loop count goes into the header now; later changes do not reach it.
    m_waveHeader = host::WaveHeader{};
    m_waveHeader.flags = host::kWaveHeaderBeginLoop | host::kWaveHeaderEndLoop;
    m_waveHeader.loops = static_cast<uint32_t>(m_loopCount);
    m_loopCount = 1;
    uint8_t* pcm = nullptr;
    if (readSoundFilePcmData(&pcm) == -1) {
        mrc_log("SoundPlayerWAVE::realize(): readSoundFilePcmData returned -1.\n");
        return;
    }
    m_waveHeader.data = pcm;
    m_waveHeader.bufferLength = m_pcmDataLength;
    std::free(m_pSoundFileData);
    m_pSoundFileData = nullptr;

    if (host::waveOutDeviceCount() == 0) return;
    host::WaveOutHandle device = 0;
    if (host::waveOutOpen(&device, 0, m_waveFormat, &SoundPlayerWAVE::waveCallback,
                          reinterpret_cast<uintptr_t>(this)) != host::WaveResult::Ok)
        return;
    m_device = device;
    m_state = REALIZED;
    host::WaveOutCaps caps;
    if (host::waveOutCaps(0, &caps) == host::WaveResult::Ok && (caps.support & host::kWaveCapsVolume))
        m_volumeSupported = true;
}

void SoundPlayerWAVE::prefetch() {
    if (m_state == UNREALIZED) realize();
    if (m_state != REALIZED) return;
    if (host::waveOutPrepareHeader(m_device, &m_waveHeader) != host::WaveResult::Ok) return;
    uint32_t volume = 0;
    if (m_volumeSupported && host::waveOutGetVolume(m_device, &volume) == host::WaveResult::Ok) {
        m_savedVolume = volume;
        m_volumeSaved = true;
        m_level = static_cast<int32_t>((volume & 0xFFFF) * 100 / 65535);
    }
    m_state = PREFETCHED;
}

void SoundPlayerWAVE::start() {
    int32_t state = m_state;
    if (state == UNREALIZED || state == REALIZED) prefetch();
    if (m_state != PREFETCHED || m_muted) return;
    // STARTED before the write: a short sound's done message may come before the write returns.
    m_state = STARTED;
    if (host::waveOutWrite(m_device, &m_waveHeader) != host::WaveResult::Ok) {
        int32_t started = STARTED;
        m_state.compare_exchange_strong(started, PREFETCHED);
    }
}

void SoundPlayerWAVE::stop() {
    if (m_state != STARTED) return;
    host::waveOutReset(m_device);  // its done message comes before it returns
    m_state = PREFETCHED;
}

void SoundPlayerWAVE::deallocate() {
    if (m_state != PREFETCHED) return;
    host::waveOutUnprepareHeader(m_device, &m_waveHeader);
    m_state = REALIZED;
}

void SoundPlayerWAVE::close() {
    if (m_state == CLOSED) return;
    stop();
    // Only a word read from the device goes back; a player never prefetched saved none.
    if (m_volumeSupported && m_volumeSaved) host::waveOutSetVolume(m_device, m_savedVolume);
    deallocate();
    std::free(m_waveHeader.data);
    m_waveHeader.data = nullptr;
    if (m_device) host::waveOutClose(m_device);
    m_device = 0;
    std::free(m_pSoundFileData);
    m_pSoundFileData = nullptr;
    m_pcmDataLength = 0;
    m_state = CLOSED;
}

void SoundPlayerWAVE::waveCallback(host::WaveOutHandle, uint32_t message, uintptr_t instance, uintptr_t,
                                   uintptr_t) {
    if (message == host::kWaveOutDoneMessage && instance)
        reinterpret_cast<SoundPlayerWAVE*>(instance)->m_state = PREFETCHED;
}

int64_t SoundPlayerWAVE::setMediaTime(int64_t now) {
    if (now <= 0) {
        host::waveOutRestart(m_device);
    } else {
        mrc_log("WARNING: setMediaTime(long64 now) not implemented for now > 0\n");
    }
    return now;
}

int64_t SoundPlayerWAVE::getMediaTime() {
    return media::javaBoundary<int64_t>(0, [this]() -> int64_t {
        if (m_state == CLOSED) media::throwIllegalState();
        host::WaveTime time;
        time.format = host::WaveTimeFormat::Milliseconds;
        if (host::waveOutPosition(m_device, &time) != host::WaveResult::Ok ||
            time.format != host::WaveTimeFormat::Milliseconds)
            return -1;
        return int64_t{time.value} * 1000;
    });
}

int32_t SoundPlayerWAVE::getState() { return m_state; }

int64_t SoundPlayerWAVE::getDuration() {
    return media::javaBoundary<int64_t>(0, [this] {
        if (m_state == CLOSED) media::throwIllegalState();
        return m_duration;
    });
}

String* SoundPlayerWAVE::getContentType() {
    return media::javaBoundary<String*>(nullptr, [this] {
        if (m_state == CLOSED || m_state == UNREALIZED) media::throwIllegalState();
        return newString("audio/x-wav");
    });
}

void SoundPlayerWAVE::setLoopCount(int32_t count) {
    if (count < 0) m_loopCount = kLoopForever;
    else if (count == 0) m_loopCount = 1;
    else m_loopCount = count;
}

// ---- VolumeControl --------------------------------------------------------------------------

int32_t SoundPlayerWAVE::getLevel() { return m_level; }

bool SoundPlayerWAVE::isMuted() { return m_muted; }

int32_t SoundPlayerWAVE::setLevel(int32_t level) {
    level = std::clamp(level, 0, 100);
    int32_t previous = m_level;
    m_level = level;
    // The low half sets both channels; the high half stays 0.
    if (m_volumeSupported) host::waveOutSetVolume(m_device, static_cast<uint32_t>(level) * 65535 / 100);
    return previous;
}

// Only later starts are kept silent; a sound already playing goes on.
void SoundPlayerWAVE::setMute(bool mute) { m_muted = mute; }

// ---- RateControl and TempoControl -----------------------------------------------------------

int32_t SoundPlayerWAVE::getMinRate() { return kMinRate; }

int32_t SoundPlayerWAVE::getMaxRate() { return kMaxRate; }

int32_t SoundPlayerWAVE::getRate() {
    uint32_t rate = 0;
    if (!m_device || host::waveOutGetPlaybackRate(m_device, &rate) != host::WaveResult::Ok) return -1;
    double factor = std::clamp(rate / 65536.0, kMinRate / 100000.0, kMaxRate / 100000.0);
    return static_cast<int32_t>(factor * 100000);
}

int32_t SoundPlayerWAVE::setRate(int32_t rate) {
    if (!m_device || rate < 0) return -1;
    double factor = std::clamp(rate / 100000.0, kMinRate / 100000.0, kMaxRate / 100000.0);
    if (host::waveOutSetPlaybackRate(m_device, static_cast<uint32_t>(factor * 65536 + 0.5)) != host::WaveResult::Ok)
        return -1;
    return static_cast<int32_t>(factor * 100000);
}

int32_t SoundPlayerWAVE::setTempo(int32_t tempo) { return setRate(tempo); }

int32_t SoundPlayerWAVE::getTempo() { return getRate(); }

}  // namespace mrc
