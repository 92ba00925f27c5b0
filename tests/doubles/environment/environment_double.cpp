// The scripted, recording stand-in for environment.dll (environment_double.h).
#include "environment_double.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kOk = 0;
constexpr int kNotFound = 2;
constexpr int kTooLong = 3;

struct ReadStep {
    int result;
    std::string bytes;
    bool setLength;
    unsigned int newLength;
};

struct State {
    int openResult = kOk;
    std::deque<ReadStep> reads;
    std::deque<int> writes;
    std::map<std::string, std::string> store;
    std::vector<DoubleCallRecord> calls;

    State() {
        char text[32] = {};
        const DWORD n = GetEnvironmentVariableA("ENVIRONMENT_DOUBLE_OPEN", text, sizeof text);
        if (n > 0 && n < sizeof text) openResult = std::atoi(text);
    }
};

State g_state;

DoubleCallRecord& Record(int operation, const char* key) {
    DoubleCallRecord record;
    std::memset(&record, 0, sizeof record);
    record.operation = operation;
    record.keyPointer = key;
    if (key) std::strncpy(record.key, key, DOUBLE_MAX_KEY);
    g_state.calls.push_back(record);
    return g_state.calls.back();
}

void KeepBytes(DoubleCallRecord& record, const void* data, unsigned int count) {
    record.byteCount = count < DOUBLE_MAX_BYTES ? count : DOUBLE_MAX_BYTES;
    if (data && record.byteCount) std::memcpy(record.bytes, data, record.byteCount);
}

void Keep(const char* key, const void* data, unsigned int length) {
    std::string& value = g_state.store[key];
    if (length) value.assign(static_cast<const char*>(data), length);
    else value.clear();
}

int ReadFromStore(const char* key, void* buffer, unsigned int* length) {
    if (!key || !length) return -1;
    const auto found = g_state.store.find(key);
    if (found == g_state.store.end()) return kNotFound;
    const std::string& value = found->second;
    if (value.size() > *length) {
        *length = static_cast<unsigned int>(value.size());
        return kTooLong;
    }
    if (!value.empty()) std::memcpy(buffer, value.data(), value.size());
    *length = static_cast<unsigned int>(value.size());
    return kOk;
}

}  // namespace

extern "C" {

int __cdecl EnvOpen(void) {
    DoubleCallRecord& record = Record(DOUBLE_OPEN, nullptr);
    return record.result = g_state.openResult;
}

int __cdecl EnvClose(void) {
    DoubleCallRecord& record = Record(DOUBLE_CLOSE, nullptr);
    return record.result = kOk;
}

int __cdecl EnvWrite(const char* key, const void* data, unsigned int length) {
    DoubleCallRecord& record = Record(DOUBLE_WRITE, key);
    record.buffer = data;
    record.length = length;
    KeepBytes(record, data, length);
    if (!g_state.writes.empty()) {
        record.result = g_state.writes.front();
        g_state.writes.pop_front();
        return record.result;
    }
    if (!key || (!data && length > 0)) return record.result = -1;
    Keep(key, data, length);
    return record.result = kOk;
}

int __cdecl EnvRead(const char* key, void* buffer, unsigned int* length) {
    DoubleCallRecord& record = Record(DOUBLE_READ, key);
    record.buffer = buffer;
    record.lengthPointer = length;
    const unsigned int capacity = length ? *length : 0;
    record.length = capacity;
    KeepBytes(record, buffer, capacity);
    if (!g_state.reads.empty()) {
        const ReadStep step = g_state.reads.front();
        g_state.reads.pop_front();
        const size_t count = step.bytes.size() < capacity ? step.bytes.size() : capacity;
        if (count) std::memcpy(buffer, step.bytes.data(), count);
        if (step.setLength && length) *length = step.newLength;
        record.result = step.result;
    } else {
        record.result = ReadFromStore(key, buffer, length);
    }
    record.lengthAfter = length ? *length : 0;
    return record.result;
}

void DoubleReset(void) {
    g_state.openResult = kOk;
    g_state.reads.clear();
    g_state.writes.clear();
    g_state.store.clear();
    g_state.calls.clear();
}

void DoubleOpenResult(int result) { g_state.openResult = result; }

void DoubleScriptRead(const DoubleReadStep* steps, int count) {
    for (int i = 0; i < count; ++i) {
        const DoubleReadStep& s = steps[i];
        ReadStep step{s.result, std::string(), s.setLength != 0, s.newLength};
        if (s.bytes && s.count) step.bytes.assign(static_cast<const char*>(s.bytes), s.count);
        g_state.reads.push_back(step);
    }
}

void DoubleScriptWrite(const int* results, int count) {
    for (int i = 0; i < count; ++i) g_state.writes.push_back(results[i]);
}

int DoublePut(const char* key, const void* data, unsigned int length) {
    if (!key || !*key || (!data && length > 0)) return -1;
    Keep(key, data, length);
    return 0;
}

int DoubleCallCount(void) { return static_cast<int>(g_state.calls.size()); }

int DoubleCall(int index, DoubleCallRecord* out) {
    if (index < 0 || index >= DoubleCallCount() || !out) return -1;
    *out = g_state.calls[index];
    return 0;
}

}  // extern "C"
