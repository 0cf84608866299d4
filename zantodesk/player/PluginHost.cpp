#include "zantodesk/player/PluginHost.h"

#include <dirent.h>
#include <dlfcn.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>

#include "common/Paths.h"
#include "common/Settings.h"
#include "common/stream/MediaFileStream.h"

namespace zanto {

namespace {

bool EndsWithHma(const char* name) {
    size_t n = std::strlen(name);
    return n >= 4 && strcasecmp(name + n - 4, ".hma") == 0;
}

bool IsWebAddress(const std::string& path) {
    return strncasecmp(path.c_str(), "http://", 7) == 0 || strncasecmp(path.c_str(), "https://", 8) == 0;
}

template <class F>
F Lookup(void* library, const char* name) {
    return reinterpret_cast<F>(dlsym(library, name));
}

// A text answer of at most size bytes; plug-ins built elsewhere may forget the NUL.
std::string TextOf(const char* buffer, size_t size) { return std::string(buffer, strnlen(buffer, size)); }

}  // namespace

PluginHost::PluginHost(std::string pluginFolder) : folder_(std::move(pluginFolder)) {}

PluginHost::~PluginHost() { Close(); }

std::string PluginHost::DefaultPluginFolder() { return ModuleFolder() + "/Plug-in"; }

void PluginHost::Scan() {
    plugins_.clear();
    DIR* dir = opendir(folder_.c_str());
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        if (!EndsWithHma(entry->d_name)) continue;
        std::string path = folder_ + "/" + entry->d_name;
        struct stat st {};
        if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
        plugins_.push_back(path);
    }
    closedir(dir);
}

void PluginHost::Initialise(std::string* filterText) {
    Scan();
    if (!filterText) return;
    *filterText = settings::ReadSfmt();
    if (filterText->empty()) {
        for (size_t i = 0; i < plugins_.size();) {
            std::string filter;
            if (ProbeLibrary(plugins_[i], &filter, nullptr)) {
                AddFilterText(*filterText, filter);
                ++i;
            } else {
                plugins_.erase(plugins_.begin() + static_cast<long>(i));
            }
        }
        settings::WriteSfmt(*filterText);
    }
    *filterText += kAllFilesFilter;
}

bool PluginHost::ProbeLibrary(const std::string& path, std::string* filter, std::string* name) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return false;
    auto canBeOpen = Lookup<hma::CanBeOpenFn>(library, "CanBeOpen");
    auto getData = Lookup<hma::DataFn>(library, "GetData");
    bool usable = false;
    if (canBeOpen && getData && canBeOpen(nullptr) == HMA_OPEN_YES) {
        char text[HMA_PROBE_TEXT_SIZE] = {};
        if (getData(nullptr, HMA_DATA_FILTER, text, sizeof text) != 0) {
            usable = true;
            if (filter) *filter = TextOf(text, sizeof text);
            if (name) {
                char answer[HMA_PROBE_TEXT_SIZE] = {};
                if (getData(nullptr, HMA_DATA_NAME, answer, sizeof answer) != 0)
                    *name = TextOf(answer, sizeof answer);
            }
        }
    }
    dlclose(library);
    return usable;
}

void PluginHost::AddFilterText(std::string& filterText, const std::string& pluginFilter) {
    if (pluginFilter.find("*.mp") != std::string::npos)
        filterText.insert(0, pluginFilter);
    else
        filterText += pluginFilter;
}

bool PluginHost::Bind(void* library) {
    Exports e;
    e.open = Lookup<hma::OpenFn>(library, "Open");
    e.clear = Lookup<hma::HandleFn>(library, "Clear");
    e.play = Lookup<hma::HandleFn>(library, "Play");
    e.stop = Lookup<hma::HandleFn>(library, "Stop");
    e.pause = Lookup<hma::HandleFn>(library, "Pause");
    e.getDuration = Lookup<hma::QueryFn>(library, "GetDuration");
    e.getState = Lookup<hma::QueryFn>(library, "GetState");
    e.getPos = Lookup<hma::QueryFn>(library, "GetPos");
    e.setPos = Lookup<hma::SetPosFn>(library, "SetPos");
    e.getData = Lookup<hma::DataFn>(library, "GetData");
    e.setData = Lookup<hma::DataFn>(library, "SetData");
    e.getStream = Lookup<hma::GetStreamFn>(library, "GetStream");
    e.setSpectrumArea = Lookup<hma::SetSpectrumAreaFn>(library, "SetSpectrumArea");
    e.getLastErrorString = Lookup<hma::GetLastErrorStringFn>(library, "GetLastErrorString");
    // A library that lacks one of them would be called through a null pointer later.
    if (!e.open || !e.clear || !e.play || !e.stop || !e.pause || !e.getDuration || !e.getState ||
        !e.getPos || !e.setPos || !e.getData || !e.setData || !e.getStream || !e.setSpectrumArea ||
        !e.getLastErrorString)
        return false;
    exports_ = e;
    return true;
}

int32_t PluginHost::OpenFile(const std::string& path) {
    // One file at a time: what is still held is released, not leaked.
    Close();
    fileName_ = path;
    if (IsWebAddress(path)) return 0;
    auto stream = std::make_unique<CMediaFileStream>();
    if (!stream->Open(path.c_str())) return 0;

    void* chosen = nullptr;
    int32_t answer = HMA_OPEN_NO;
    for (const std::string& plugin : plugins_) {
        void* library = dlopen(plugin.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) continue;
        auto canBeOpen = Lookup<hma::CanBeOpenFn>(library, "CanBeOpen");
        if (canBeOpen) {
            // Each plug-in looks at the file from its start, whatever the one before it read.
            try {
                stream->SeekToBegin();
            } catch (const FileError&) {
            }
            answer = canBeOpen(stream.get());
            if (answer != HMA_OPEN_NO && Bind(library)) {
                chosen = library;
                break;
            }
        }
        answer = HMA_OPEN_NO;
        dlclose(library);
    }
    if (!chosen) return 0;
    library_ = chosen;
    stream_ = std::move(stream);
    if (answer != HMA_OPEN_YES) return answer;

    HMA_HANDLE handle = exports_.open(stream_.get());
    if (!handle) {
        ReleaseStream();
        dlclose(library_);
        library_ = nullptr;
        return 0;
    }
    handle_ = handle;
    duration_ = exports_.getDuration(handle_);
    return 1;
}

void PluginHost::ReleaseStream() {
    if (!stream_) return;
    stream_->Abort();
    stream_.reset();
}

void PluginHost::Close() {
    if (handle_) {
        exports_.stop(handle_);
        exports_.clear(handle_);
        handle_ = nullptr;
    }
    if (library_) {
        dlclose(library_);
        library_ = nullptr;
    }
    ReleaseStream();
    duration_ = -1;
}

void PluginHost::Play() {
    if (handle_) exports_.play(handle_);
}

void PluginHost::Pause() {
    if (handle_) exports_.pause(handle_);
}

void PluginHost::Stop() {
    if (handle_) exports_.stop(handle_);
}

int32_t PluginHost::Position() {
    if (!handle_ || duration_ < 0) return 0;
    return exports_.getPos(handle_);
}

void PluginHost::MoveTo(int32_t ms) {
    if (handle_) exports_.setPos(handle_, ms);
}

int32_t PluginHost::Duration() {
    if (!handle_) return 0;
    if (duration_ < 0) duration_ = exports_.getDuration(handle_);
    return duration_ < 0 ? 0 : duration_;
}

int32_t PluginHost::State() {
    if (!handle_) return HMA_STATE_STOPPED;
    if (duration_ < 0) return HMA_STATE_PLAYING;
    return exports_.getState(handle_);
}

bool PluginHost::TextItem(int32_t code, std::string& text) {
    if (!handle_) return false;
    char buffer[HMA_ITEM_TEXT_SIZE] = {};
    if (exports_.getData(handle_, code, buffer, sizeof buffer) == 0) return false;
    text = TextOf(buffer, sizeof buffer);
    return true;
}

bool PluginHost::NumberItem(int32_t code, int32_t& value) {
    if (!handle_) return false;
    int32_t answer = 0;
    if (exports_.getData(handle_, code, &answer, sizeof answer) == 0) return false;
    value = answer;
    return true;
}

int32_t PluginHost::SetNumberItem(int32_t value, int32_t code) {
    if (!handle_) return 0;
    return exports_.setData(handle_, code, &value, sizeof value);
}

void PluginHost::ErrorText(std::string& text) {
    text.clear();
    if (!library_) return;
    char buffer[HMA_ERROR_TEXT_SIZE] = {};
    exports_.getLastErrorString(handle_, buffer, sizeof buffer);
    text = TextOf(buffer, sizeof buffer);
}

}  // namespace zanto
