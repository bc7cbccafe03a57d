// The wave-out device: PCM buffers written in order through prepared headers, played by the mixer,
// returned to their owner one by one through a done message. Messages come from the audio
// callback thread, never with the mixer locked, so a callback may write, reset or close.
//
// There is one device (id 0) while the audio system runs; each open gives an independent stream
// on it, and the streams mix. The device has one volume word, shared by every stream and the
// media graphs: reading or writing it through any handle (or kWaveOutDevice0) is the same word.
#pragma once

#include <cstdint>

namespace host {

enum class WaveResult : uint32_t {
    Ok = 0,
    Error,          // unspecified failure
    BadDevice,      // no such device, or the audio system is not running
    InvalidHandle,  // not an open stream
    InvalidParam,
    NotSupported,
    BadFormat,      // a format the device does not play
    StillPlaying,   // buffers are still queued (or awaiting their done message)
    Unprepared,     // the header was not prepared
};

// The stream format; only PCM (format tag 1), 1 or 2 channels, 8 or 16 bits.
struct WaveFormat {
    uint16_t formatTag = 1;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};
inline constexpr uint16_t kWaveFormatPcm = 1;

// A buffer handed to the device. The owner fills data, bufferLength, flags (loop bits), loops and
// user; the device owns `next` and `reserved` while the header is queued.
struct WaveHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;  // bytes; a trailing partial frame is not played
    uint32_t bytesRecorded = 0;
    uintptr_t user = 0;
    uint32_t flags = 0;
    uint32_t loops = 0;  // on the loop's first buffer: times the loop plays (0 plays it once)
    WaveHeader* next = nullptr;
    uintptr_t reserved = 0;
};

// Header flags.
inline constexpr uint32_t kWaveHeaderDone = 0x01;       // returned to the owner
inline constexpr uint32_t kWaveHeaderPrepared = 0x02;
inline constexpr uint32_t kWaveHeaderBeginLoop = 0x04;  // first buffer of a loop
inline constexpr uint32_t kWaveHeaderEndLoop = 0x08;    // last buffer of a loop
inline constexpr uint32_t kWaveHeaderInQueue = 0x10;    // owned by the device

// Messages to the callback.
inline constexpr uint32_t kWaveOutOpenMessage = 0x3BB;
inline constexpr uint32_t kWaveOutCloseMessage = 0x3BC;
inline constexpr uint32_t kWaveOutDoneMessage = 0x3BD;  // param1: the WaveHeader*

// A stream handle; 0 is never a stream.
using WaveOutHandle = uint32_t;
// Stands for the device itself where a handle is asked (volume).
inline constexpr WaveOutHandle kWaveOutDevice0 = 0;

using WaveOutCallback = void (*)(WaveOutHandle stream, uint32_t message, uintptr_t instance,
                                 uintptr_t param1, uintptr_t param2);

// Capability bits.
inline constexpr uint32_t kWaveCapsPlaybackRate = 0x02;
inline constexpr uint32_t kWaveCapsVolume = 0x04;
inline constexpr uint32_t kWaveCapsLrVolume = 0x08;  // separate channel volume (not offered)
inline constexpr uint32_t kWaveCapsSampleAccurate = 0x20;

struct WaveOutCaps {
    char name[32] = {};
    uint16_t channels = 0;
    uint32_t support = 0;
};

// Position units.
enum class WaveTimeFormat : uint8_t { Milliseconds, Samples, Bytes };
struct WaveTime {
    WaveTimeFormat format = WaveTimeFormat::Milliseconds;  // asked for; answered in the same
    uint32_t value = 0;
};

// 1 while the audio system runs, else 0.
uint32_t waveOutDeviceCount();
WaveResult waveOutCaps(uint32_t deviceId, WaveOutCaps* caps);

// Opens a stream on device `deviceId` (0). The callback (may be null) gets the open, done and
// close messages with `instance`.
WaveResult waveOutOpen(WaveOutHandle* stream, uint32_t deviceId, const WaveFormat& format,
                       WaveOutCallback callback, uintptr_t instance);
// Fails with StillPlaying while buffers are queued. Otherwise returns once every message of the
// stream, the close message last, has been delivered (at once when called from a callback; the
// messages then follow when that callback returns).
WaveResult waveOutClose(WaveOutHandle stream);

WaveResult waveOutPrepareHeader(WaveOutHandle stream, WaveHeader* header);
WaveResult waveOutUnprepareHeader(WaveOutHandle stream, WaveHeader* header);
// Queues a prepared header behind the ones already queued. The header stays in the queue
// (kWaveHeaderInQueue) until its done message is delivered.
WaveResult waveOutWrite(WaveOutHandle stream, WaveHeader* header);
// Stops playback, returns every queued buffer with its done message and sets the position to 0.
// Returns once those messages are delivered (called from a callback: they follow it).
WaveResult waveOutReset(WaveOutHandle stream);
WaveResult waveOutPause(WaveOutHandle stream);
WaveResult waveOutRestart(WaveOutHandle stream);

// Source data played since open or the last reset, loops counted.
WaveResult waveOutPosition(WaveOutHandle stream, WaveTime* time);

WaveResult waveOutGetVolume(WaveOutHandle stream, uint32_t* volume);
WaveResult waveOutSetVolume(WaveOutHandle stream, uint32_t volume);

// Playback rate, 16.16 fixed point (0x10000 normal speed; the pitch follows the speed).
WaveResult waveOutGetPlaybackRate(WaveOutHandle stream, uint32_t* rate);
WaveResult waveOutSetPlaybackRate(WaveOutHandle stream, uint32_t rate);

// Waits until every queued message, including those queued by callbacks meanwhile, has been
// delivered (tests, shutdown). Returns at once on the callback thread.
void waveOutWaitForCallbacks();

// Whether the calling thread is the one that delivers the messages.
bool onAudioCallbackThread();

}  // namespace host
