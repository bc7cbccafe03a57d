// The Mobile Media API as the game drives it: the Player interface with its states, Controllable,
// the controls and PlayerListener. Each interface is an abstract class whose sub-object is the
// interface word that Object::getInterface answers; operations are declared in slot order.
//
// javax_microedition_media_Control (90) and javax_microedition_media_control_MIDIControl (96)
// have no operation that anything calls: they exist only as class ids. MediaException (93) is
// one of the exception ids served by java_lang_Throwable.
#pragma once

#include <cstdint>

class Object;
class ObjectArray;
class String;

// Interface 91.
class javax_microedition_media_Controllable {
public:
    virtual Object* getControl(String* controlType) = 0;  // slot 0
    virtual ObjectArray* getControls() = 0;               // slot 1

protected:
    ~javax_microedition_media_Controllable() = default;
};

// Interface 94; Controllable's two operations are its slots 0 and 1, so a Player word serves as
// a Controllable word too.
class javax_microedition_media_Player : public javax_microedition_media_Controllable {
public:
    // The values getState answers.
    static constexpr int32_t CLOSED = 0;
    static constexpr int32_t UNREALIZED = 100;
    static constexpr int32_t REALIZED = 200;
    static constexpr int32_t PREFETCHED = 300;
    static constexpr int32_t STARTED = 400;

    virtual void realize() = 0;                     // slot 2
    virtual void prefetch() = 0;                    // slot 3
    virtual void start() = 0;                       // slot 4
    virtual void stop() = 0;                        // slot 5
    virtual void deallocate() = 0;                  // slot 6
    virtual void close() = 0;                       // slot 7
    virtual int64_t setMediaTime(int64_t now) = 0;  // slot 8: microseconds
    virtual int64_t getMediaTime() = 0;             // slot 9
    virtual int32_t getState() = 0;                 // slot 10
    virtual int64_t getDuration() = 0;              // slot 11
    virtual String* getContentType() = 0;           // slot 12
    virtual void setLoopCount(int32_t count) = 0;   // slot 13

protected:
    ~javax_microedition_media_Player() = default;
};

// Interface 99.
class javax_microedition_media_control_VolumeControl {
public:
    virtual int32_t getLevel() = 0;              // slot 0
    virtual bool isMuted() = 0;                  // slot 1
    virtual int32_t setLevel(int32_t level) = 0;  // slot 2: the previous level
    virtual void setMute(bool mute) = 0;         // slot 3

protected:
    ~javax_microedition_media_control_VolumeControl() = default;
};

// Interface 97. Rates in milli-percent: 100000 is normal speed.
class javax_microedition_media_control_RateControl {
public:
    virtual int32_t getMinRate() = 0;             // slot 0
    virtual int32_t getMaxRate() = 0;             // slot 1
    virtual int32_t getRate() = 0;                // slot 2
    virtual int32_t setRate(int32_t rate) = 0;    // slot 3

protected:
    ~javax_microedition_media_control_RateControl() = default;
};

// Interface 98: RateControl's four operations, then its own two. Declared apart from RateControl
// so that a class can carry both words without an ambiguous base.
class javax_microedition_media_control_TempoControl {
public:
    virtual int32_t getMinRate() = 0;               // slot 0
    virtual int32_t getMaxRate() = 0;               // slot 1
    virtual int32_t getRate() = 0;                  // slot 2
    virtual int32_t setRate(int32_t rate) = 0;      // slot 3
    virtual int32_t setTempo(int32_t tempo) = 0;    // slot 4
    virtual int32_t getTempo() = 0;                 // slot 5

protected:
    ~javax_microedition_media_control_TempoControl() = default;
};

// Interface 95. No player calls a listener.
class javax_microedition_media_PlayerListener {
public:
    virtual void playerUpdate(Object* player, String* event, Object* eventData) = 0;  // slot 0

protected:
    ~javax_microedition_media_PlayerListener() = default;
};

namespace mrc::media {

// The Player word of a player object (null for null, or for an object that is no player).
javax_microedition_media_Player* playerOf(Object* player);

}  // namespace mrc::media
