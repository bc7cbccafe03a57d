#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "host/audio/wave_out.h"
#include "host/core/sync.h"
#include "tests/host/audio_test_support.h"

using namespace host;
using audio_test::AudioTest;
using audio_test::kRate;

namespace {

WaveFormat pcm(uint32_t rate, uint16_t channels, uint16_t bits) {
    WaveFormat f;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.bitsPerSample = bits;
    f.blockAlign = uint16_t(channels * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}

// A buffer of one constant frame; 8-bit formats take the high byte of the value.
struct Buffer {
    std::vector<uint8_t> bytes;
    WaveHeader header;

    Buffer(const WaveFormat& f, uint32_t frames, int16_t left, int16_t right = 0,
           uint32_t flags = 0, uint32_t loops = 0) {
        for (uint32_t i = 0; i < frames; ++i) {
            for (int c = 0; c < f.channels; ++c) {
                int16_t v = c == 0 ? left : right;
                if (f.bitsPerSample == 8) {
                    bytes.push_back(uint8_t((v >> 8) + 128));
                } else {
                    bytes.push_back(uint8_t(v & 0xFF));
                    bytes.push_back(uint8_t((v >> 8) & 0xFF));
                }
            }
        }
        header.data = bytes.data();
        header.bufferLength = uint32_t(bytes.size());
        header.flags = flags;
        header.loops = loops;
    }
};

struct Message {
    uint32_t message;
    WaveHeader* header;
    std::thread::id thread;
    bool onCallbackThread;
};

// Records every message of a stream; `react` runs inside the callback.
struct Callbacks {
    std::mutex mutex;
    std::vector<Message> messages;
    std::function<void(WaveOutHandle, const Message&)> react;

    std::vector<Message> taken() {
        std::lock_guard lock(mutex);
        return messages;
    }
    std::vector<WaveHeader*> done() {
        std::vector<WaveHeader*> headers;
        for (const Message& m : taken())
            if (m.message == kWaveOutDoneMessage) headers.push_back(m.header);
        return headers;
    }

    static void callback(WaveOutHandle stream, uint32_t message, uintptr_t instance,
                         uintptr_t param1, uintptr_t) {
        auto* self = reinterpret_cast<Callbacks*>(instance);
        Message m{message, reinterpret_cast<WaveHeader*>(param1), std::this_thread::get_id(),
                  onAudioCallbackThread()};
        {
            std::lock_guard lock(self->mutex);
            self->messages.push_back(m);
        }
        if (self->react) self->react(stream, m);
    }
};

// Declared after the buffers it plays: closing returns them.
struct Stream {
    WaveOutHandle handle = 0;
    Callbacks callbacks;

    using React = std::function<void(WaveOutHandle, const Message&)>;

    // The reaction is in place before the open message can arrive.
    explicit Stream(const WaveFormat& f, React react = {}) {
        callbacks.react = std::move(react);
        EXPECT_EQ(waveOutOpen(&handle, 0, f, &Callbacks::callback,
                              reinterpret_cast<uintptr_t>(&callbacks)),
                  WaveResult::Ok);
    }
    ~Stream() {
        if (!handle) return;
        waveOutReset(handle);
        waveOutClose(handle);
    }
    void write(Buffer& b) {
        ASSERT_EQ(waveOutPrepareHeader(handle, &b.header), WaveResult::Ok);
        ASSERT_EQ(waveOutWrite(handle, &b.header), WaveResult::Ok);
    }
    uint32_t position(WaveTimeFormat format) {
        WaveTime t{format, 0};
        EXPECT_EQ(waveOutPosition(handle, &t), WaveResult::Ok);
        return t.value;
    }
};

const WaveFormat kStereo16 = pcm(kRate, 2, 16);

int16_t left(const std::vector<int16_t>& pcm, std::size_t frame) { return pcm[2 * frame]; }
int16_t right(const std::vector<int16_t>& pcm, std::size_t frame) { return pcm[2 * frame + 1]; }

}  // namespace

class WaveOutTest : public AudioTest {};

TEST_F(WaveOutTest, BuffersPlayInOrderAndReturnOnTheCallbackThread) {
    Stream s(kStereo16);
    Buffer a(kStereo16, 100, 1000, -1000), b(kStereo16, 100, 2000, -2000),
        c(kStereo16, 100, 3000, -3000);
    s.write(a);
    s.write(b);
    s.write(c);
    auto out = play(400);
    waveOutWaitForCallbacks();

    for (std::size_t i = 0; i < 400; ++i) {
        int16_t expected = i < 300 ? int16_t(1000 * (i / 100 + 1)) : 0;
        ASSERT_EQ(left(out, i), expected) << "frame " << i;
        ASSERT_EQ(right(out, i), -expected) << "frame " << i;
    }
    auto messages = s.callbacks.taken();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].message, kWaveOutOpenMessage);
    EXPECT_EQ(s.callbacks.done(), (std::vector<WaveHeader*>{&a.header, &b.header, &c.header}));
    for (const Message& m : messages) {
        EXPECT_NE(m.thread, std::this_thread::get_id());
        EXPECT_EQ(m.thread, messages[0].thread);
        EXPECT_TRUE(m.onCallbackThread);
    }
    for (Buffer* buf : {&a, &b, &c}) {
        EXPECT_TRUE(buf->header.flags & kWaveHeaderDone);
        EXPECT_FALSE(buf->header.flags & kWaveHeaderInQueue);
    }
    EXPECT_FALSE(onAudioCallbackThread());
}

// Were messages sent with the mixer locked, the write inside the callback would never return.
TEST_F(WaveOutTest, CallbackWritingAgainKeepsTheStreamPlaying) {
    Buffer a(kStereo16, 100, 1234, 1234);
    std::atomic<int> rounds{0};
    Stream s(kStereo16, [&](WaveOutHandle h, const Message& m) {
        if (m.message == kWaveOutDoneMessage && ++rounds < 3) {
            EXPECT_EQ(waveOutWrite(h, m.header), WaveResult::Ok);
        }
    });
    s.write(a);
    std::vector<int16_t> out;
    for (int i = 0; i < 4; ++i) {
        auto part = play(100);
        out.insert(out.end(), part.begin(), part.end());
        waveOutWaitForCallbacks();
    }
    EXPECT_EQ(rounds.load(), 3);
    for (std::size_t i = 0; i < 400; ++i)
        ASSERT_EQ(left(out, i), i < 300 ? 1234 : 0) << "frame " << i;
}

struct LoopCase {
    const char* name;
    std::vector<std::array<uint32_t, 3>> buffers;  // flags, loops, frames
    std::vector<int> order;                         // buffers as heard
};

TEST_F(WaveOutTest, LoopFlagsRepeatTheMarkedBuffers) {
    constexpr uint32_t B = kWaveHeaderBeginLoop, E = kWaveHeaderEndLoop;
    const LoopCase cases[] = {
        {"one buffer three times", {{B | E, 3, 50}}, {0, 0, 0}},
        {"loop count 0 plays once", {{B | E, 0, 50}}, {0}},
        {"loop over two buffers", {{B, 2, 50}, {E, 0, 30}}, {0, 1, 0, 1}},
        {"loop between plain buffers", {{0, 0, 40}, {B | E, 2, 20}, {0, 0, 30}}, {0, 1, 1, 2}},
        {"end mark without a begin", {{E, 0, 20}, {0, 0, 20}}, {0, 1}},
        {"endless loop of nothing ends", {{B | E, 0x7FFFFFFF, 0}, {0, 0, 20}}, {1}},
    };
    for (const LoopCase& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s(kStereo16);
        std::vector<std::unique_ptr<Buffer>> buffers;
        for (std::size_t i = 0; i < c.buffers.size(); ++i) {
            auto [flags, loops, frames] = c.buffers[i];
            int16_t v = int16_t(1000 * (i + 1));
            buffers.push_back(std::make_unique<Buffer>(kStereo16, frames, v, v, flags, loops));
        }
        for (auto& b : buffers) s.write(*b);
        std::vector<int16_t> expected;
        for (int i : c.order)
            expected.insert(expected.end(), c.buffers[i][2], int16_t(1000 * (i + 1)));
        expected.resize(expected.size() + 50, 0);
        auto out = play(uint32_t(expected.size()));
        waveOutWaitForCallbacks();
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(left(out, i), expected[i]) << "frame " << i;
        std::vector<WaveHeader*> headers;
        for (auto& b : buffers) headers.push_back(&b->header);
        EXPECT_EQ(s.callbacks.done(), headers);
    }
}

TEST_F(WaveOutTest, ResetReturnsUnplayedBuffersBeforeItReturns) {
    Buffer a(kStereo16, 100, 500, 500), b(kStereo16, 100, 600, 600), c(kStereo16, 100, 700, 700);
    Stream s(kStereo16);
    s.write(a);
    s.write(b);
    s.write(c);
    play(50);
    EXPECT_EQ(s.position(WaveTimeFormat::Samples), 50u);
    ASSERT_EQ(waveOutReset(s.handle), WaveResult::Ok);

    EXPECT_EQ(s.callbacks.done(), (std::vector<WaveHeader*>{&a.header, &b.header, &c.header}));
    for (Buffer* buf : {&a, &b, &c}) EXPECT_TRUE(buf->header.flags & kWaveHeaderDone);
    EXPECT_EQ(s.position(WaveTimeFormat::Samples), 0u);
    auto out = play(100);
    EXPECT_EQ(audio_test::rms(out), 0.0);
    EXPECT_EQ(waveOutUnprepareHeader(s.handle, &a.header), WaveResult::Ok);
    EXPECT_FALSE(a.header.flags & kWaveHeaderPrepared);
}

struct PositionCase {
    uint32_t rate;
    uint16_t channels;
    uint16_t bits;
};

TEST_F(WaveOutTest, PositionCountsSourceDataAcrossRatesAndLayouts) {
    const PositionCase cases[] = {
        {8000, 1, 8}, {11025, 1, 16}, {16000, 1, 16}, {22050, 2, 16}, {44100, 2, 8}, {44100, 1, 16},
    };
    for (const PositionCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " ch, " << c.bits);
        WaveFormat f = pcm(c.rate, c.channels, c.bits);
        Buffer b(f, c.rate, 16384, -16384);  // one second
        Stream s(f);
        s.write(b);
        auto out = play(kRate / 2);
        uint32_t samples = s.position(WaveTimeFormat::Samples);
        EXPECT_NEAR(double(samples), c.rate / 2.0, 1.0);
        EXPECT_EQ(s.position(WaveTimeFormat::Bytes), samples * f.blockAlign);
        EXPECT_NEAR(double(s.position(WaveTimeFormat::Milliseconds)), 500.0, 1.0);
        EXPECT_EQ(left(out, 1000), 16384);
        EXPECT_EQ(right(out, 1000), c.channels == 2 ? -16384 : 16384);
    }
}

TEST_F(WaveOutTest, PlaybackRateScalesSpeedAndEndsTheBufferSooner) {
    const std::pair<uint32_t, uint32_t> cases[] = {{0x20000, 2000}, {0x8000, 500}, {0x18000, 1500}};
    WaveFormat f = pcm(kRate, 1, 16);
    for (auto [rate, expected] : cases) {
        SCOPED_TRACE(rate);
        Buffer b(f, 4410, 100);
        Stream s(f);
        ASSERT_EQ(waveOutSetPlaybackRate(s.handle, rate), WaveResult::Ok);
        uint32_t readBack = 0;
        EXPECT_EQ(waveOutGetPlaybackRate(s.handle, &readBack), WaveResult::Ok);
        EXPECT_EQ(readBack, rate);
        s.write(b);
        play(1000);
        EXPECT_EQ(s.position(WaveTimeFormat::Samples), expected);
    }
    Buffer b(f, 4410, 100);
    Stream s(f);
    ASSERT_EQ(waveOutSetPlaybackRate(s.handle, 0x20000), WaveResult::Ok);
    s.write(b);
    play(2204);
    waveOutWaitForCallbacks();
    EXPECT_TRUE(s.callbacks.done().empty());
    play(2);
    waveOutWaitForCallbacks();
    EXPECT_EQ(s.callbacks.done().size(), 1u);
    EXPECT_EQ(waveOutSetPlaybackRate(s.handle, 0), WaveResult::InvalidParam);
}

TEST_F(WaveOutTest, VolumeIsOneDeviceWordWhoseLowHalfSetsBothChannels) {
    const std::pair<uint32_t, int16_t> cases[] = {
        {0xFFFFFFFF, 20000}, {0x0000FFFF, 20000}, {0x00008000, 10000}, {0xFFFF0000, 0}, {0, 0}};
    Stream a(kStereo16), b(kStereo16);
    for (auto [word, expected] : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << word);
        ASSERT_EQ(waveOutSetVolume(a.handle, word), WaveResult::Ok);
        uint32_t viaDevice = 0, viaOther = 0;
        EXPECT_EQ(waveOutGetVolume(kWaveOutDevice0, &viaDevice), WaveResult::Ok);
        EXPECT_EQ(waveOutGetVolume(b.handle, &viaOther), WaveResult::Ok);
        EXPECT_EQ(viaDevice, word);
        EXPECT_EQ(viaOther, word);
        Buffer buf(kStereo16, 100, 20000, -20000);
        b.write(buf);
        auto out = play(100);
        EXPECT_EQ(left(out, 50), expected);
        EXPECT_EQ(right(out, 50), -expected);
        waveOutWaitForCallbacks();  // the buffer is back before it goes
    }
    WaveOutCaps caps;
    ASSERT_EQ(waveOutCaps(0, &caps), WaveResult::Ok);
    EXPECT_TRUE(caps.support & kWaveCapsVolume);
    EXPECT_FALSE(caps.support & kWaveCapsLrVolume);
    EXPECT_TRUE(caps.support & kWaveCapsPlaybackRate);
}

TEST_F(WaveOutTest, StreamsMixAndTheSumIsClipped) {
    const std::array<int16_t, 3> cases[] = {{10000, 5000, 15000}, {30000, 30000, 32767},
                                            {-30000, -30000, -32768}};
    Stream a(kStereo16), b(pcm(22050, 1, 16));
    for (auto [x, y, sum] : cases) {
        Buffer bx(kStereo16, 200, x, x), by(pcm(22050, 1, 16), 100, y);
        a.write(bx);
        b.write(by);
        auto out = play(200);
        EXPECT_EQ(left(out, 100), sum);
        EXPECT_EQ(right(out, 100), sum);
        waveOutWaitForCallbacks();
    }
}

TEST_F(WaveOutTest, PauseHoldsThePositionUntilRestart) {
    Buffer b(kStereo16, 1000, 300, 300);
    Stream s(kStereo16);
    s.write(b);
    play(100);
    ASSERT_EQ(waveOutPause(s.handle), WaveResult::Ok);
    auto paused = play(200);
    EXPECT_EQ(audio_test::rms(paused), 0.0);
    EXPECT_EQ(s.position(WaveTimeFormat::Samples), 100u);
    ASSERT_EQ(waveOutRestart(s.handle), WaveResult::Ok);
    auto resumed = play(100);
    EXPECT_EQ(left(resumed, 0), 300);
    EXPECT_EQ(s.position(WaveTimeFormat::Samples), 200u);
}

TEST_F(WaveOutTest, CloseWaitsForTheCallbackInFlightAndSendsCloseLast) {
    Event entered, release;
    std::atomic<bool> callbackFinished{false};
    Buffer b(kStereo16, 10, 1, 1);
    auto s = std::make_unique<Stream>(kStereo16, [&](WaveOutHandle, const Message& m) {
        if (m.message != kWaveOutDoneMessage) return;
        entered.set();
        release.wait();
        callbackFinished = true;
    });
    s->write(b);
    play(20);
    ASSERT_TRUE(entered.wait(5000));

    std::atomic<bool> closed{false};
    bool finishedBeforeClose = false;
    std::thread closer([&] {
        EXPECT_EQ(waveOutClose(s->handle), WaveResult::Ok);
        finishedBeforeClose = callbackFinished;
        closed = true;
    });
    // A negative can only be watched for a while: close must not get past the running callback.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(closed.load());
    release.set();
    closer.join();
    EXPECT_TRUE(finishedBeforeClose);
    auto messages = s->callbacks.taken();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().message, kWaveOutCloseMessage);
    Buffer again(kStereo16, 10, 1, 1);
    EXPECT_EQ(waveOutPrepareHeader(s->handle, &again.header), WaveResult::InvalidHandle);
    s->handle = 0;
}

TEST_F(WaveOutTest, CloseFromInsideTheCallbackDoesNotDeadlock) {
    Buffer b(kStereo16, 10, 1, 1);
    Stream s(kStereo16, [](WaveOutHandle h, const Message& m) {
        if (m.message == kWaveOutDoneMessage) {
            EXPECT_EQ(waveOutClose(h), WaveResult::Ok);
        }
    });
    s.write(b);
    play(20);
    waveOutWaitForCallbacks();
    auto messages = s.callbacks.taken();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2].message, kWaveOutCloseMessage);
    EXPECT_EQ(waveOutWrite(s.handle, &b.header), WaveResult::InvalidHandle);
    s.handle = 0;
}

TEST_F(WaveOutTest, MisuseIsAnsweredNotObeyed) {
    Buffer b(kStereo16, 100, 1, 1);
    Stream s(kStereo16);
    EXPECT_EQ(waveOutWrite(s.handle, &b.header), WaveResult::Unprepared);
    s.write(b);
    EXPECT_EQ(waveOutWrite(s.handle, &b.header), WaveResult::StillPlaying);
    EXPECT_EQ(waveOutUnprepareHeader(s.handle, &b.header), WaveResult::StillPlaying);
    EXPECT_EQ(waveOutClose(s.handle), WaveResult::StillPlaying);
    EXPECT_EQ(waveOutWrite(s.handle, nullptr), WaveResult::InvalidParam);
    EXPECT_EQ(waveOutWrite(12345, &b.header), WaveResult::InvalidHandle);
    EXPECT_EQ(waveOutReset(0), WaveResult::InvalidHandle);

    LogCapture log;
    WaveFormat bad[] = {pcm(kRate, 3, 16), pcm(kRate, 2, 24), pcm(500, 1, 8), kStereo16, kStereo16};
    bad[3].formatTag = 2;
    bad[4].blockAlign = 3;
    for (const WaveFormat& f : bad) {
        WaveOutHandle h = 99;
        EXPECT_EQ(waveOutOpen(&h, 0, f, nullptr, 0), WaveResult::BadFormat);
        EXPECT_EQ(h, 0u);
    }
    EXPECT_TRUE(log.contains("waveOutOpen: unsupported format"));
    WaveOutHandle h = 0;
    EXPECT_EQ(waveOutOpen(&h, 1, kStereo16, nullptr, 0), WaveResult::BadDevice);
}

TEST_F(WaveOutTest, NoDeviceWhileAudioIsDown) {
    audioShutdown();
    EXPECT_EQ(waveOutDeviceCount(), 0u);
    WaveOutHandle h = 0;
    EXPECT_EQ(waveOutOpen(&h, 0, kStereo16, nullptr, 0), WaveResult::BadDevice);
    uint32_t volume = 0;
    EXPECT_EQ(waveOutGetVolume(kWaveOutDevice0, &volume), WaveResult::BadDevice);
}

TEST_F(WaveOutTest, ShutdownClosesStreamsLeftOpen) {
    Callbacks callbacks;
    WaveOutHandle h = 0;
    ASSERT_EQ(waveOutOpen(&h, 0, kStereo16, &Callbacks::callback,
                          reinterpret_cast<uintptr_t>(&callbacks)),
              WaveResult::Ok);
    Buffer b(kStereo16, 100, 1, 1);
    ASSERT_EQ(waveOutPrepareHeader(h, &b.header), WaveResult::Ok);
    ASSERT_EQ(waveOutWrite(h, &b.header), WaveResult::Ok);
    LogCapture log;
    audioShutdown();
    EXPECT_TRUE(log.contains("closing 1 wave-out stream"));
    auto messages = callbacks.taken();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[1].header, &b.header);
    EXPECT_EQ(messages[2].message, kWaveOutCloseMessage);
}

// Real-time outputs: SDL's dummy driver, and the headless sink SDL falls back to.
TEST(AudioBackends, BuffersEndInRealTimeOnSdlAndOnTheFallback) {
    struct Case {
        const char* driver;
        AudioBackend expected;
    };
    for (Case c : {Case{"dummy", AudioBackend::Sdl}, Case{"no-such-driver", AudioBackend::Headless}}) {
        SCOPED_TRACE(c.driver);
        setenv("SDL_AUDIODRIVER", c.driver, 1);
        LogCapture log;
        AudioBackend backend = audioInit(AudioBackend::Sdl, {kRate, false, kRate});
        unsetenv("SDL_AUDIODRIVER");
        EXPECT_EQ(backend, c.expected);
        EXPECT_EQ(log.contains("using the headless sink"), c.expected == AudioBackend::Headless);
        EXPECT_EQ(audioPump(100), 0u);  // nothing to pump by hand in real time

        Event done;
        WaveOutHandle h = 0;
        ASSERT_EQ(waveOutOpen(&h, 0, kStereo16,
                              [](WaveOutHandle, uint32_t message, uintptr_t instance, uintptr_t,
                                 uintptr_t) {
                                  if (message == kWaveOutDoneMessage)
                                      reinterpret_cast<Event*>(instance)->set();
                              },
                              reinterpret_cast<uintptr_t>(&done)),
                  WaveResult::Ok);
        Buffer b(kStereo16, kRate / 20, 1000, 1000);  // 50 ms
        ASSERT_EQ(waveOutPrepareHeader(h, &b.header), WaveResult::Ok);
        ASSERT_EQ(waveOutWrite(h, &b.header), WaveResult::Ok);
        EXPECT_TRUE(done.wait(5000));
        EXPECT_EQ(waveOutClose(h), WaveResult::Ok);
        audioShutdown();
    }
}
