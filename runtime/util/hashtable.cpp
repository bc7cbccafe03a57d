#include "runtime/util/hashtable.h"

#include <algorithm>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/synchronized.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/library_support.h"

using namespace mrc;

namespace {

ObjectArray* newBuckets(int32_t n) { return ApplicationImpl::getApplication()->objectManager->newObjectArray(0, n); }

int32_t thresholdOf(int32_t capacity) { return static_cast<int32_t>(int64_t{capacity} * 75 / 100); }

int32_t bucketOf(int32_t hash, int32_t capacity) { return (hash & 0x7FFFFFFF) % capacity; }

java_util_HashtableEntry*& head(ObjectArray* buckets, int32_t i) {
    return reinterpret_cast<java_util_HashtableEntry*&>(buckets->elements()[i]);
}

bool nullRaised(const Object* o) {
    if (o) return false;
    raise(kClass_java_lang_NullPointerException);
    return true;
}

}  // namespace

java_util_Hashtable* java_util_Hashtable::newInstance(int32_t initialCapacity) {
    auto* h = newObject<java_util_Hashtable>();
    if (!h) return nullptr;
    h->HashtableWithCapacity(initialCapacity);
    return isNull(h->table) ? nullptr : h;
}

void java_util_Hashtable::HashtableWithCapacity(int32_t initialCapacity) {
    if (initialCapacity < 0) {
        raise(kClass_java_lang_IllegalArgumentException);
        return;
    }
    const int32_t capacity = initialCapacity == 0 ? 1 : initialCapacity;
    table = newBuckets(capacity);
    threshold = thresholdOf(capacity);
}

void java_util_Hashtable::HashtableDefault() { HashtableWithCapacity(kDefaultCapacity); }

ObjectArray* java_util_Hashtable::buckets() {
    if (lib::isNullReported(table)) return nullptr;
    // A table without buckets cannot place a key (and must not divide by zero).
    if (table->length <= 0 || !table->data) {
        ApplicationImpl::getApplication()->reportError("Hashtable without buckets");
        return nullptr;
    }
    return table;
}

// ---- slots 6-9 ---------------------------------------------------------------------------

int32_t java_util_Hashtable::size() { return count; }

bool java_util_Hashtable::isEmpty() { return count == 0; }

bool java_util_Hashtable::contains(Object* value) {
    Synchronized lock(this);
    if (nullRaised(value)) return false;
    ObjectArray* tab = buckets();
    if (!tab) return false;
    for (int32_t i = tab->length - 1; i >= 0; --i)
        for (java_util_HashtableEntry* e = head(tab, i); e; e = e->next)
            if (e->value->equals(value)) return true;
    return false;
}

void java_util_Hashtable::clear() {
    Synchronized lock(this);
    ObjectArray* tab = buckets();
    if (!tab) return;
    for (int32_t i = tab->length - 1; i >= 0; --i) head(tab, i) = nullptr;
    count = 0;
}

// ---- lookup ------------------------------------------------------------------------------

java_util_HashtableEntry* java_util_Hashtable::find(Object* key, int32_t hash) {
    ObjectArray* tab = buckets();
    if (!tab) return nullptr;
    for (java_util_HashtableEntry* e = head(tab, bucketOf(hash, tab->length)); e; e = e->next)
        if (e->hash == hash && e->key->equals(key)) return e;
    return nullptr;
}

bool java_util_Hashtable::containsKey(Object* key) {
    Synchronized lock(this);
    if (nullRaised(key)) return false;
    return find(key, key->hashCode()) != nullptr;
}

Object* java_util_Hashtable::get(Object* key) {
    Synchronized lock(this);
    if (nullRaised(key)) return nullptr;
    java_util_HashtableEntry* e = find(key, key->hashCode());
    return e ? e->value : nullptr;
}

Object* java_util_Hashtable::put(Object* key, Object* value) {
    Synchronized lock(this);
    if (nullRaised(value) || nullRaised(key)) return nullptr;
    const int32_t hash = key->hashCode();
    if (!buckets()) return nullptr;
    if (java_util_HashtableEntry* e = find(key, hash)) {
        Object* old = e->value;
        e->value = value;
        return old;
    }
    if (count >= threshold && rehash()) return put(key, value);
    auto* e = newObject<java_util_HashtableEntry>();
    if (!e) {
        mrc_log("Hashtable: no memory for an entry");
        return nullptr;
    }
    // Creating the entry may have moved the bucket array's elements: index them afresh.
    java_util_HashtableEntry*& first = head(table, bucketOf(hash, table->length));
    e->hash = hash;
    e->key = key;
    e->value = value;
    e->next = first;
    first = e;
    ++count;
    return nullptr;
}

Object* java_util_Hashtable::remove(Object* key) {
    Synchronized lock(this);
    if (nullRaised(key)) return nullptr;
    const int32_t hash = key->hashCode();
    ObjectArray* tab = buckets();
    if (!tab) return nullptr;
    const int32_t bucket = bucketOf(hash, tab->length);
    for (java_util_HashtableEntry *e = head(tab, bucket), *prev = nullptr; e; prev = e, e = e->next) {
        if (e->hash != hash || !e->key->equals(key)) continue;
        // equals may have run anything: the bucket's element is indexed afresh.
        (prev ? prev->next : head(tab, bucket)) = e->next;
        --count;
        return e->value;
    }
    return nullptr;
}

bool java_util_Hashtable::rehash() {
    ObjectArray* old = table;
    const int32_t oldCapacity = old->length;
    const int32_t capacity = static_cast<int32_t>(std::min<int64_t>(int64_t{oldCapacity} * 2 + 1, INT32_MAX));
    ObjectArray* grown = newBuckets(capacity);
    if (isNull(grown)) {
        mrc_log("Hashtable: no memory for %d buckets", capacity);
        return false;
    }
    threshold = thresholdOf(capacity);
    table = grown;
    for (int32_t i = oldCapacity - 1; i >= 0; --i) {
        java_util_HashtableEntry* e = head(old, i);
        while (e) {
            java_util_HashtableEntry* next = e->next;
            java_util_HashtableEntry*& first = head(grown, bucketOf(e->hash, capacity));
            e->next = first;
            first = e;
            e = next;
        }
    }
    return true;
}

// ---- enumeration and text ----------------------------------------------------------------

java_util_Hashtable_HashtableEnumerator* java_util_Hashtable::enumerator(bool keys) {
    Synchronized lock(this);
    auto* e = newObject<java_util_Hashtable_HashtableEnumerator>();
    if (e) e->HashtableEnumerator(this, table, keys);
    return e;
}

java_util_Hashtable_HashtableEnumerator* java_util_Hashtable::keys() { return enumerator(true); }

java_util_Hashtable_HashtableEnumerator* java_util_Hashtable::elements() { return enumerator(false); }

String* java_util_Hashtable::toString() {
    Synchronized lock(this);
    const int32_t n = size();
    StringBuffer* text = newStringBuffer(16);
    java_util_Hashtable_HashtableEnumerator* k = keys();
    java_util_Hashtable_HashtableEnumerator* v = elements();
    if (!text || !k || !v) return nullptr;
    text->appendString(lib::constant(kOpenConstant));
    for (int32_t i = 0; i < n; ++i) {
        Object* key = k->nextElement();
        Object* value = v->nextElement();
        if (lib::exceptionPending()) return nullptr;
        StringBuffer* entry = newStringBuffer(16);
        if (!entry) return nullptr;
        entry->appendString(key->toString());
        entry->appendString(lib::constant(kKeyValueSeparatorConstant));
        entry->appendString(value->toString());
        text->appendString(entry->toString());
        if (i < n - 1) text->appendString(lib::constant(kEntrySeparatorConstant));
    }
    text->appendString(lib::constant(kCloseConstant));
    return text->toString();
}

// ---- the enumerator ----------------------------------------------------------------------

void* java_util_Hashtable_HashtableEnumerator::getInterface(int32_t interfaceId) {
    return interfaceId == kClass_java_util_Enumeration ? static_cast<java_util_Enumeration*>(this) : nullptr;
}

void java_util_Hashtable_HashtableEnumerator::HashtableEnumerator(java_util_Hashtable* owner, ObjectArray* buckets,
                                                                  bool enumerateKeys) {
    hashtable = owner;
    table = buckets;
    keys = enumerateKeys;
    index = isNull(buckets) ? 0 : buckets->length;
    entry = nullptr;
}

bool java_util_Hashtable_HashtableEnumerator::advance() {
    if (entry) return true;
    while (index > 0) {
        --index;
        entry = reinterpret_cast<java_util_HashtableEntry*>(table->elements()[index]);
        if (entry) return true;
    }
    return false;
}

bool java_util_Hashtable_HashtableEnumerator::hasMoreElements() { return advance(); }

Object* java_util_Hashtable_HashtableEnumerator::nextElement() {
    if (!advance()) {
        lib::raiseWithConstant(kClass_java_util_NoSuchElementException, kNoSuchElementConstant);
        return nullptr;
    }
    java_util_HashtableEntry* e = entry;
    entry = e->next;
    return keys ? e->key : e->value;
}
