#pragma once

// Kit-private: widgets of the display found by the token of the kit object
// they mirror. Entries hold the widget weakly: one that Qt has deleted is
// found as gone and forgotten. Thread: the display's only.

#include "app/SupportDefs.h"

#include <QPointer>

#include <unordered_map>

namespace display {

template <class Widget>
class WidgetRegistry {
public:
    Widget* Find(uint64 id) {
        auto it = fWidgets.find(id);
        if (it == fWidgets.end())
            return nullptr;
        if (it->second.isNull()) {
            fWidgets.erase(it);
            return nullptr;
        }
        return it->second.data();
    }
    void Remember(uint64 id, Widget* widget) { fWidgets[id] = widget; }
    void Forget(uint64 id) { fWidgets.erase(id); }

private:
    std::unordered_map<uint64, QPointer<Widget>> fWidgets;
};

} // namespace display
