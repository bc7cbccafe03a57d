#include "platform/media/dshow_player.h"

#include <cstdio>
#include <cstring>
#include <system_error>

#include "host/audio/media_graph.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "platform/media/media_support.h"
#include "runtime/lang/string.h"

namespace mrc {

std::atomic<int32_t> DShowPlayer::s_madeCount{0};

// What the loop thread works on. Owned by the player, freed once the thread has been joined.
struct DShowPlayer::LoopBlock {
    std::atomic<host::ThreadId>* threadId;
    host::MediaGraph* graph;
    int32_t rounds;
};

namespace {

constexpr int64_t kUnitsPerMicrosecond = 10;

bool equalsIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a + 32) : *a;
        char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b + 32) : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

}  // namespace

const char* DShowPlayer::extensionOf(const char* contentType) {
    const char* slash = std::strchr(contentType, '/');
    const char* subtype = slash ? slash + 1 : contentType;
    static constexpr const char* kMap[][2] = {
        {"x-wav", "wav"}, {"midi", "mid"}, {"amr", "amr"}, {"mpeg", "mp3"}, {"aac", "aac"}};
    for (const auto& entry : kMap)
        if (equalsIgnoringCase(subtype, entry[0])) return entry[1];
    return "NULL";
}

DShowPlayer* DShowPlayer::newInstance(const uint8_t* data, uint32_t length, const char* contentType) {
    DShowPlayer* player = newObject<DShowPlayer>();
    if (player) player->construct(data, length, contentType);
    return player;
}

void DShowPlayer::construct(const uint8_t* data, uint32_t length, const char* contentType) {
    m_state = UNREALIZED;
    int32_t number = s_madeCount.fetch_add(1) + 1;
    m_contentType = contentType;
    m_extension = extensionOf(contentType);
    m_fileName = media::temporaryFileName(number, m_extension);
    m_filePath = media::temporaryFilePath(m_fileName);
    std::FILE* file = std::fopen(m_filePath.c_str(), "wb");
    bool written = file && std::fwrite(data, 1, length, file) == length;
    if (file && std::fclose(file) != 0) written = false;
    if (!written) mrc_log("DShowPlayer: cannot write the temporary file \"%s\"", m_filePath.c_str());
}

bool DShowPlayer::create() {
    m_graph = std::make_unique<host::MediaGraph>();
    if (!m_graph->renderFile(m_filePath.string())) {
        mrc_log("ERROR - Could not construct a filter graph that will play the specified file.\n");
        return false;
    }
    return true;
}

DShowPlayer::~DShowPlayer() { close(); }

void* DShowPlayer::getInterface(int32_t interfaceId) {
    switch (interfaceId) {
    case kClass_javax_microedition_media_Controllable:
    case kClass_javax_microedition_media_Player:
        return static_cast<javax_microedition_media_Player*>(this);
    case kClass_javax_microedition_media_control_VolumeControl:
        return static_cast<javax_microedition_media_control_VolumeControl*>(this);
    default:
        return nullptr;
    }
}

Object* DShowPlayer::getControl(String*) { return nullptr; }

ObjectArray* DShowPlayer::getControls() { return nullptr; }

void DShowPlayer::realize() {
    if (m_state != CLOSED) m_state = REALIZED;
}

void DShowPlayer::prefetch() {
    if (m_state == CLOSED) return;
    if (m_state != REALIZED) realize();
    m_state = PREFETCHED;
}

void DShowPlayer::start() {
    if (m_state == CLOSED || !m_graph) return;
    if (m_state != PREFETCHED) prefetch();
    if (getMediaTime() >= getDuration()) setMediaTime(0);
    if (!m_graph->run()) {
        mrc_log("ERROR - Could not switch filter graph to running state.\n");
        return;
    }
    m_state = STARTED;
}

void DShowPlayer::stop() {
    if (m_state != PREFETCHED && m_state != STARTED) return;
    // The loop thread ends first, so that it cannot run the graph again behind the stop.
    endLoopThread();
    if (!m_graph->stop()) {
        mrc_log("ERROR - Could not switch filter graph to stopped state.\n");
        return;
    }
    m_state = kStopped;
}

void DShowPlayer::deallocate() {}

void DShowPlayer::close() {
    if (m_state == CLOSED) return;
    endLoopThread();
    m_graph.reset();
    if (!m_filePath.empty()) {
        std::error_code error;
        std::filesystem::remove(m_filePath, error);
    }
    m_fileName.clear();
    m_filePath.clear();
    m_state = CLOSED;
}

int64_t DShowPlayer::setMediaTime(int64_t now) {
    if (m_state < REALIZED || !m_graph) return -1;
    m_graph->pause();
    int64_t stop = 0;
    m_graph->stopPosition(stop);
    if (!m_graph->setPositions(now * kUnitsPerMicrosecond, stop)) {
        mrc_log("ERROR - Could not set needed position of the media stream.\n");
        return -1;
    }
    return now;
}

int64_t DShowPlayer::graphTime(bool (host::MediaGraph::*query)(int64_t&) const, const char* failure) {
    if (m_state < REALIZED || !m_graph) return 0;
    int64_t units = 0;
    if (!(m_graph.get()->*query)(units)) {
        mrc_log("%s", failure);
        return 0;
    }
    return units / kUnitsPerMicrosecond;
}

int64_t DShowPlayer::getMediaTime() {
    return graphTime(&host::MediaGraph::currentPosition, "ERROR - Could not return current position of the media stream.\n");
}

int64_t DShowPlayer::getDuration() {
    return graphTime(&host::MediaGraph::duration, "ERROR - Could not return stream duration.\n");
}

int32_t DShowPlayer::getState() {
    int32_t state = m_state;
    if (state < REALIZED || !m_graph) return 0;
    // Playing means running and short of the end: at its end the graph runs on, silent.
    if (m_graph->state() != host::GraphState::Running) return 0;
    return getMediaTime() < getDuration() ? state : 0;
}

String* DShowPlayer::getContentType() { return newString(m_contentType.c_str()); }

void DShowPlayer::setLoopCount(int32_t count) {
    if (m_state == CLOSED || !m_graph) return;
    int32_t rounds = count;
    if (count < 0) rounds = kEndlessRounds;
    else if (count == 0 || count == 1) return;
    realize();
    if (m_loopThreadId.load() != 0) return;
    endLoopThread();  // one that ended by itself: joined at once
    // Completions of earlier plays must not count as the end of this one.
    host::GraphEvent stale;
    while (m_graph->waitEvent(stale, 0) == host::GraphWait::Event) {
    }
    m_loopBlock = std::make_unique<LoopBlock>(LoopBlock{&m_loopThreadId, m_graph.get(), rounds});
    m_loopThread = host::Thread::createSuspended(&DShowPlayer::loopThreadMain, m_loopBlock.get());
    if (!m_loopThread) {
        mrc_log("DShowPlayer: cannot start the loop thread");
        m_loopBlock.reset();
        return;
    }
    m_loopThreadId = m_loopThread->id();
    m_loopThread->resume();
}

uint32_t DShowPlayer::loopThreadMain(void* arg) {
    LoopBlock* block = static_cast<LoopBlock*>(arg);
    host::MediaGraph* graph = block->graph;
    while (block->rounds >= 2) {
        host::GraphEvent event;
        host::GraphWait wait = graph->waitEvent(event, host::kInfinite);
        if (wait == host::GraphWait::Aborted) break;  // stop or close
        if (wait != host::GraphWait::Event) {
            host::sleepMs(20);
            mrc_log("ERROR - Could not get event.\n");
            continue;
        }
        if (event.code != host::kGraphEventComplete) continue;
        graph->pause();
        int64_t stop = 0;
        graph->stopPosition(stop);
        if (!graph->setPositions(0, stop)) {
            mrc_log("ERROR - Could not rewind the stream.\n");
            break;
        }
        graph->run();
        --block->rounds;
    }
    block->threadId->store(0);
    return 0;
}

void DShowPlayer::endLoopThread() {
    if (!m_loopThread) return;
    m_graph->abortEventWaits(true);
    m_loopThread->join();
    m_graph->abortEventWaits(false);
    m_loopThread.reset();
    m_loopBlock.reset();
    m_loopThreadId = 0;
}

// ---- VolumeControl --------------------------------------------------------------------------

int32_t DShowPlayer::getLevel() {
    if (m_state < REALIZED || !m_graph) return 0;
    int32_t level = 0;
    if (!m_graph->volume(level)) {
        mrc_log("ERROR - Could not retrieve volume level.\n");
        return 0;
    }
    return level / 100;
}

bool DShowPlayer::isMuted() { return m_state >= REALIZED && getLevel() == -100; }

int32_t DShowPlayer::setLevel(int32_t level) {
    if (m_state < REALIZED || !m_graph) return -1;
    int32_t previous = m_level;
    m_level = level;
    if (!m_graph->setVolume(level)) {
        mrc_log("ERROR - Could not set volume level.\n");
        return -1;
    }
    return previous;
}

void DShowPlayer::setMute(bool mute) {
    if (m_state < REALIZED || !m_graph) return;
    if (!m_graph->setVolume(mute ? host::kMediaVolumeSilent : m_level))
        mrc_log("ERROR - Could not set volume level.\n");
}

}  // namespace mrc
