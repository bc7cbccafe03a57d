// java.util.Vector and Stack: growth, index errors and their messages, search, removal and the
// stack operations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/core/log.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/vector.h"
#include "tests/runtime/util/library_fixture.h"

namespace {

using namespace mrc::test;

class Vectors : public LibraryTest {
protected:
    // A vector of the given one-letter strings (null for '-').
    static java_util_Vector* vectorOf(std::string letters, int32_t capacity = 10) {
        auto* v = mrc::newObject<java_util_Vector>();
        v->VectorWithCapacity(capacity);
        for (char c : letters) v->addElement(c == '-' ? nullptr : letter(c));
        return v;
    }
    static String* letter(char c) { return mrc::newString(std::string(1, c).c_str()); }
    // The elements as letters, '-' for null, then '|' and the slots beyond the count.
    static std::string contents(java_util_Vector* v) {
        std::string out;
        for (int32_t i = 0; i < v->capacity(); ++i) {
            if (i == v->size()) out += '|';
            Object* e = v->elementData->elements()[i];
            out += e ? narrow(static_cast<String*>(e)) : "-";
        }
        if (v->size() == v->capacity()) out += '|';
        return out;
    }
    static std::string pendingMessage() {
        auto* e = static_cast<java_lang_Throwable*>(app()->getPendingException());
        return e && e->message ? narrow(e->message) : "";
    }
};

class Stacks : public Vectors {};

TEST_F(Vectors, GrowByTheIncrementOrByDoublingAtLeastToWhatIsNeeded) {
    struct Case {
        int32_t initial, increment;
        std::vector<int32_t> capacities;  // after each addElement
    } cases[] = {
        {10, 0, {10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 20}},
        {4, 3, {4, 4, 4, 4, 7, 7, 7, 10}},
        {0, 0, {1, 2, 4, 4, 8}},
        {0, 2, {2, 2, 4}},
    };
    for (const Case& c : cases) {
        auto* v = mrc::newObject<java_util_Vector>();
        v->Vector(c.initial, c.increment);
        for (std::size_t i = 0; i < c.capacities.size(); ++i) {
            v->addElement(letter(static_cast<char>('a' + i)));
            EXPECT_EQ(v->capacity(), c.capacities[i]) << c.initial << "+" << c.increment << " after " << i + 1;
        }
        EXPECT_EQ(v->size(), static_cast<int32_t>(c.capacities.size()));
        EXPECT_EQ(narrow(static_cast<String*>(v->elementAt(0))), "a");
    }
    auto* byDefault = java_util_Vector::newInstance();
    EXPECT_EQ(byDefault->capacity(), 10);
    EXPECT_EQ(takePending(), "");
}

TEST_F(Vectors, NegativeCapacityRaisesWithItsMessage) {
    auto* v = mrc::newObject<java_util_Vector>();
    v->VectorWithCapacity(-1);
    EXPECT_EQ(pendingMessage(), "Illegal Capacity: ");
    EXPECT_EQ(takePending(), "IllegalArgumentException");
    EXPECT_EQ(v->elementData, nullptr);
}

TEST_F(Vectors, IndexErrorsRaiseAndLeaveTheVectorUnchanged) {
    auto* v = vectorOf("abc", 4);
    struct Case {
        const char* what;
        void (*op)(java_util_Vector*);
        const char* exception;
        const char* message;
    } cases[] = {
        {"elementAt(-1)", [](java_util_Vector* x) { x->elementAt(-1); }, "ArrayIndexOutOfBoundsException",
         "Array index out of range: -1"},
        {"elementAt(3)", [](java_util_Vector* x) { x->elementAt(3); }, "ArrayIndexOutOfBoundsException",
         "Array index out of range: 3"},
        {"setElementAt(3)", [](java_util_Vector* x) { x->setElementAt(nullptr, 3); }, "ArrayIndexOutOfBoundsException",
         "Array index out of range: 3"},
        {"removeElementAt(-2)", [](java_util_Vector* x) { x->removeElementAt(-2); }, "ArrayIndexOutOfBoundsException",
         "Array index out of range: -2"},
        {"insertElementAt(4)", [](java_util_Vector* x) { x->insertElementAt(nullptr, 4); },
         "ArrayIndexOutOfBoundsException", "Array index out of range: 4"},
        {"lastIndexOf(3)", [](java_util_Vector* x) { x->lastIndexOf(nullptr, 3); }, "IndexOutOfBoundsException", "3"},
        {"indexOf(-1)", [](java_util_Vector* x) { x->indexOf(nullptr, -1); }, "ArrayIndexOutOfBoundsException",
         "Array index out of range: -1"},
        {"setSize(-1)", [](java_util_Vector* x) { x->setSize(-1); }, "ArrayIndexOutOfBoundsException",
         "Array index out of range: -1"},
    };
    for (const Case& c : cases) {
        c.op(v);
        EXPECT_EQ(pendingMessage(), c.message) << c.what;
        EXPECT_EQ(takePending(), c.exception) << c.what;
        EXPECT_EQ(contents(v), "abc|-") << c.what;
        EXPECT_FALSE(impl()->monitors.heldByCurrentThread(v)) << c.what;
    }
}

TEST_F(Vectors, FirstAndLastOfAnEmptyVectorAreNull) {
    auto* v = vectorOf("");
    EXPECT_EQ(v->firstElement(), nullptr);
    EXPECT_EQ(v->lastElement(), nullptr);
    EXPECT_TRUE(v->isEmpty());
    v = vectorOf("xyz");
    EXPECT_EQ(narrow(static_cast<String*>(v->firstElement())), "x");
    EXPECT_EQ(narrow(static_cast<String*>(v->lastElement())), "z");
    EXPECT_EQ(takePending(), "");
}

TEST_F(Vectors, SearchUsesTheGivenObjectsEquals) {
    auto* v = vectorOf("ab-ab-");
    struct Case {
        char what;  // '-' for null
        int32_t start, first;
        int32_t lastFrom, last;
    } cases[] = {
        {'a', 0, 0, 5, 3}, {'b', 2, 4, 3, 1}, {'-', 0, 2, 4, 2}, {'-', 3, 5, 5, 5},
        {'x', 0, -1, 5, -1}, {'a', 6, -1, 0, 0}, {'a', 4, -1, -1, -1},
    };
    for (const Case& c : cases) {
        Object* o = c.what == '-' ? nullptr : letter(c.what);  // equal text, another object
        EXPECT_EQ(v->indexOf(o, c.start), c.first) << c.what << "@" << c.start;
        EXPECT_EQ(v->lastIndexOf(o, c.lastFrom), c.last) << c.what << "@" << c.lastFrom;
    }
    EXPECT_EQ(v->lastIndexOf(letter('a'), -1), -1);
    EXPECT_TRUE(v->contains(letter('b')));
    EXPECT_FALSE(v->contains(letter('q')));
    EXPECT_EQ(v->indexOfObject(nullptr), 2);
    EXPECT_EQ(takePending(), "");
}

TEST_F(Vectors, RemovalMovesDownAndNullsTheVacatedSlot) {
    auto* v = vectorOf("abcde", 6);
    v->removeElementAt(4);
    EXPECT_EQ(contents(v), "abcd|--");
    v->removeElementAt(1);
    EXPECT_EQ(contents(v), "acd|---");
    EXPECT_TRUE(v->removeElement(letter('c')));
    EXPECT_FALSE(v->removeElement(letter('c')));
    EXPECT_EQ(contents(v), "ad|----");
    v->insertElementAt(letter('x'), 2);
    v->insertElementAt(letter('y'), 0);
    EXPECT_EQ(contents(v), "yadx|--");
    v->setElementAt(letter('z'), 1);
    v->putAtIndexLocked(3, letter('w'));
    EXPECT_EQ(contents(v), "yzdw|--");
    v->removeAllElements();
    EXPECT_EQ(contents(v), "|------");
    v = vectorOf("ab");
    v->removeAll();
    EXPECT_EQ(v->size(), 0);
    EXPECT_EQ(v->capacity(), 10);
    EXPECT_EQ(takePending(), "");
}

TEST_F(Vectors, SetSizeCutsOrExposesNullSlots) {
    auto* v = vectorOf("abcde");
    v->setSize(2);
    EXPECT_EQ(contents(v), "ab|--------");
    v = vectorOf("abcde");
    v->setSize(8);
    EXPECT_EQ(contents(v), "abcde---|--");
    v->setSize(12);
    EXPECT_EQ(v->capacity(), 20);
    EXPECT_EQ(v->size(), 12);
    EXPECT_EQ(takePending(), "");
}

TEST_F(Vectors, CapacityOperationsAndCopies) {
    auto* v = vectorOf("abc", 10);
    v->trimToSize();
    EXPECT_EQ(contents(v), "abc|");
    v->ensureCapacity(2);
    EXPECT_EQ(v->capacity(), 3);
    v->ensureCapacity(4);
    EXPECT_EQ(v->capacity(), 6);
    v->ensureCapacity(20);
    EXPECT_EQ(v->capacity(), 20);

    auto* copy = mrc::newObject<java_util_Vector>();
    copy->VectorCopy(v);
    EXPECT_EQ(contents(copy), "abc|");

    ObjectArray* target = om()->newObjectArray(0, 4);
    v->copyInto(target);
    EXPECT_EQ(target->elements()[0], v->elementAt(0));
    EXPECT_EQ(target->elements()[2], v->elementAt(2));
    EXPECT_EQ(target->elements()[3], nullptr);
    ObjectArray* tooShort = om()->newObjectArray(0, 2);
    v->copyInto(tooShort);
    EXPECT_EQ(takePending(), "ArrayIndexOutOfBoundsException");
    EXPECT_EQ(tooShort->elements()[0], nullptr);
    v->copyInto(reinterpret_cast<ObjectArray*>(om()->newIntArray(3)));
    EXPECT_EQ(takePending(), "ArrayStoreException");
    host::LogCapture log;
    v->copyInto(nullptr);
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(takePending(), "");
}

TEST_F(Stacks, PushPopPeekAndSearch) {
    auto* s = java_util_Stack::newInstance();
    EXPECT_EQ(s->capacity(), 10);
    EXPECT_TRUE(s->empty());
    String* a = letter('a');
    String* b = letter('b');
    String* c = letter('c');
    EXPECT_EQ(s->push(a), a);
    s->push(b);
    s->push(c);
    EXPECT_EQ(s->search(c), 1);
    EXPECT_EQ(s->search(letter('a')), 3);
    EXPECT_EQ(s->search(letter('x')), -1);
    EXPECT_EQ(s->pop(), c);
    EXPECT_EQ(s->peek(), b);
    EXPECT_EQ(s->size(), 2);
    EXPECT_EQ(takePending(), "");

    auto* empty = java_util_Stack::newInstance();
    EXPECT_EQ(empty->peek(), nullptr);
    EXPECT_EQ(takePending(), "EmptyStackException");
    EXPECT_EQ(empty->pop(), nullptr);
    EXPECT_EQ(takePending(), "EmptyStackException");
    EXPECT_EQ(empty->search(a), -1);
    EXPECT_EQ(empty->size(), 0);
    EXPECT_FALSE(impl()->monitors.heldByCurrentThread(empty));
}

}  // namespace
