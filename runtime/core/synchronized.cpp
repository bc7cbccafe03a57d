#include "runtime/core/synchronized.h"

#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"

namespace mrc {

Synchronized::Synchronized(Object* object) : m_object(object) {
    ApplicationImpl::getApplication()->objectManager->monitorEnter(object);
}

Synchronized::~Synchronized() { ApplicationImpl::getApplication()->objectManager->monitorExit(m_object); }

}  // namespace mrc
