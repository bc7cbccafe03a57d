// SoundPlayerWAVE: a whole PCM sound played from memory through the wave-out device. Realize takes
// the format from the canonical 44-byte RIFF/WAVE header, copies the PCM into one buffer and opens
// the device; prefetch prepares that buffer as one looping header; start writes it once and the
// device repeats it as often as the loop count asked. The wave-out machinery here (prefetch to
// close, volume, rate) is shared by SoundPlayerOGG, which replaces only the reading steps.
//
// The player object has class id 94; getInterface answers 91 (its own Controllable word), 94, 97,
// 98 and 99. Nothing is locked: the wave driver's callback thread sets the state to 300 when the
// device has played the buffer out.
#pragma once

#include <atomic>
#include <cstdint>

#include "host/audio/wave_out.h"
#include "platform/media/player.h"
#include "runtime/core/object.h"

namespace mrc {

// The Controllable word of a wave-out player, apart from its Player word.
class WaveControllableWord : public javax_microedition_media_Controllable {
protected:
    ~WaveControllableWord() = default;
};

class SoundPlayerWAVE : public Object,
                        public javax_microedition_media_Player,
                        public WaveControllableWord,
                        public javax_microedition_media_control_VolumeControl,
                        public javax_microedition_media_control_TempoControl,
                        public javax_microedition_media_control_RateControl {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = kClass_javax_microedition_media_Player;

    static constexpr uint32_t kWaveHeaderSize = 44;
    static constexpr int32_t kMinRate = 50000;
    static constexpr int32_t kMaxRate = 200000;
    // The loop count setLoopCount(-1) stores: in effect forever.
    static constexpr int32_t kLoopForever = 0x7FFFFFFF;

    // A new player over a copy of the bytes; null when the object heap is exhausted.
    static SoundPlayerWAVE* newInstance(const uint8_t* data, uint32_t length);
    // The constructor: a copy of the bytes (none, with a log line, when it cannot be had), state
    // 100, level 100.
    void construct(const uint8_t* data, uint32_t length);

    ~SoundPlayerWAVE() override;  // closes
    void* getInterface(int32_t interfaceId) override;

    // Slots 6-8, the reading steps SoundPlayerOGG replaces. 1 / 0 for success / failure; the PCM
    // read gives its byte count or -1.
    virtual int32_t readWaveHeader(uint8_t* buffer);
    virtual int32_t parseWaveHeader();
    virtual int32_t readSoundFilePcmData(uint8_t** pcm);

    // Player. getMediaTime and getDuration raise java_lang_IllegalStateException on a closed
    // player, getContentType also on an unrealized one.
    Object* getControl(String* controlType) override;
    ObjectArray* getControls() override;
    void realize() override;
    void prefetch() override;
    void start() override;
    void stop() override;
    void deallocate() override;
    void close() override;
    int64_t setMediaTime(int64_t now) override;
    int64_t getMediaTime() override;
    int32_t getState() override;
    int64_t getDuration() override;
    String* getContentType() override;
    void setLoopCount(int32_t count) override;

    // VolumeControl: levels 0..100.
    int32_t getLevel() override;
    bool isMuted() override;
    int32_t setLevel(int32_t level) override;
    void setMute(bool mute) override;

    // RateControl and TempoControl (milli-percent).
    int32_t getMinRate() override;
    int32_t getMaxRate() override;
    int32_t getRate() override;
    int32_t setRate(int32_t rate) override;
    int32_t setTempo(int32_t tempo) override;
    int32_t getTempo() override;

    // Read-only views for tests and diagnostics.
    host::WaveOutHandle device() const { return m_device; }
    const host::WaveHeader& waveHeader() const { return m_waveHeader; }
    const host::WaveFormat& waveFormat() const { return m_waveFormat; }
    uint32_t pcmDataLength() const { return m_pcmDataLength; }

protected:
    uint8_t* m_pSoundFileData;  // owned copy of the sound's bytes, until realize has the PCM
    host::WaveFormat m_waveFormat;
    host::WaveOutHandle m_device;
    host::WaveHeader m_waveHeader;  // its data is the PCM buffer, owned
    uint32_t m_dataLength;          // the sound's bytes, header included
    uint32_t m_pcmDataLength;
    std::atomic<int32_t> m_state;   // also written by the wave driver's callback thread
    int32_t m_loopCount;
    int32_t m_level;
    uint32_t m_savedVolume;
    bool m_volumeSaved;             // m_savedVolume holds a word read from the device
    bool m_volumeSupported;
    bool m_muted;
    int64_t m_duration;             // microseconds

private:
    static void waveCallback(host::WaveOutHandle stream, uint32_t message, uintptr_t instance,
                             uintptr_t param1, uintptr_t param2);
};

}  // namespace mrc
