// A synchronized body of the library classes: holds the object's monitor from construction to
// the end of the scope, so every exit path, an early return after a raised exception included,
// releases it.
#pragma once

class Object;

namespace mrc {

class Synchronized {
public:
    explicit Synchronized(Object* object);
    ~Synchronized();
    Synchronized(const Synchronized&) = delete;
    Synchronized& operator=(const Synchronized&) = delete;

private:
    Object* m_object;
};

}  // namespace mrc
