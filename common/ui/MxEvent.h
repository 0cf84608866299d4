#pragma once
// A named message between windows: the event type comes from the process-wide table, and the two
// values travel as they would in a window message. A receiver of a sent (not posted) event may
// leave an answer in result.
#include <QEvent>
#include <cstdint>
#include <string_view>

#include "common/ui/RegisteredEvents.h"

namespace zanto::ui {

class MxEvent : public QEvent {
public:
    MxEvent(std::string_view name, uintptr_t wParam, intptr_t lParam)
        : QEvent(static_cast<QEvent::Type>(RegisteredEventType(name))), wParam(wParam), lParam(lParam) {}

    // True when event is the named message.
    static bool Is(const QEvent* event, std::string_view name) {
        return event != nullptr && static_cast<int>(event->type()) == RegisteredEventType(name);
    }

    uintptr_t wParam;
    intptr_t lParam;
    intptr_t result = 0;
};

}  // namespace zanto::ui
