#pragma once
// The decoder plug-in host: finds the ".hma" libraries in the program's "Plug-in" folder, builds
// the file-dialog filter text from their answers, picks the plug-in for a file and forwards the
// playback requests to it. One object per user (the player, the playlist editor); all calls on
// one thread. Independent of any toolkit, so terminal programs use it as the windows do.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plugins/contract/HmaPlugin.h"

class CMediaFileStream;

namespace zanto {

class PluginHost {
public:
    // The filter text's closing pair; "||" ends the list for the file dialog.
    static constexpr const char* kAllFilesFilter = "All Files (*.*)|*.*||";

    // The host looks for plug-ins in pluginFolder; by default "<program folder>/Plug-in".
    explicit PluginHost(std::string pluginFolder = DefaultPluginFolder());
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    static std::string DefaultPluginFolder();

    // Scans the folder. With a filter text: reads the "sfmt" setting into it; when that is empty,
    // probes every listed library (dropping those that are not plug-ins), builds the text and
    // stores it as "sfmt". Then appends kAllFilesFilter (in memory only).
    void Initialise(std::string* filterText);
    // The folder's "*.hma" entries that are not folders, in the order the folder lists them.
    void Scan();

    bool HasPlugins() const { return !plugins_.empty(); }
    bool IsOpen() const { return handle_ != nullptr; }
    const std::vector<std::string>& Plugins() const { return plugins_; }
    void SetPlugins(std::vector<std::string> plugins) { plugins_ = std::move(plugins); }
    const std::string& FileName() const { return fileName_; }
    const std::string& Folder() const { return folder_; }

    // 0: no plug-in could open the file; 1: opened; 3: the chosen plug-in refused it for now
    // (ErrorText tells why). Web addresses are refused: this host plays local files only.
    int32_t OpenFile(const std::string& path);
    void Close();

    void Play();
    void Pause();
    void Stop();
    int32_t Position();         // 0 while the duration is not known
    void MoveTo(int32_t ms);
    int32_t Duration();         // never negative; asks again while not known
    int32_t State();            // HMA_STATE_PLAYING while the duration is not known
    bool TextItem(int32_t code, std::string& text);
    bool NumberItem(int32_t code, int32_t& value);
    int32_t SetNumberItem(int32_t value, int32_t code);
    void ErrorText(std::string& text);

    // Loads a library and asks whether it is a plug-in; on success gives its filter text and,
    // when name is given and answered, its display name.
    static bool ProbeLibrary(const std::string& path, std::string* filter, std::string* name);
    // Adds a plug-in's filter text: in front when it lists "*.mp" patterns, else at the end.
    static void AddFilterText(std::string& filterText, const std::string& pluginFilter);

private:
    struct Exports {
        hma::OpenFn open = nullptr;
        hma::HandleFn clear = nullptr, play = nullptr, stop = nullptr, pause = nullptr;
        hma::QueryFn getDuration = nullptr, getState = nullptr, getPos = nullptr;
        hma::SetPosFn setPos = nullptr;
        hma::DataFn getData = nullptr, setData = nullptr;
        hma::GetStreamFn getStream = nullptr;
        hma::SetSpectrumAreaFn setSpectrumArea = nullptr;
        hma::GetLastErrorStringFn getLastErrorString = nullptr;
    };
    bool Bind(void* library);
    void ReleaseStream();

    std::string folder_;
    std::vector<std::string> plugins_;
    std::string fileName_;
    HMA_HANDLE handle_ = nullptr;
    std::unique_ptr<CMediaFileStream> stream_;
    int32_t duration_ = -1;
    void* library_ = nullptr;
    Exports exports_;
};

}  // namespace zanto
