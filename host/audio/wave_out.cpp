#include "host/audio/wave_out.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <thread>
#include <vector>

#include "host/audio/mixer.h"
#include "host/audio/wave_out_driver.h"
#include "host/core/log.h"
#include "host/core/sync.h"

namespace host {
namespace {

constexpr uint32_t kMaxSpeed = 0x100000;  // 16x; the callers clamp far below

thread_local bool t_callbackThread = false;

// One open stream. All of it is guarded by the mixer lock. The play queue and the list of buffers
// awaiting their done message are both linked through WaveHeader::next: a header is in one of them
// at a time, and keeps kWaveHeaderInQueue until its message goes out, so its owner cannot queue
// it again in between.
struct Stream final : MixSource {
    WaveOutHandle handle = 0;
    WaveFormat format;
    PcmLayout layout = PcmLayout::S16Stereo;
    uint32_t blockAlign = 4;
    WaveOutCallback callback = nullptr;
    uintptr_t instance = 0;

    uint32_t speed = 0x10000;
    bool paused = false;

    WaveHeader* head = nullptr;  // play queue
    WaveHeader* tail = nullptr;
    WaveHeader* current = nullptr;
    uint64_t pos = 0;  // 32.32 frames into current
    WaveHeader* loopStart = nullptr;
    uint32_t loopsLeft = 0;
    uint64_t loopPassFrames = 0;
    uint64_t playedFrames = 0;  // frames of buffers finished since open or reset

    WaveHeader* doneHead = nullptr;  // awaiting their done message
    WaveHeader* doneTail = nullptr;
    bool openPending = false;
    bool closePending = false;
    bool closeDelivered = false;
    bool scheduled = false;
    bool delivering = false;
    bool freeWhenDelivered = false;
    Stream* nextScheduled = nullptr;

    uint32_t frameCount(const WaveHeader* h) const { return h->bufferLength / blockAlign; }
    void mixInto(int32_t* acc, uint32_t frames) override;
    void enter(WaveHeader* h);
    void finishCurrent();
    void returnHead();
    void returnAll();
    uint64_t messagesQueued = 0;
    uint64_t messagesDelivered = 0;
};

struct Driver {
    std::condition_variable wake;       // work for the callback thread
    std::condition_variable delivered;  // a batch of messages went out
    std::thread thread;
    bool running = false;
    bool quit = false;
    uint64_t messagesQueued = 0;
    uint64_t messagesDelivered = 0;
    Stream* scheduledHead = nullptr;
    Stream* scheduledTail = nullptr;
    std::vector<Stream*> streams;
    WaveOutHandle nextHandle = 1;
};

Driver& driver() {
    static Driver* instance = new Driver;
    return *instance;
}

// Counts one more message for the stream and makes sure the callback thread will look at it.
void schedule(Stream* s) {
    Driver& d = driver();
    ++s->messagesQueued;
    ++d.messagesQueued;
    if (s->scheduled || s->delivering) return;  // a running delivery picks new messages up
    s->scheduled = true;
    s->nextScheduled = nullptr;
    if (d.scheduledTail) d.scheduledTail->nextScheduled = s;
    else d.scheduledHead = s;
    d.scheduledTail = s;
    d.wake.notify_one();
}

void Stream::enter(WaveHeader* h) {
    if ((h->flags & kWaveHeaderBeginLoop) && !loopStart) {
        loopStart = h;
        loopsLeft = std::max<uint32_t>(h->loops, 1);
        loopPassFrames = 0;
    }
}

void Stream::returnHead() {
    WaveHeader* h = head;
    head = h->next;
    if (!head) tail = nullptr;
    h->next = nullptr;
    if (doneTail) doneTail->next = h;
    else doneHead = h;
    doneTail = h;
    schedule(this);
}

void Stream::returnAll() {
    while (head) returnHead();
    current = nullptr;
    loopStart = nullptr;
    pos = 0;
}

void Stream::finishCurrent() {
    WaveHeader* h = current;
    uint32_t n = frameCount(h);
    pos -= uint64_t(n) << 32;
    playedFrames += n;
    loopPassFrames += n;
    WaveHeader* following = h->next;
    if ((h->flags & kWaveHeaderEndLoop) && loopStart) {
        // A pass that plays no frame would spin here for ever: end such a loop at once.
        if (--loopsLeft > 0 && loopPassFrames > 0) {
            current = loopStart;
            loopPassFrames = 0;
            return;
        }
        while (head != h) returnHead();
        returnHead();
        loopStart = nullptr;
    } else if (!loopStart) {
        returnHead();
    }
    current = following;
    if (current) enter(current);
    else pos = 0;
}

void Stream::mixInto(int32_t* acc, uint32_t frames) {
    if (paused || !current) return;
    const uint64_t step = resampleStep(format.samplesPerSec, mixer().rate(), speed);
    uint32_t made = 0;
    while (made < frames && current) {
        uint32_t n = frameCount(current);
        made += mixPcm(current->data, n, layout, pos, step, kUnityGain, acc + 2 * made,
                       frames - made);
        if ((pos >> 32) < n) break;
        finishCurrent();
    }
}

// Sends the stream's messages in order (open, done, close), each with the lock released.
void deliver(Stream* s, std::unique_lock<std::mutex>& lock) {
    for (;;) {
        uint32_t message;
        WaveHeader* h = nullptr;
        if (s->openPending) {
            s->openPending = false;
            message = kWaveOutOpenMessage;
        } else if (s->doneHead) {
            h = s->doneHead;
            s->doneHead = h->next;
            if (!s->doneHead) s->doneTail = nullptr;
            h->next = nullptr;
            h->flags = (h->flags & ~kWaveHeaderInQueue) | kWaveHeaderDone;
            message = kWaveOutDoneMessage;
        } else if (s->closePending) {
            s->closePending = false;
            message = kWaveOutCloseMessage;
        } else {
            return;
        }
        WaveOutCallback callback = s->callback;
        lock.unlock();
        if (callback) callback(s->handle, message, s->instance, reinterpret_cast<uintptr_t>(h), 0);
        lock.lock();
        ++s->messagesDelivered;
        ++driver().messagesDelivered;
        if (message == kWaveOutCloseMessage) s->closeDelivered = true;
        driver().delivered.notify_all();
        if (s->closeDelivered) return;
    }
}

void callbackThreadMain() {
    t_callbackThread = true;
    Driver& d = driver();
    std::unique_lock lock(mixer().mutex());
    for (;;) {
        d.wake.wait(lock, [&] { return d.scheduledHead || d.quit; });
        Stream* s = d.scheduledHead;
        if (!s) break;
        d.scheduledHead = s->nextScheduled;
        if (!d.scheduledHead) d.scheduledTail = nullptr;
        s->scheduled = false;
        s->delivering = true;
        deliver(s, lock);
        s->delivering = false;
        bool free = s->closeDelivered && s->freeWhenDelivered;
        d.delivered.notify_all();  // closers wait for `delivering` to fall
        if (free) delete s;
    }
}

// Waits on the delivery condition with the lock released around the blocking hooks: they may
// wait for the collector, which must not find the mixer locked.
template <class Done>
void awaitDelivery(std::unique_lock<std::mutex>& lock, Done done) {
    if (done()) return;
    lock.unlock();
    {
        BlockingRegion blocking;
        std::unique_lock inner(mixer().mutex());
        driver().delivered.wait(inner, done);
    }
    lock.lock();
}

Stream* find(WaveOutHandle handle) {
    Driver& d = driver();
    if (handle == 0) return nullptr;
    for (Stream* s : d.streams)
        if (s->handle == handle) return s;
    return nullptr;
}

bool formatPlayable(const WaveFormat& f) {
    return f.formatTag == kWaveFormatPcm && (f.channels == 1 || f.channels == 2) &&
           (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSec >= 1000 &&
           f.samplesPerSec <= 192000 && f.blockAlign == f.channels * f.bitsPerSample / 8;
}

PcmLayout layoutOf(const WaveFormat& f) {
    if (f.bitsPerSample == 8) return f.channels == 2 ? PcmLayout::U8Stereo : PcmLayout::U8Mono;
    return f.channels == 2 ? PcmLayout::S16Stereo : PcmLayout::S16Mono;
}

// Detaches a stream whose queue is empty and has its close message sent; frees it once delivered.
void closeStream(Stream* s, std::unique_lock<std::mutex>& lock) {
    Driver& d = driver();
    d.streams.erase(std::remove(d.streams.begin(), d.streams.end(), s), d.streams.end());
    mixer().remove(s);
    s->closePending = true;
    schedule(s);
    if (t_callbackThread) {
        s->freeWhenDelivered = true;
        return;
    }
    awaitDelivery(lock, [s] { return s->closeDelivered && !s->delivering; });
    delete s;
}

// Runs `op` on the stream under the lock, or answers InvalidHandle.
template <class Op>
WaveResult withStream(WaveOutHandle handle, Op op) {
    std::lock_guard lock(mixer().mutex());
    Stream* s = find(handle);
    if (!s) return WaveResult::InvalidHandle;
    return op(*s);
}

// The volume word belongs to the device: any open stream, or the device itself, reaches it.
WaveResult volumeTarget(WaveOutHandle stream) {
    if (stream == kWaveOutDevice0) return driver().running ? WaveResult::Ok : WaveResult::BadDevice;
    return find(stream) ? WaveResult::Ok : WaveResult::InvalidHandle;
}

}  // namespace

bool onAudioCallbackThread() { return t_callbackThread; }

void waveOutDriverStart() {
    Driver& d = driver();
    std::lock_guard lock(mixer().mutex());
    if (d.running) return;
    d.quit = false;
    d.running = true;
    d.thread = std::thread(callbackThreadMain);
}

void waveOutDriverStop() {
    Driver& d = driver();
    std::unique_lock lock(mixer().mutex());
    if (!d.running) return;
    d.running = false;
    if (!d.streams.empty())
        mrc_log("audio: closing %zu wave-out stream(s) left open", d.streams.size());
    while (!d.streams.empty()) {
        Stream* s = d.streams.front();
        s->returnAll();
        closeStream(s, lock);
    }
    uint64_t target = d.messagesQueued;
    awaitDelivery(lock, [&d, target] { return d.messagesDelivered >= target; });
    d.quit = true;
    d.wake.notify_one();
    lock.unlock();
    d.thread.join();
}

uint32_t waveOutDeviceCount() {
    std::lock_guard lock(mixer().mutex());
    return driver().running ? 1 : 0;
}

WaveResult waveOutCaps(uint32_t deviceId, WaveOutCaps* caps) {
    if (!caps) return WaveResult::InvalidParam;
    if (deviceId != 0 || waveOutDeviceCount() == 0) return WaveResult::BadDevice;
    *caps = WaveOutCaps{};
    std::snprintf(caps->name, sizeof caps->name, "%s", "Mixer");
    caps->channels = 2;
    caps->support = kWaveCapsPlaybackRate | kWaveCapsVolume | kWaveCapsSampleAccurate;
    return WaveResult::Ok;
}

WaveResult waveOutOpen(WaveOutHandle* stream, uint32_t deviceId, const WaveFormat& format,
                       WaveOutCallback callback, uintptr_t instance) {
    if (!stream) return WaveResult::InvalidParam;
    *stream = 0;
    if (!formatPlayable(format)) {
        mrc_log("waveOutOpen: unsupported format (tag %u, %u channels, %u Hz, %u bits, block %u)",
                format.formatTag, format.channels, format.samplesPerSec, format.bitsPerSample,
                format.blockAlign);
        return WaveResult::BadFormat;
    }
    Driver& d = driver();
    std::lock_guard lock(mixer().mutex());
    if (deviceId != 0 || !d.running) return WaveResult::BadDevice;
    auto* s = new Stream;
    s->handle = d.nextHandle++;
    if (d.nextHandle == 0) d.nextHandle = 1;
    s->format = format;
    s->layout = layoutOf(format);
    s->blockAlign = format.blockAlign;
    s->callback = callback;
    s->instance = instance;
    s->openPending = true;
    d.streams.push_back(s);
    mixer().add(s);
    schedule(s);
    *stream = s->handle;
    return WaveResult::Ok;
}

WaveResult waveOutClose(WaveOutHandle stream) {
    std::unique_lock lock(mixer().mutex());
    Stream* s = find(stream);
    if (!s) return WaveResult::InvalidHandle;
    if (s->head) return WaveResult::StillPlaying;
    closeStream(s, lock);
    return WaveResult::Ok;
}

WaveResult waveOutPrepareHeader(WaveOutHandle stream, WaveHeader* header) {
    return withStream(stream, [header](Stream&) {
        if (!header || (!header->data && header->bufferLength)) return WaveResult::InvalidParam;
        if (header->flags & kWaveHeaderInQueue) return WaveResult::StillPlaying;
        header->flags |= kWaveHeaderPrepared;
        return WaveResult::Ok;
    });
}

WaveResult waveOutUnprepareHeader(WaveOutHandle stream, WaveHeader* header) {
    return withStream(stream, [header](Stream&) {
        if (!header) return WaveResult::InvalidParam;
        if (header->flags & kWaveHeaderInQueue) return WaveResult::StillPlaying;
        header->flags &= ~kWaveHeaderPrepared;
        return WaveResult::Ok;
    });
}

WaveResult waveOutWrite(WaveOutHandle stream, WaveHeader* header) {
    return withStream(stream, [header](Stream& s) {
        if (!header || (!header->data && header->bufferLength)) return WaveResult::InvalidParam;
        if (!(header->flags & kWaveHeaderPrepared)) return WaveResult::Unprepared;
        if (header->flags & kWaveHeaderInQueue) return WaveResult::StillPlaying;
        header->flags = (header->flags & ~kWaveHeaderDone) | kWaveHeaderInQueue;
        header->next = nullptr;
        if (s.tail) s.tail->next = header;
        else s.head = header;
        s.tail = header;
        if (!s.current) {
            s.current = header;
            s.pos = 0;
            s.enter(header);
        }
        return WaveResult::Ok;
    });
}

WaveResult waveOutReset(WaveOutHandle stream) {
    std::unique_lock lock(mixer().mutex());
    Stream* s = find(stream);
    if (!s) return WaveResult::InvalidHandle;
    s->returnAll();
    s->playedFrames = 0;
    if (!t_callbackThread) {
        // Only the messages queued so far: callbacks that write again must not keep us here.
        // The stream may be closed by a callback meanwhile, so it is looked up again each time.
        WaveOutHandle handle = s->handle;
        uint64_t target = s->messagesQueued;
        awaitDelivery(lock, [handle, target] {
            Stream* again = find(handle);
            return !again || again->messagesDelivered >= target;
        });
    }
    return WaveResult::Ok;
}

WaveResult waveOutPause(WaveOutHandle stream) {
    return withStream(stream, [](Stream& s) {
        s.paused = true;
        return WaveResult::Ok;
    });
}

WaveResult waveOutRestart(WaveOutHandle stream) {
    return withStream(stream, [](Stream& s) {
        s.paused = false;
        return WaveResult::Ok;
    });
}

WaveResult waveOutPosition(WaveOutHandle stream, WaveTime* time) {
    if (!time) return WaveResult::InvalidParam;
    return withStream(stream, [time](Stream& s) {
        uint64_t frames = s.playedFrames;
        if (s.current) frames += std::min<uint64_t>(s.pos >> 32, s.frameCount(s.current));
        uint64_t value = frames;
        switch (time->format) {
        case WaveTimeFormat::Milliseconds: value = frames * 1000 / s.format.samplesPerSec; break;
        case WaveTimeFormat::Samples: break;
        case WaveTimeFormat::Bytes: value = frames * s.blockAlign; break;
        }
        time->value = uint32_t(value);
        return WaveResult::Ok;
    });
}

WaveResult waveOutGetVolume(WaveOutHandle stream, uint32_t* volume) {
    if (!volume) return WaveResult::InvalidParam;
    std::lock_guard lock(mixer().mutex());
    WaveResult result = volumeTarget(stream);
    if (result == WaveResult::Ok) *volume = mixer().volume();
    return result;
}

WaveResult waveOutSetVolume(WaveOutHandle stream, uint32_t volume) {
    std::lock_guard lock(mixer().mutex());
    WaveResult result = volumeTarget(stream);
    if (result == WaveResult::Ok) mixer().setVolume(volume);
    return result;
}

WaveResult waveOutGetPlaybackRate(WaveOutHandle stream, uint32_t* rate) {
    if (!rate) return WaveResult::InvalidParam;
    return withStream(stream, [rate](Stream& s) {
        *rate = s.speed;
        return WaveResult::Ok;
    });
}

WaveResult waveOutSetPlaybackRate(WaveOutHandle stream, uint32_t rate) {
    return withStream(stream, [rate](Stream& s) {
        if (rate == 0 || rate > kMaxSpeed) return WaveResult::InvalidParam;
        s.speed = rate;
        return WaveResult::Ok;
    });
}

void waveOutWaitForCallbacks() {
    if (t_callbackThread) return;
    std::unique_lock lock(mixer().mutex());
    Driver& d = driver();
    // Until nothing is left: a callback may itself queue messages (a close from a done).
    awaitDelivery(lock, [&d] { return d.messagesDelivered >= d.messagesQueued; });
}

}  // namespace host
