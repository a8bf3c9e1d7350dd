#pragma once

// Kit-private: widgets of the display found by the token of the kit object
// they mirror. Entries hold the widget weakly: one that Qt has deleted is
// found as gone and forgotten. Thread: the display's only, and checked: every
// way from the kit to a widget leads through here, so a looper thread that
// would touch a widget is stopped at the door. (The thread checker cannot see
// inside Qt's uninstrumented libraries; this check does not depend on it.)

#include <kit/app/SupportDefs.h>
#include <kit/app/Verify.h>
#include <kit/display/Display.h>

#include <QPointer>

#include <unordered_map>

namespace display {

template <class Widget>
class WidgetRegistry {
public:
    Widget* Find(uint64 id) {
        KIT_VERIFY(IsDisplayThread(), "a widget looked up off the display thread");
        auto it = fWidgets.find(id);
        if (it == fWidgets.end())
            return nullptr;
        if (it->second.isNull()) {
            fWidgets.erase(it);
            return nullptr;
        }
        return it->second.data();
    }
    void Remember(uint64 id, Widget* widget) {
        KIT_VERIFY(IsDisplayThread(), "a widget made off the display thread");
        fWidgets[id] = widget;
    }
    void Forget(uint64 id) {
        KIT_VERIFY(IsDisplayThread(), "a widget forgotten off the display thread");
        fWidgets.erase(id);
    }

private:
    std::unordered_map<uint64, QPointer<Widget>> fWidgets;
};

} // namespace display
