#pragma once
// What a transfer batch shows and asks while it runs. The player-memory window's dialogs and the
// command-line tool each implement it, so both drive the same batch code. Calls come on the
// thread that runs the batch, except progress, which comes on the engine's consumer thread (the
// same thread in every batch here).
#include <string>

#include "memview/link/DeviceError.h"
#include "memview/link/ProgressSink.h"

namespace zanto {

class TransferUi : public ProgressSink {
public:
    // The file being worked on and its count text, e.g. "(2/5)", "(1/3) MEDIA", "(4/4 HTTP)".
    virtual void ShowFile(const std::string& name, const std::string& countText) = 0;
    // The upload's destination folder.
    virtual void ShowFolder(const std::string& folder) { (void)folder; }
    // The initialize dialog's line: initializing or converting.
    virtual void ShowStatus(const std::string& text) { (void)text; }
    // A Yes/No question with No as the default. Batches ask only while the device's show-errors
    // flag is set and take the automatic answer otherwise.
    virtual bool Ask(const std::string& question) = 0;
    // An error text for the user.
    virtual void ShowError(const std::string& text) = 0;
    // A download batch finished with this entry (written, removed, or skipped after a question).
    virtual void EntryWritten(int index) { (void)index; }
    // The batch has ended with this error (None when it went through).
    virtual void Ended(DeviceError error) { (void)error; }
    void PostProgress(int percent) override { (void)percent; }
};

}  // namespace zanto
