#pragma once
// The built plug-in loaded as a host loads it, with its exports bound by name.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "plugins/contract/HmaPlugin.h"

namespace mpegaud::testing {

struct PluginLibrary {
    void* module = dlopen(MPEGAUD_PLUGIN, RTLD_NOW | RTLD_LOCAL);
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

    ~PluginLibrary() {
        if (module) dlclose(module);
    }
    bool Complete() const {
        return module && canBeOpen && open && clear && play && stop && pause && getDuration &&
               getState && getPos && setPos && getData && setData && getStream && setSpectrumArea &&
               getLastErrorString;
    }
    std::string LastError(HMA_HANDLE handle = nullptr) {
        char text[HMA_ERROR_TEXT_SIZE];
        std::memset(text, 'x', sizeof text);
        int32_t n = getLastErrorString(handle, text, sizeof text);
        return n > 0 ? std::string(text) : std::string("<none>");
    }

private:
    template <class F>
    F Bind(const char* name) {
        return module ? reinterpret_cast<F>(dlsym(module, name)) : nullptr;
    }
};

}  // namespace mpegaud::testing
