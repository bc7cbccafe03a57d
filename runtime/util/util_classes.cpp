#include "runtime/util/util_classes.h"

#include <new>

#include "runtime/util/hashtable.h"
#include "runtime/util/random.h"
#include "runtime/util/vector.h"

namespace mrc {

void registerUtilClasses() {
    NewInstanceFactory::add<java_util_Hashtable_HashtableEnumerator>();
    NewInstanceFactory::add<java_util_Hashtable>();
    NewInstanceFactory::add<java_util_HashtableEntry>();
    NewInstanceFactory::add<java_util_Random>();
    NewInstanceFactory::add<java_util_Vector>();
}

}  // namespace mrc
