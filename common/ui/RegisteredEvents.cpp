#include "common/ui/RegisteredEvents.h"

#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace zanto::ui {
namespace {

struct Table {
    std::mutex mutex;
    std::unordered_map<std::string, int> numbers;
    std::deque<std::string> names;  // by number - kFirstRegisteredEvent; a deque keeps views valid
};

Table& TheTable() {
    static Table table;
    return table;
}

}  // namespace

int RegisteredEventType(std::string_view name) {
    if (name.empty()) {
        return 0;
    }
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    std::string key(name);
    if (auto it = t.numbers.find(key); it != t.numbers.end()) {
        return it->second;
    }
    const int number = kFirstRegisteredEvent + static_cast<int>(t.names.size());
    if (number > kLastRegisteredEvent) {
        return 0;
    }
    t.names.push_back(key);
    t.numbers.emplace(std::move(key), number);
    return number;
}

std::string_view RegisteredEventName(int type) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    if (type < kFirstRegisteredEvent || type - kFirstRegisteredEvent >= static_cast<int>(t.names.size())) {
        return {};
    }
    return t.names[static_cast<size_t>(type - kFirstRegisteredEvent)];
}

}  // namespace zanto::ui
