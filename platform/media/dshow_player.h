// DShowPlayer: MIDI ("audio/midi") and AMR ("audio/amr") sounds played by a media graph. At
// creation the bytes go to a temporary file "\temp\sound<n>.<ext>" (n counts every DShowPlayer
// ever made) and the graph renders that file; the Player operations run, pause, stop and seek the
// graph. Looping is a thread that waits for the graph's completion event and rewinds and reruns
// it. Media times are microseconds here and 100-nanosecond units in the graph; levels are the
// graph's hundredths of a decibel.
//
// The player object has class id 94; getInterface answers 91 and 94 with the Player word and 99
// with the VolumeControl word.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "host/core/thread.h"
#include "platform/media/player.h"
#include "runtime/core/object.h"

namespace host {
class MediaGraph;
}

namespace mrc {

class DShowPlayer : public Object,
                    public javax_microedition_media_Player,
                    public javax_microedition_media_control_VolumeControl {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = kClass_javax_microedition_media_Player;
    // The state a successful stop stores (getState never answers it).
    static constexpr int32_t kStopped = 600;
    // The rounds setLoopCount(-1) asks for.
    static constexpr int32_t kEndlessRounds = 100000;

    // A new player whose temporary file holds the bytes; null when the object heap is exhausted.
    // The graph is built by create().
    static DShowPlayer* newInstance(const uint8_t* data, uint32_t length, const char* contentType);
    // The constructor: state 100, one more player made, the content type kept, the file extension
    // taken from it, the temporary file written.
    void construct(const uint8_t* data, uint32_t length, const char* contentType);
    // Builds the graph on the temporary file; false, with a log line, when it cannot.
    bool create();

    ~DShowPlayer() override;  // closes
    void* getInterface(int32_t interfaceId) override;

    // Player.
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

    // VolumeControl, in hundredths of a decibel (0 loudest, -10000 silent).
    int32_t getLevel() override;
    bool isMuted() override;
    int32_t setLevel(int32_t level) override;
    void setMute(bool mute) override;

    // The file extension of a content type: its part after the first '/', or all of it.
    static const char* extensionOf(const char* contentType);

    // Read-only views for tests and diagnostics.
    int32_t storedState() const { return m_state; }
    bool loopThreadRunning() const { return m_loopThreadId.load() != 0; }
    const std::string& fileName() const { return m_fileName; }
    const std::filesystem::path& filePath() const { return m_filePath; }
    static int32_t madeCount() { return s_madeCount.load(); }
    // Sets the count of players made (tests of large numbers).
    static void setMadeCount(int32_t count) { s_madeCount.store(count); }

private:
    struct LoopBlock;
    static uint32_t loopThreadMain(void* block);
    // Ends the loop thread, if any, and waits for it; its block goes with it.
    void endLoopThread();
    // A position of the graph in microseconds: 0 before realize, or with a log line on failure.
    int64_t graphTime(bool (host::MediaGraph::*query)(int64_t&) const, const char* failure);

    std::string m_fileName;          // device name
    std::filesystem::path m_filePath;  // the real file
    std::atomic<int32_t> m_state;
    int32_t m_level;
    std::string m_contentType;
    const char* m_extension;
    std::unique_ptr<host::MediaGraph> m_graph;
    std::atomic<host::ThreadId> m_loopThreadId;  // non-zero while a loop thread runs
    std::unique_ptr<host::Thread> m_loopThread;
    std::unique_ptr<LoopBlock> m_loopBlock;

    static std::atomic<int32_t> s_madeCount;
};

}  // namespace mrc
