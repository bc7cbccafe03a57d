#include "runtime/util/date.h"

#include "host/core/clock.h"
#include "runtime/core/application.h"
#include "runtime/core/array_base.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/util/calendar.h"
#include "runtime/util/calendar_text.h"
#include "runtime/util/library_support.h"
#include "runtime/util/time_zone.h"

using namespace mrc;

namespace {

// A String[] of `count` consecutive string constants, built on first use.
ObjectArray* nameTable(ObjectArray*& field, int32_t first, int32_t count) {
    if (ObjectArray* table = loadShared(field)) return table;
    ObjectArray* table = ApplicationImpl::getApplication()->objectManager->newObjectArray(kClass_String, count);
    if (isNull(table)) return nullptr;
    for (int32_t i = 0; i < count; ++i) table->elements()[i] = lib::constant(first + i);
    return publishShared(field, table);
}

// Appends table[index]; an index outside it raises java_lang_ArrayIndexOutOfBoundsException.
bool appendName(StringBuffer* text, ObjectArray* table, int32_t index) {
    if (!arrayAccessOk(table, index)) return false;
    text->appendString(static_cast<String*>(table->elements()[index]));
    return true;
}

}  // namespace

void java_util_Date::DateNow() { DateAt(host::tickCount64()); }

void java_util_Date::DateAt(int64_t millis) {
    time = millis;
    calendar = java_util_Calendar::getInstance();
    if (calendar) calendar->setTimeInMillis(millis);
}

java_util_Date* java_util_Date::newInstance() {
    auto* date = newObject<java_util_Date>();
    if (date) date->DateNow();
    return date;
}

java_util_Date* java_util_Date::newInstance(int64_t millis) {
    auto* date = newObject<java_util_Date>();
    if (date) date->DateAt(millis);
    return date;
}

int64_t java_util_Date::getTime() { return isNull(calendar) ? time : calendar->getTimeInMillis(); }

void java_util_Date::setTime(int64_t millis) {
    if (!isNull(calendar)) calendar->setTimeInMillis(millis);
    time = millis;
}

bool java_util_Date::equals(Object* other) {
    if (!Object::instanceOf(other, kClass_java_util_Date)) return false;
    int64_t mine = getTime();
    return mine == static_cast<java_util_Date*>(other)->getTime();
}

int32_t java_util_Date::hashCode() {
    auto t = static_cast<uint64_t>(getTime());
    return static_cast<int32_t>(t ^ (t >> 32));
}

String* java_util_Date::toString() { return formatText(calendar); }

String* java_util_Date::formatText(java_util_Calendar* c) {
    if (isNull(c)) return lib::constant(kNullCalendarConstant);
    ObjectArray* days = nameTable(zoneStatics.dayNames, kDayNameConstants, 7);
    ObjectArray* months = nameTable(zoneStatics.monthNames, kMonthNameConstants, 12);
    StringBuffer* text = newStringBuffer();
    if (!days || !months || !text) return nullptr;
    const int32_t weekday = c->get(java_util_Calendar::DAY_OF_WEEK);
    if (lib::exceptionPending() || !appendName(text, days, weekday - 1)) return nullptr;
    text->appendChar(u' ');
    if (!appendName(text, months, c->get(java_util_Calendar::MONTH))) return nullptr;
    text->appendChar(u' ');
    appendTwoDigits(text, c->get(java_util_Calendar::DATE));
    text->appendChar(u' ');
    appendTwoDigits(text, c->get(java_util_Calendar::HOUR_OF_DAY));
    text->appendChar(u':');
    appendTwoDigits(text, c->get(java_util_Calendar::MINUTE));
    text->appendChar(u':');
    appendTwoDigits(text, c->get(java_util_Calendar::SECOND));
    text->appendChar(u' ');
    String* id = isNull(c->zone) ? nullptr : c->zone->getID();
    text->appendString(isNull(id) ? lib::constant(kNoZoneIdConstant) : id);
    text->appendChar(u' ');
    appendYear(text, c->get(java_util_Calendar::YEAR));
    return text->toString();
}
