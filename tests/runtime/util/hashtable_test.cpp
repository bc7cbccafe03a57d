// java.util.Hashtable and its enumerator: growth, bucket placement, replacement, removal, null
// arguments, enumeration order and text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/lang/character.h"
#include "runtime/lang/numbers.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/hashtable.h"
#include "tests/runtime/util/library_fixture.h"

namespace {

using namespace mrc::test;

// A key with a chosen hash code, equal to any key of the same id.
class Key : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_Object;

    static Key* create(int32_t id, int32_t hash) {
        auto* k = mrc::newObject<Key>();
        k->id = id;
        k->hash = hash;
        return k;
    }
    bool equals(Object* other) override {
        auto* k = dynamic_cast<Key*>(other);
        return k && k->id == id;
    }
    int32_t hashCode() override { return hash; }
    String* toString() override { return mrc::newString(("k" + std::to_string(id)).c_str()); }

    int32_t id;
    int32_t hash;
};

class Hashtables : public LibraryTest {
protected:
    static String* text(const char* s) { return mrc::newString(s); }
    static std::string all(java_util_Hashtable_HashtableEnumerator* e) {
        std::string out;
        while (e->hasMoreElements()) out += narrow(e->nextElement()->toString()) + ",";
        return out;
    }
};

TEST_F(Hashtables, GrowBeforeInsertingWhenTheCountReachesTheThreshold) {
    struct Case {
        int32_t initial;  // -1: the default constructor
        std::vector<std::pair<int32_t, int32_t>> after;  // capacity and threshold after each put
    } cases[] = {
        {-1, {{11, 8}, {11, 8}, {11, 8}, {11, 8}, {11, 8}, {11, 8}, {11, 8}, {11, 8}, {23, 17}}},
        {0, {{3, 2}, {3, 2}, {7, 5}, {7, 5}, {7, 5}, {15, 11}}},  // capacity 1, threshold 0
        {1, {{3, 2}, {3, 2}, {7, 5}}},
        {4, {{4, 3}, {4, 3}, {4, 3}, {9, 6}}},
    };
    for (const Case& c : cases) {
        auto* h = mrc::newObject<java_util_Hashtable>();
        if (c.initial < 0)
            h->HashtableDefault();
        else
            h->HashtableWithCapacity(c.initial);
        for (std::size_t i = 0; i < c.after.size(); ++i) {
            h->put(Key::create(static_cast<int32_t>(i), static_cast<int32_t>(i * 7)), text("v"));
            EXPECT_EQ(h->table->length, c.after[i].first) << c.initial << " put " << i + 1;
            EXPECT_EQ(h->threshold, c.after[i].second) << c.initial << " put " << i + 1;
        }
        EXPECT_EQ(h->size(), static_cast<int32_t>(c.after.size()));
        for (std::size_t i = 0; i < c.after.size(); ++i)
            EXPECT_NE(h->get(Key::create(static_cast<int32_t>(i), static_cast<int32_t>(i * 7))), nullptr);
    }
    // The default growth runs 11, 23, 47, 95 with thresholds 8, 17, 35, 71.
    auto* h = java_util_Hashtable::newInstance();
    std::vector<std::pair<int32_t, int32_t>> seen;
    for (int32_t i = 0; i < 71; ++i) {
        h->put(Key::create(i, i), text("v"));
        if (seen.empty() || seen.back().first != h->table->length) seen.push_back({h->table->length, h->threshold});
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int32_t, int32_t>>{{11, 8}, {23, 17}, {47, 35}, {95, 71}}));
    EXPECT_EQ(takePending(), "");
}

TEST_F(Hashtables, ReplacingAValueNeverGrows) {
    auto* h = java_util_Hashtable::newInstance(4);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(h->put(Key::create(i, i), text("old")), nullptr);
    EXPECT_EQ(h->size(), h->threshold);
    Object* old = h->put(Key::create(1, 1), text("new"));
    EXPECT_EQ(narrow(old->toString()), "old");
    EXPECT_EQ(h->size(), 3);
    EXPECT_EQ(h->table->length, 4);
    EXPECT_EQ(narrow(h->get(Key::create(1, 1))->toString()), "new");
}

// Boxed values that compare by value hash by value: a second box of the same value finds the
// entry. Long mixes its two halves, as Java does.
TEST_F(Hashtables, BoxedKeysOfEqualValueFindEachOther) {
    auto* h = java_util_Hashtable::newInstance();
    struct Case {
        Object* key;
        Object* sameValue;
        int32_t hash;
    } cases[] = {
        {mrc::newInteger(-7), mrc::newInteger(-7), -7},
        {mrc::newLong(0x123456789LL), mrc::newLong(0x123456789LL), 0x23456788},
        {mrc::newLong(-1), mrc::newLong(-1), 0},
        {mrc::newCharacter(u'\u00e9'), mrc::newCharacter(u'\u00e9'), 0xE9},
    };
    for (const Case& c : cases) h->put(c.key, text("v"));
    for (const Case& c : cases) {
        EXPECT_EQ(c.sameValue->hashCode(), c.hash);
        EXPECT_TRUE(h->containsKey(c.sameValue)) << c.hash;
        EXPECT_NE(h->get(c.sameValue), nullptr) << c.hash;
    }
}

TEST_F(Hashtables, KeysLandInTheirBucketEvenWithNegativeHashCodes) {
    auto* h = java_util_Hashtable::newInstance(11);
    for (int32_t hash : {-5, INT32_MIN, -1, 7}) {
        Key* k = Key::create(hash, hash);
        h->put(k, text("v"));
        const int32_t bucket = (hash & 0x7FFFFFFF) % 11;
        auto* head = static_cast<java_util_HashtableEntry*>(h->table->elements()[bucket]);
        ASSERT_NE(head, nullptr) << hash;
        EXPECT_EQ(head->key, k) << hash;
        EXPECT_EQ(head->hash, hash);
        EXPECT_TRUE(h->containsKey(Key::create(hash, hash)));
    }
    // Equal ids with different hash codes are different keys: the hash is compared first.
    EXPECT_FALSE(h->containsKey(Key::create(7, 18)));
}

TEST_F(Hashtables, EnumerateFromTheHighestBucketAndTheNewestEntry) {
    auto* h = java_util_Hashtable::newInstance(11);
    const int32_t order[][2] = {{1, 1}, {2, 12}, {3, 5}, {4, 0}, {5, 23}, {6, 10}};  // id, hash
    for (const auto& k : order) h->put(Key::create(k[0], k[1]), mrc::newString(("v" + std::to_string(k[0])).c_str()));
    EXPECT_EQ(all(h->keys()), "k6,k3,k5,k2,k1,k4,");
    EXPECT_EQ(all(h->elements()), "v6,v3,v5,v2,v1,v4,");
    EXPECT_EQ(narrow(h->toString()), "{k6=v6, k3=v3, k5=v5, k2=v2, k1=v1, k4=v4}");

    auto* e = h->keys();
    auto* asInterface = static_cast<java_util_Enumeration*>(e->getInterface(mrc::kClass_java_util_Enumeration));
    ASSERT_EQ(asInterface, static_cast<java_util_Enumeration*>(e));
    EXPECT_TRUE(asInterface->hasMoreElements());
    EXPECT_EQ(narrow(asInterface->nextElement()->toString()), "k6");
    EXPECT_EQ(e->getInterface(mrc::kClass_java_lang_Runnable), nullptr);
    EXPECT_TRUE(Object::instanceOf(e, mrc::kClass_java_util_Enumeration));
    EXPECT_EQ(takePending(), "");
}

TEST_F(Hashtables, EmptyTablesEnumerateNothing) {
    auto* h = java_util_Hashtable::newInstance();
    EXPECT_EQ(narrow(h->toString()), "{}");
    auto* e = h->elements();
    EXPECT_FALSE(e->hasMoreElements());
    EXPECT_FALSE(e->hasMoreElements());
    EXPECT_EQ(e->nextElement(), nullptr);
    auto* error = static_cast<java_lang_Throwable*>(app()->getPendingException());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(narrow(error->message), "HashtableEnumerator");
    EXPECT_EQ(takePending(), "NoSuchElementException");
}

TEST_F(Hashtables, RemoveUnlinksFromAnywhereInTheChain) {
    auto* h = java_util_Hashtable::newInstance(7);
    // Ids 1-3 share bucket 0; the chain is 3, 2, 1.
    for (int32_t id : {1, 2, 3}) h->put(Key::create(id, 7 * id), mrc::newString(std::to_string(id).c_str()));
    h->put(Key::create(4, 4), text("4"));
    EXPECT_EQ(h->remove(Key::create(9, 7)), nullptr);
    EXPECT_EQ(narrow(h->remove(Key::create(2, 14))->toString()), "2");
    EXPECT_EQ(all(h->keys()), "k4,k3,k1,");
    EXPECT_EQ(narrow(h->remove(Key::create(3, 21))->toString()), "3");
    EXPECT_EQ(narrow(h->remove(Key::create(1, 7))->toString()), "1");
    EXPECT_EQ(h->table->elements()[0], nullptr);
    EXPECT_EQ(h->size(), 1);
    EXPECT_TRUE(h->contains(text("4")));
    EXPECT_FALSE(h->contains(text("1")));
    h->clear();
    EXPECT_TRUE(h->isEmpty());
    EXPECT_EQ(h->get(Key::create(4, 4)), nullptr);
    EXPECT_EQ(h->table->length, 7);
    EXPECT_EQ(takePending(), "");
}

TEST_F(Hashtables, NullKeysAndValuesRaiseAndChangeNothing) {
    auto* h = java_util_Hashtable::newInstance();
    h->put(text("k"), text("v"));
    struct Case {
        const char* what;
        void (*op)(java_util_Hashtable*);
    } cases[] = {
        {"put(k, null)", [](java_util_Hashtable* t) { t->put(mrc::newString("x"), nullptr); }},
        {"put(null, v)", [](java_util_Hashtable* t) { t->put(nullptr, mrc::newString("x")); }},
        {"get(null)", [](java_util_Hashtable* t) { t->get(nullptr); }},
        {"containsKey(null)", [](java_util_Hashtable* t) { t->containsKey(nullptr); }},
        {"remove(null)", [](java_util_Hashtable* t) { t->remove(nullptr); }},
        {"contains(null)", [](java_util_Hashtable* t) { t->contains(nullptr); }},
    };
    for (const Case& c : cases) {
        c.op(h);
        EXPECT_EQ(takePending(), "NullPointerException") << c.what;
        EXPECT_EQ(h->size(), 1) << c.what;
        EXPECT_FALSE(impl()->monitors.heldByCurrentThread(h)) << c.what;
    }
    EXPECT_EQ(java_util_Hashtable::newInstance(-1), nullptr);
    EXPECT_EQ(takePending(), "IllegalArgumentException");
}

}  // namespace
