// A decoder plug-in with scripted answers for the host's tests. Every call is appended to the file
// named by ZANTO_FIXTURE_LOG (one "<plug-in> <call>" a line), loading and unloading included.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plugins/contract/HmaPlugin.h"

#ifndef FX_NAME
#define FX_NAME ""
#endif
#ifndef FX_CAN_BE_OPEN
#define FX_CAN_BE_OPEN 1
#endif
#ifndef FX_PROBE_ANSWER
#define FX_PROBE_ANSWER 1
#endif
#ifndef FX_UNKNOWN_DURATIONS
#define FX_UNKNOWN_DURATIONS 0
#endif
#ifndef FX_DURATION
#define FX_DURATION 1000
#endif

namespace {

void Log(const std::string& call) {
    const char* path = std::getenv("ZANTO_FIXTURE_LOG");
    if (!path || !*path) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s %s\n", FX_EXT, call.c_str());
        std::fclose(f);
    }
}

struct Item {
    int32_t state = HMA_STATE_STOPPED;
    int32_t pos = 0;
    int32_t durationAsks = 0;
    int32_t volume = 50;
};

std::string lastError;

int32_t Text(void* buffer, int32_t size, const char* text) {
    size_t n = std::strlen(text) + 1;
    if (!buffer || size < 0 || n > size_t(size)) return 0;
    std::memcpy(buffer, text, n);
    return 1;
}

Item* ItemOf(HMA_HANDLE h) { return static_cast<Item*>(h); }

__attribute__((constructor)) void Loaded() { Log("load"); }
__attribute__((destructor)) void Unloaded() { Log("unload"); }

}  // namespace

extern "C" {

int32_t CanBeOpen(CMediaStream* stream) {
    if (!stream) return FX_PROBE_ANSWER;
    std::string path = stream->GetPath();
    Log("CanBeOpen");
    // Reads a byte, so the host must set the stream back for the next plug-in.
    char byte;
    stream->Read(&byte, 1);
    std::string ext = FX_EXT;
    if (path.size() < ext.size() || path.compare(path.size() - ext.size(), ext.size(), ext) != 0)
        return HMA_OPEN_NO;
    if (FX_CAN_BE_OPEN == HMA_OPEN_ERROR) lastError = std::string("busy ") + FX_EXT;
    return FX_CAN_BE_OPEN;
}

HMA_HANDLE Open(CMediaStream* stream) {
    Log("Open");
    if (stream->GetPosition() != 1) return nullptr;  // the stream as the last CanBeOpen left it
#ifdef FX_OPEN_FAILS
    lastError = "cannot open";
    return nullptr;
#else
    return new Item;
#endif
}

void Clear(HMA_HANDLE h) {
    Log("Clear");
    delete ItemOf(h);
}

void Play(HMA_HANDLE h) {
    Log("Play");
    if (h) ItemOf(h)->state = HMA_STATE_PLAYING;
}

void Stop(HMA_HANDLE h) {
    Log("Stop");
    if (h) ItemOf(h)->state = HMA_STATE_STOPPED;
}

void Pause(HMA_HANDLE h) {
    Log("Pause");
    if (h) ItemOf(h)->state = HMA_STATE_PAUSED;
}

int32_t GetDuration(HMA_HANDLE h) {
    Log("GetDuration");
    if (!h) return 0;
    return ItemOf(h)->durationAsks++ < FX_UNKNOWN_DURATIONS ? -1 : FX_DURATION;
}

int32_t GetState(HMA_HANDLE h) {
    Log("GetState");
    return h ? ItemOf(h)->state : 0;
}

int32_t GetPos(HMA_HANDLE h) {
    Log("GetPos");
    return h ? ItemOf(h)->pos : 0;
}

#ifndef FX_WITHOUT_SETPOS
void SetPos(HMA_HANDLE h, int32_t ms) {
    Log("SetPos " + std::to_string(ms));
    if (h) ItemOf(h)->pos = ms;
}
#endif

int32_t GetData(HMA_HANDLE h, int32_t code, void* buffer, int32_t size) {
    if (code == HMA_DATA_FILTER) return Text(buffer, size, FX_FILTER);
    if (code == HMA_DATA_NAME) return *FX_NAME ? Text(buffer, size, FX_NAME) : 0;
    if (!h) return 0;
    Log("GetData " + std::to_string(code) + " " + std::to_string(size));
    if (code == HMA_DATA_TYPE) return size >= 5 ? Text(buffer, size, "FIX") : 0;
    if (code == HMA_DATA_VOLUME && size >= 4) {
        std::memcpy(buffer, &ItemOf(h)->volume, 4);
        return 1;
    }
    return 0;
}

int32_t SetData(HMA_HANDLE h, int32_t code, void* buffer, int32_t size) {
    Log("SetData " + std::to_string(code) + " " + std::to_string(size));
    if (!h) return 0;
    if (code == HMA_DATA_VOLUME) std::memcpy(&ItemOf(h)->volume, buffer, 4);
    return 1;
}

void* GetStream(HMA_HANDLE) { return nullptr; }

void SetSpectrumArea(HMA_HANDLE, int32_t, int32_t) { Log("SetSpectrumArea"); }

int32_t GetLastErrorString(HMA_HANDLE h, char* buffer, int32_t size) {
    Log(std::string("GetLastErrorString ") + (h ? "handle" : "none") + " " + std::to_string(size));
    if (lastError.empty() || size <= 0) return 0;
    std::snprintf(buffer, size_t(size), "%s", lastError.c_str());
    return int32_t(std::strlen(buffer) + 1);
}
}
