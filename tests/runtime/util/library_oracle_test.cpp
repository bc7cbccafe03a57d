// java.util.Random, the data streams, Hashtable and Vector compared with the JDK's over tables of
// cases, in one run of the oracle program.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/io/byte_array_input_stream.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/data_input_stream.h"
#include "runtime/io/data_output_stream.h"
#include "runtime/util/hashtable.h"
#include "runtime/util/random.h"
#include "runtime/util/vector.h"
#include "tests/runtime/util/library_fixture.h"
#include "tests/support/java_oracle.h"

namespace {

using namespace mrc::test;

class LibraryVsJdk : public LibraryTest {};

struct Case {
    std::string line;  // sent to the oracle
    std::string ours;
};

std::string dec(int64_t v) { return std::to_string(v); }

// One case per line, our answer from the line's words.
void addLines(std::vector<Case>& cases, const std::vector<std::string>& lines,
              std::string (*ours)(const std::vector<std::string>& words)) {
    for (const std::string& line : lines) {
        std::vector<std::string> words;
        std::stringstream in(line);
        for (std::string w; std::getline(in, w, ' ');) words.push_back(w);
        cases.push_back({line, ours(words)});
    }
}

// ---- Random ------------------------------------------------------------------------------

std::string ourRandom(int64_t seed, const std::string& op, int64_t arg, int count) {
    java_util_Random* r = java_util_Random::newInstance(seed);
    auto floatBits = [](float f) {
        int32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        return dec(bits);
    };
    std::string out;
    for (int k = 0; k < count; ++k) {
        const int kind = op == "mix" ? k % 4 : op == "bound" ? 1 : op == "long" ? 2 : op == "float" ? 3 : 0;
        switch (kind) {
        case 0: out += dec(r->nextInt()); break;
        case 1: out += dec(r->nextIntBounded(static_cast<int32_t>(arg))); break;
        case 2: out += dec(r->nextLong()); break;
        default: out += floatBits(r->nextFloat()); break;
        }
        out += ',';
    }
    if (op == "reseed") {
        r->setSeed(arg);
        for (int k = 0; k < count; ++k) out += dec(r->nextInt()) + ",";
    }
    return out;
}

void addRandomCases(std::vector<Case>& cases) {
    const int64_t seeds[] = {0, 1, -1, 42, 123456789012345LL, INT64_MIN, INT64_MAX, 0x5DEECE66DLL, 0xDEECE66DLL};
    const int32_t bounds[] = {1, 2, 3, 10, 16, 100, 1 << 30, (1 << 30) + 1, 1000000007, INT32_MAX};
    for (int64_t seed : seeds) {
        auto add = [&](const std::string& op, int64_t arg, int count) {
            cases.push_back({"rnd " + dec(seed) + " " + op + " " + dec(arg) + " " + dec(count),
                             ourRandom(seed, op, arg, count)});
        };
        add("int", 0, 40);
        add("long", 0, 20);
        add("float", 0, 20);
        for (int32_t n : bounds) add("bound", n, 25);
        add("mix", 1000, 40);
        add("reseed", seed ^ 0x1234, 10);
    }
}

// ---- data streams -------------------------------------------------------------------------

std::string ourDataOut(const std::string& op, const std::string& value) {
    auto* bytes = java_io_ByteArrayOutputStream::newInstance();
    auto* out = java_io_DataOutputStream::newInstance(bytes);
    if (op == "bool") out->writeBoolean(value != "0");
    if (op == "byte") out->writeByte(std::stoi(value));
    if (op == "short") out->writeShort(std::stoi(value));
    if (op == "char") out->writeChar(std::stoi(value));
    if (op == "int") out->writeInt(std::stoi(value));
    if (op == "long") out->writeLong(std::stoll(value));
    if (op == "chars" || op == "utf") {
        std::u16string u;
        if (value != "_")
            for (std::size_t i = 0; i < value.size(); i += 4)
                u.push_back(static_cast<char16_t>(std::stoi(value.substr(i, 4), nullptr, 16)));
        if (op == "chars") out->writeChars(str(u));
        if (op == "utf") out->writeUTF(str(u));
    }
    return hexOfBytes(bytes->toByteArray());
}

void addDataOutCases(std::vector<Case>& cases) {
    auto add = [&](const std::string& op, const std::string& value) {
        cases.push_back({"dos " + op + " " + value, ourDataOut(op, value)});
    };
    for (const char* v : {"0", "1"}) add("bool", v);
    for (int32_t v : {0, 1, -1, 127, 128, 255, 256, -129, 65535, 65536, -32768, INT32_MAX, INT32_MIN}) {
        add("byte", dec(v));
        add("short", dec(v));
        add("char", dec(v));
        add("int", dec(v));
    }
    for (int64_t v : {int64_t{0}, int64_t{-1}, int64_t{1} << 32, INT64_MAX, INT64_MIN, int64_t{0x0102030405060708}})
        add("long", dec(v));
    // U+0000, the one- to three-byte boundaries, a supplementary character as its surrogate pair,
    // and lone surrogates.
    for (const char* text : {"_", "0000", "0041", "007f", "0080", "07ff", "0800", "ffff", "d83dde00", "0061000000e920ac",
                             "d800", "dc00007a"}) {
        add("utf", text);
        add("chars", text);
    }
}

std::string ourDataIn(const std::string& op, const std::string& hex) {
    auto* source = java_io_ByteArrayInputStream::newInstance(byteArray(unhex(hex)));
    auto* in = java_io_DataInputStream::newInstance(source);
    std::string result;
    if (op == "bool") result = in->readBoolean() ? "true" : "false";
    if (op == "byte") result = dec(in->readByte());
    if (op == "ubyte") result = dec(in->readUnsignedByte());
    if (op == "short") result = dec(in->readShort());
    if (op == "ushort") result = dec(in->readUnsignedShort());
    if (op == "char") result = dec(in->readChar());
    if (op == "int") result = dec(in->readInt());
    if (op == "long") result = dec(in->readLong());
    if (op == "utf") result = hexUnits(units(in->readUTF()));
    if (op == "fully3") {
        ByteArray* b = mrc::ApplicationImpl::getApplication()->objectManager->newByteArray(3);
        in->readFully(b);
        result = hexOfBytes(b);
    }
    if (op == "skip3") result = dec(in->skipBytes(3));
    const std::string failure = takePendingName();
    return (failure.empty() ? result : failure) + " " + dec(in->available());
}

void addDataInCases(std::vector<Case>& cases) {
    auto add = [&](const std::string& op, const std::string& hex) {
        cases.push_back({"dis " + op + " " + hex, ourDataIn(op, hex)});
    };
    const char* numbers[] = {"_", "00", "01", "7f", "80", "ff", "fffe", "0102", "80000001", "ffffffff", "010203",
                             "0102030405060708", "ffffffffffffffff09", "8000000000000000", "00000000000000"};
    for (const char* op : {"bool", "byte", "ubyte", "short", "ushort", "char", "int", "long", "fully3", "skip3"})
        for (const char* hex : numbers) add(op, hex);
    // Modified UTF-8: valid forms, raw zero bytes, truncated sequences, bad continuation bytes,
    // the bytes that start no character, and lengths past the data.
    for (const char* hex : {"0000", "000161", "000361c3a9", "0002c080", "0003e282ac", "0006eda0bdedb880", "000100",
                            "0002c341", "0001c3", "0002e282", "0003e2822c", "000180", "0001bf", "0001f0", "0001ff",
                            "0002f09f", "0005616263", "00", "_", "00026162ff", "0003e0808061", "0002c1bf"})
        add("utf", hex);
}

// ---- Hashtable and Vector ------------------------------------------------------------------

std::string textOf(Object* o) { return o ? narrow(o->toString()) : "null"; }

std::string ourHashtable(const std::vector<std::string>& t) {
    java_util_Hashtable* h = mrc::newObject<java_util_Hashtable>();
    if (t[1] == "d")
        h->HashtableDefault();
    else
        h->HashtableWithCapacity(std::stoi(t[1]));
    std::string out;
    for (std::size_t k = 2; k < t.size(); ++k) {
        const std::string& op = t[k];
        if (op[0] == '+') {
            const std::size_t eq = op.find('=');
            out += textOf(h->put(mrc::newString(op.substr(1, eq - 1).c_str()), mrc::newString(op.substr(eq + 1).c_str())));
        } else {
            out += textOf(h->remove(mrc::newString(op.substr(1).c_str())));
        }
        out += ',';
    }
    out += '|';
    for (auto* e = h->keys(); e->hasMoreElements();) out += textOf(e->nextElement()) + ",";
    out += '|';
    for (auto* e = h->elements(); e->hasMoreElements();) out += textOf(e->nextElement()) + ",";
    return out + "|" + dec(h->size()) + "|" + textOf(h->toString());
}

void addHashtableCases(std::vector<Case>& cases) {
    std::vector<std::string> lines = {
        "ht d",
        "ht d +a=1",
        "ht d +a=1 +b=2 +c=3 +a=4 -b -zz",
        "ht 0 +one=1 +two=2 +three=3 +four=4",
        "ht 1 +x=1 +y=2",
        "ht 3 +Aa=1 +BB=2 +C#=3 -Aa +Aa=4",
    };
    // Enough keys to grow the default table three times, then some removed.
    std::string many = "ht d", manyOther = "ht 5";
    for (int k = 0; k < 40; ++k) {
        many += " +key" + dec(k) + "=v" + dec(k);
        manyOther += " +k" + dec(k * 7) + "=" + dec(k);
    }
    for (int k = 0; k < 40; k += 3) many += " -key" + dec(k);
    lines.push_back(many);
    lines.push_back(manyOther);
    addLines(cases, lines, ourHashtable);
}

std::string ourVector(const std::vector<std::string>& t) {
    java_util_Vector* v = mrc::newObject<java_util_Vector>();
    v->Vector(std::stoi(t[1]), std::stoi(t[2]));
    String* x = mrc::newString("x");
    String* y = mrc::newString("y");
    std::string out;
    for (std::size_t k = 3; k < t.size(); ++k) {
        const std::string& op = t[k];
        const int32_t n = op.size() > 1 ? std::stoi(op.substr(1)) : 0;
        switch (op[0]) {
        case 'a': v->addElement(x); break;
        case 'e': v->ensureCapacity(n); break;
        case 's': v->setSize(n); break;
        case 't': v->trimToSize(); break;
        case 'r': v->removeElementAt(n); break;
        case 'i': v->insertElementAt(y, n); break;
        }
        out += dec(v->capacity()) + "/" + dec(v->size()) + ",";
    }
    return out;
}

void addVectorCases(std::vector<Case>& cases) {
    std::vector<std::string> lines = {
        "vec 10 0 a a a a a a a a a a a a",
        "vec 4 3 a a a a a a a a a a a",
        "vec 0 0 a a a a a a",
        "vec 0 5 a a a a a a a",
        "vec 2 0 e3 e9 e1 s30 s2 t a e100 s0 t a a",
        "vec 5 0 a a a i0 i4 i1 r0 r3 t i3 a",
        "vec 1 -4 a a a a a s1 t",
    };
    addLines(cases, lines, ourVector);
}

TEST_F(LibraryVsJdk, RandomStreamsHashtableAndVectorAgree) {
    std::vector<Case> cases;
    addRandomCases(cases);
    addDataOutCases(cases);
    addDataInCases(cases);
    addHashtableCases(cases);
    addVectorCases(cases);
    EXPECT_EQ(takePending(), "");

    std::string input;
    for (const Case& c : cases) input += c.line + "\n";
    JAVA_ORACLE_RUN(run, test_support::testSource("runtime/oracle/LibraryOracle.java"), input);
    std::vector<std::string> expected = run.lines();
    ASSERT_EQ(expected.size(), cases.size()) << run.err;

    int mismatches = 0;
    std::string report;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        if (cases[i].ours == expected[i]) continue;
        if (++mismatches <= 30) report += cases[i].line + ":\n  jdk  " + expected[i] + "\n  ours " + cases[i].ours + "\n";
    }
    EXPECT_EQ(mismatches, 0) << "of " << cases.size() << " cases:\n" << report;
}

}  // namespace
