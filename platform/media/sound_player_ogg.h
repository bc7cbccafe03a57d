// SoundPlayerOGG: an Ogg Vorbis sound decoded whole to 16-bit PCM by Tremor at realize, then
// played like a WAVE sound. Only the reading steps and close differ from SoundPlayerWAVE. The
// decoder reads a temporary file "\temp\sound<n>.ogg", n being the count of live Ogg players at
// realize; the file stays until a later player of the same number overwrites it.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/media/sound_player_wave.h"

struct OggVorbis_File;

namespace mrc {

class SoundPlayerOGG : public SoundPlayerWAVE {
public:
    using Base = SoundPlayerWAVE;
    static constexpr uint16_t kClassId = kClass_javax_microedition_media_Player;
    static constexpr int32_t kDecodeChunk = 4096;

    // The decoder's stream information, copied.
    struct StreamInfo {
        int32_t version;
        int32_t channels;
        int64_t rate;
        int64_t bitrateUpper;
        int64_t bitrateNominal;
        int64_t bitrateLower;
        int64_t bitrateWindow;
        void* codecSetup;
    };

    static SoundPlayerOGG* newInstance(const uint8_t* data, uint32_t length);
    // SoundPlayerWAVE's constructor, then one more live Ogg player.
    void construct(const uint8_t* data, uint32_t length);
    ~SoundPlayerOGG() override;

    // Slot 6 of this class is openVorbisFile.
    int32_t readWaveHeader(uint8_t* buffer) override;
    int32_t openVorbisFile();
    int32_t parseWaveHeader() override;
    int32_t readSoundFilePcmData(uint8_t** pcm) override;
    void close() override;

    static int32_t liveCount() { return s_liveCount.load(); }
    const std::string& fileName() const { return m_fileName; }

private:
    void closeDecoder();

    StreamInfo m_streamInfo;
    OggVorbis_File* m_decoder;  // owned while open
    std::FILE* m_file;          // the temporary file the decoder reads
    std::string m_fileName;     // device name, while held

    static std::atomic<int32_t> s_liveCount;
};

}  // namespace mrc
