// Helpers for tests that run the library against the scripted store.
#pragma once

#include <gtest/gtest.h>

#include "environment_double.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace envstore_test {

inline std::vector<DoubleCallRecord> Calls() {
    std::vector<DoubleCallRecord> calls(DoubleCallCount());
    for (size_t i = 0; i < calls.size(); ++i) DoubleCall(static_cast<int>(i), &calls[i]);
    return calls;
}

// One access sequence as the store saw it.
struct Sequence {
    int reads = 0;
    int writes = 0;
    std::string key;
    std::vector<DoubleCallRecord> operations;  // the reads or writes, in order
};

// Splits the record into access sequences and checks each one's shape: an
// open; when it succeeded, reads or writes of one key with the same
// arguments, then exactly one close; nothing outside a sequence.
inline std::vector<Sequence> Sequences() {
    std::vector<Sequence> out;
    const std::vector<DoubleCallRecord> calls = Calls();
    for (size_t i = 0; i < calls.size();) {
        EXPECT_EQ(calls[i].operation, DOUBLE_OPEN) << "call " << i << " outside an open store";
        if (calls[i].operation != DOUBLE_OPEN) { ++i; continue; }
        const bool opened = calls[i].result != -1;
        ++i;
        Sequence s;
        if (!opened) {
            out.push_back(s);
            continue;
        }
        for (; i < calls.size() && (calls[i].operation == DOUBLE_READ || calls[i].operation == DOUBLE_WRITE); ++i) {
            const DoubleCallRecord& c = calls[i];
            if (s.operations.empty()) {
                s.key = c.key;
            } else {
                const DoubleCallRecord& first = s.operations.front();
                EXPECT_EQ(c.operation, first.operation) << "reads and writes mixed in one sequence";
                EXPECT_EQ(c.keyPointer, first.keyPointer) << s.key;
                EXPECT_STREQ(c.key, first.key);
                EXPECT_EQ(c.buffer, first.buffer) << s.key;
                EXPECT_EQ(c.lengthPointer, first.lengthPointer) << s.key;
                if (c.operation == DOUBLE_WRITE) {
                    EXPECT_EQ(c.length, first.length) << s.key;
                }
            }
            (c.operation == DOUBLE_READ ? s.reads : s.writes)++;
            s.operations.push_back(c);
        }
        EXPECT_TRUE(i < calls.size() && calls[i].operation == DOUBLE_CLOSE) << "no close after " << s.key;
        if (i < calls.size() && calls[i].operation == DOUBLE_CLOSE) ++i;
        out.push_back(s);
    }
    return out;
}

// The only sequence of the record.
inline Sequence OnlySequence() {
    const std::vector<Sequence> all = Sequences();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? Sequence() : all.front();
}

inline DoubleReadStep Step(int result) { return DoubleReadStep{result, nullptr, 0, 0, 0}; }
inline DoubleReadStep Deliver(int result, const void* bytes, unsigned int count) {
    return DoubleReadStep{result, bytes, count, 0, 0};
}

inline void ScriptReads(const std::vector<DoubleReadStep>& steps) {
    DoubleScriptRead(steps.data(), static_cast<int>(steps.size()));
}
inline void ScriptWrites(const std::vector<int>& results) {
    DoubleScriptWrite(results.data(), static_cast<int>(results.size()));
}

inline void Put32(const char* key, std::int32_t value) { DoublePut(key, &value, sizeof value); }
inline void Put64(const char* key, std::int64_t value) { DoublePut(key, &value, sizeof value); }

inline std::string Bytes(const DoubleCallRecord& c) {
    return std::string(reinterpret_cast<const char*>(c.bytes), c.byteCount);
}
inline std::string Le32(std::int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
inline std::string Le64(std::int64_t v) { return std::string(reinterpret_cast<const char*>(&v), 8); }

// Every test starts from an empty, reachable store and an empty record.
class WithDouble : public ::testing::Test {
protected:
    void SetUp() override { DoubleReset(); }
};

}  // namespace envstore_test
