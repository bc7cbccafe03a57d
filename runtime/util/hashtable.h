// java.util.Hashtable: a synchronized map from keys to values with separate chaining, a fixed
// load factor of 75 percent and growth to 2 × capacity + 1; and its enumerator of keys or values.
//
// Buckets: (hashCode AND 0x7FFFFFFF) mod capacity, new entries at the head of their chain.
// Null keys and values raise java_lang_NullPointerException; a failed operation leaves the table
// unchanged.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"
#include "runtime/util/enumeration.h"

class ObjectArray;
class java_util_Hashtable_HashtableEnumerator;

class java_util_HashtableEntry : public Object {
public:
    MRC_CLASS(java_util_HashtableEntry, Object);
    MRC_REF_FIELDS(&java_util_HashtableEntry::key, &java_util_HashtableEntry::value, &java_util_HashtableEntry::next);

    int32_t hash;  // the key's hashCode as it returned it
    Object* key;
    Object* value;
    java_util_HashtableEntry* next;
};

class java_util_Hashtable : public Object {
public:
    MRC_CLASS(java_util_Hashtable, Object);
    MRC_REF_FIELDS(&java_util_Hashtable::table);
    static constexpr int32_t kDefaultCapacity = 11;
    // The texts of toString: "{", ", " between entries, "=" between key and value, "}".
    static constexpr int32_t kOpenConstant = 588;
    static constexpr int32_t kEntrySeparatorConstant = 589;
    static constexpr int32_t kKeyValueSeparatorConstant = 590;
    static constexpr int32_t kCloseConstant = 591;

    // A new, empty table; null when the object heap is exhausted or the capacity is negative.
    static java_util_Hashtable* newInstance(int32_t initialCapacity = kDefaultCapacity);

    // The constructors: capacity 1 for 0; a negative capacity raises
    // java_lang_IllegalArgumentException and leaves the table without buckets.
    void HashtableWithCapacity(int32_t initialCapacity);
    void HashtableDefault();

    // "{key=value, ...}" in enumeration order, its texts string constants.
    String* toString() override;
    // Slots 6-9.
    virtual int32_t size();
    virtual bool isEmpty();
    virtual bool contains(Object* value);  // some value equals it (the stored value's equals)
    virtual void clear();                  // capacity kept

    // Enumerators over the buckets as they are now, highest bucket first.
    java_util_Hashtable_HashtableEnumerator* keys();
    java_util_Hashtable_HashtableEnumerator* elements();
    bool containsKey(Object* key);
    Object* get(Object* key);
    // The previous value, or null. Grows first when a new key meets count >= threshold.
    Object* put(Object* key, Object* value);
    Object* remove(Object* key);

    ObjectArray* table;
    int32_t count;
    int32_t threshold;

protected:
    // Relinks every entry into a table of 2 × capacity + 1 buckets; false (traced) when memory
    // runs out, the table then kept.
    bool rehash();

private:
    // The bucket array, or null (reported) when the table has none.
    ObjectArray* buckets();
    java_util_HashtableEntry* find(Object* key, int32_t hash);
    java_util_Hashtable_HashtableEnumerator* enumerator(bool keys);
};

class java_util_Hashtable_HashtableEnumerator : public Object, public java_util_Enumeration {
public:
    MRC_CLASS(java_util_Hashtable_HashtableEnumerator, Object);
    MRC_REF_FIELDS(&java_util_Hashtable_HashtableEnumerator::table, &java_util_Hashtable_HashtableEnumerator::entry,
                   &java_util_Hashtable_HashtableEnumerator::hashtable);
    // Message of java_util_NoSuchElementException past the end ("HashtableEnumerator").
    static constexpr int32_t kNoSuchElementConstant = 592;

    void* getInterface(int32_t interfaceId) override;  // the Enumeration sub-object for id 54

    // The constructor: keys (true) or values of `table`, from its highest bucket down.
    void HashtableEnumerator(java_util_Hashtable* owner, ObjectArray* buckets, bool keys);

    bool hasMoreElements() override;
    // The next key or value; java_util_NoSuchElementException (and null) when none is left.
    Object* nextElement() override;

    bool keys;
    int32_t index;  // the next bucket to look at, counting down
    ObjectArray* table;
    java_util_HashtableEntry* entry;
    java_util_Hashtable* hashtable;

private:
    // Finds the next entry when none is pending; false when none is left.
    bool advance();
};
