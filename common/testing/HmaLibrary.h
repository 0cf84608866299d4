#pragma once
// A built plug-in loaded as a host loads it, with its exports bound by name.
#include <dlfcn.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugins/contract/HmaPlugin.h"

namespace zanto::testkit {

struct HmaLibrary {
    explicit HmaLibrary(const char* path) : module(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
    ~HmaLibrary() {
        if (module) dlclose(module);
    }
    HmaLibrary(const HmaLibrary&) = delete;
    HmaLibrary& operator=(const HmaLibrary&) = delete;

    void* module;
    hma::CanBeOpenFn canBeOpen = Bind<hma::CanBeOpenFn>("CanBeOpen");
    hma::OpenFn open = Bind<hma::OpenFn>("Open");
    hma::HandleFn clear = Bind<hma::HandleFn>("Clear");
    hma::HandleFn play = Bind<hma::HandleFn>("Play");
    hma::HandleFn stop = Bind<hma::HandleFn>("Stop");
    hma::HandleFn pause = Bind<hma::HandleFn>("Pause");
    hma::QueryFn getDuration = Bind<hma::QueryFn>("GetDuration");
    hma::QueryFn getState = Bind<hma::QueryFn>("GetState");
    hma::QueryFn getPos = Bind<hma::QueryFn>("GetPos");
    hma::SetPosFn setPos = Bind<hma::SetPosFn>("SetPos");
    hma::DataFn getData = Bind<hma::DataFn>("GetData");
    hma::DataFn setData = Bind<hma::DataFn>("SetData");
    hma::GetStreamFn getStream = Bind<hma::GetStreamFn>("GetStream");
    hma::SetSpectrumAreaFn setSpectrumArea = Bind<hma::SetSpectrumAreaFn>("SetSpectrumArea");
    hma::GetLastErrorStringFn getLastErrorString =
        Bind<hma::GetLastErrorStringFn>("GetLastErrorString");

    bool Complete() const {
        return module && canBeOpen && open && clear && play && stop && pause && getDuration &&
               getState && getPos && setPos && getData && setData && getStream && setSpectrumArea &&
               getLastErrorString;
    }
    // The library's error text, or "<none>" when it hands out none.
    std::string LastError(HMA_HANDLE handle = nullptr) {
        char text[HMA_ERROR_TEXT_SIZE];
        std::memset(text, 'x', sizeof text);
        int32_t n = getLastErrorString(handle, text, sizeof text);
        return n > 0 ? std::string(text) : std::string("<none>");
    }
    // A text answer, or "<none>" when not answered.
    std::string Text(HMA_HANDLE handle, int32_t code, int32_t size = HMA_ITEM_TEXT_SIZE) {
        std::string buffer(static_cast<size_t>(size), '\x7F');
        return getData(handle, code, buffer.data(), size) ? std::string(buffer.c_str())
                                                           : std::string("<none>");
    }
    // A 32-bit answer, or -999 when not answered.
    int32_t Number(HMA_HANDLE handle, int32_t code) {
        int32_t v = -999;
        return getData(handle, code, &v, sizeof v) ? v : -999;
    }

private:
    template <class F>
    F Bind(const char* name) {
        return module ? reinterpret_cast<F>(dlsym(module, name)) : nullptr;
    }
};

// Clears the handles a test opened even when it stops at a failed assertion, before the library
// is unloaded under their threads. Clearing a handle twice is harmless: the plug-in ignores
// handles it no longer knows.
struct OpenHandles {
    HmaLibrary& lib;
    std::vector<HMA_HANDLE> handles;
    HMA_HANDLE Open(CMediaStream* stream) {
        HMA_HANDLE h = lib.open(stream);
        if (h) handles.push_back(h);
        return h;
    }
    ~OpenHandles() {
        for (HMA_HANDLE h : handles) lib.clear(h);
    }
};

}  // namespace zanto::testkit
