#pragma once
// Where a long device operation reports how far it got: the window's progress bar (the bar's
// set-position message) or the command-line tool's progress line.
namespace zanto {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // percent 0..100; called on the thread that runs the operation.
    virtual void PostProgress(int percent) = 0;
};

}  // namespace zanto
