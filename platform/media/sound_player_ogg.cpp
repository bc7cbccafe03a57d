#include "platform/media/sound_player_ogg.h"

#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "host/core/log.h"
#include "platform/media/media_support.h"

namespace mrc {

std::atomic<int32_t> SoundPlayerOGG::s_liveCount{0};

namespace {

// The decoder reads the temporary file through the C library; the file is closed by the player,
// never by the decoder, so a failed open cannot close it twice.
size_t readFile(void* ptr, size_t size, size_t count, void* file) {
    return std::fread(ptr, size, count, static_cast<std::FILE*>(file));
}
int seekFile(void* file, ogg_int64_t offset, int whence) {
    return fseeko(static_cast<std::FILE*>(file), static_cast<off_t>(offset), whence);
}
long tellFile(void* file) { return std::ftell(static_cast<std::FILE*>(file)); }

}  // namespace

SoundPlayerOGG* SoundPlayerOGG::newInstance(const uint8_t* data, uint32_t length) {
    SoundPlayerOGG* player = newObject<SoundPlayerOGG>();
    if (player) player->construct(data, length);
    return player;
}

void SoundPlayerOGG::construct(const uint8_t* data, uint32_t length) {
    SoundPlayerWAVE::construct(data, length);
    s_liveCount.fetch_add(1);
}

SoundPlayerOGG::~SoundPlayerOGG() { close(); }

int32_t SoundPlayerOGG::readWaveHeader(uint8_t*) { return openVorbisFile(); }

int32_t SoundPlayerOGG::openVorbisFile() {
    if (!m_pSoundFileData) return 0;
    m_fileName = media::temporaryFileName(s_liveCount.load(), "ogg");
    std::filesystem::path path = media::temporaryFilePath(m_fileName);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        m_fileName.clear();
        return 0;
    }
    bool written = std::fwrite(m_pSoundFileData, 1, m_dataLength, out) == m_dataLength;
    if (std::fclose(out) != 0 || !written) {
        m_fileName.clear();
        return 0;
    }
    m_file = std::fopen(path.c_str(), "rb");
    m_decoder = new OggVorbis_File{};
    ov_callbacks callbacks{readFile, seekFile, nullptr, tellFile};
    if (!m_file || ov_open_callbacks(m_file, m_decoder, nullptr, 0, callbacks) != 0) {
        closeDecoder();
        m_fileName.clear();
        return 0;
    }
    vorbis_info* info = ov_info(m_decoder, -1);
    m_streamInfo = StreamInfo{info->version,         info->channels,       info->rate,
                              info->bitrate_upper,   info->bitrate_nominal, info->bitrate_lower,
                              info->bitrate_window,  info->codec_setup};
    return 1;
}

void SoundPlayerOGG::closeDecoder() {
    if (m_decoder) {
        ov_clear(m_decoder);
        delete m_decoder;
        m_decoder = nullptr;
    }
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

int32_t SoundPlayerOGG::parseWaveHeader() {
    if (!openVorbisFile()) return 0;
    uint16_t channels = static_cast<uint16_t>(m_streamInfo.channels);
    uint32_t rate = static_cast<uint32_t>(m_streamInfo.rate);
    m_waveFormat = host::WaveFormat{};
    m_waveFormat.formatTag = host::kWaveFormatPcm;
    m_waveFormat.channels = channels;
    m_waveFormat.samplesPerSec = rate;
    m_waveFormat.bitsPerSample = 16;
    m_waveFormat.blockAlign = static_cast<uint16_t>(channels * 2);
    m_waveFormat.avgBytesPerSec = rate * channels * 2;
    m_duration = std::max<int64_t>(ov_time_total(m_decoder, -1), 0) * 1000;
    return 1;
}

int32_t SoundPlayerOGG::readSoundFilePcmData(uint8_t** pcm) {
    std::size_t capacity = kDecodeChunk;
    uint8_t* decoded = static_cast<uint8_t*>(std::malloc(capacity));
    if (!decoded) {
        mrc_log("SoundPlayerOGG::readSoundFilePcmData(): decodedDataBuffer == NULL\n  tried to malloc %d bytes",
                kDecodeChunk);
        return -1;
    }
    std::size_t size = 0;
    char chunk[kDecodeChunk];
    int section = 0;
    for (;;) {
        long n = m_decoder ? ov_read(m_decoder, chunk, kDecodeChunk, &section) : 0;
        if (n <= 0) break;  // the end, or a damaged stream: what came before plays
        if (size + static_cast<std::size_t>(n) > INT32_MAX) break;  // more than a byte count holds
        if (size + static_cast<std::size_t>(n) > capacity) {
            std::size_t grown = capacity + kDecodeChunk;
            uint8_t* bigger = static_cast<uint8_t*>(std::realloc(decoded, grown));
            if (!bigger) {
                mrc_log("SoundPlayerOGG::readSoundFilePcmData(): decodedDataBuffer == NULL\n  tried to realloc %d bytes",
                        static_cast<int>(grown));
                closeDecoder();
                m_fileName.clear();
                std::free(decoded);
                return -1;
            }
            decoded = bigger;
            capacity = grown;
        }
        std::memcpy(decoded + size, chunk, static_cast<std::size_t>(n));
        size += static_cast<std::size_t>(n);
    }
    closeDecoder();
    m_fileName.clear();
    m_pcmDataLength = static_cast<uint32_t>(size);
    if (size == 0) {
        std::free(decoded);
        return -1;
    }
    // The decode buffer itself becomes the PCM buffer: the same bytes without a second copy.
    *pcm = decoded;
    return static_cast<int32_t>(size);
}

void SoundPlayerOGG::close() {
    if (m_state == CLOSED) return;
    s_liveCount.fetch_sub(1);
    closeDecoder();
    m_fileName.clear();
    SoundPlayerWAVE::close();
}

}  // namespace mrc
