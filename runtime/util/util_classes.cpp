#include "runtime/util/util_classes.h"

#include <new>

#include "runtime/util/calendar.h"
#include "runtime/util/date.h"
#include "runtime/util/hashtable.h"
#include "runtime/util/random.h"
#include "runtime/util/time_zone.h"
#include "runtime/util/timer.h"
#include "runtime/util/vector.h"

namespace mrc {

void registerUtilClasses() {
    NewInstanceFactory::add<java_util_Calendar>();
    NewInstanceFactory::add<java_util_Date>();
    NewInstanceFactory::add<java_util_Hashtable_HashtableEnumerator>();
    NewInstanceFactory::add<java_util_Hashtable>();
    NewInstanceFactory::add<java_util_HashtableEntry>();
    NewInstanceFactory::add<java_util_Random>();
    NewInstanceFactory::add<java_util_TaskQueue>();
    NewInstanceFactory::add<java_util_TimeZoneImpl>();
    NewInstanceFactory::add<java_util_Vector>();
}

}  // namespace mrc
