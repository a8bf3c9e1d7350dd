#pragma once

// What the file list's tests share: the running program, its list and
// buttons read under the main window's lock, and waiting for the list to
// reach a state.

#include "filelist/FilesList.h"
#include "filelist/FilesView.h"
#include "mainwindow/TabView.h"
#include "src/app/RunningApp.h"
#include <kit/interface/BButton.h>
#include <kit/interface/BStringItem.h>

#include <algorithm>
#include <chrono>
#include <dirent.h>
#include <functional>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace filelist_testing {

// The list and the four buttons that follow it, as the kit holds them.
struct ListState {
    std::vector<std::string> texts;
    std::vector<int> selection;
    bool encode = false;
    bool remove = false;
    bool up = false;
    bool down = false;

    bool operator==(const ListState&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ListState& state) {
    out << "{";
    for (const auto& text : state.texts)
        out << "\"" << text << "\" ";
    out << "| selected";
    for (int row : state.selection)
        out << " " << row;
    return out << " | encode " << state.encode << " remove " << state.remove << " up " << state.up
               << " down " << state.down << "}";
}

// Runs work under the main window's lock and answers its result.
template <class Work>
auto Locked(MainWindow* window, Work&& work) {
    window->Lock();
    if constexpr (std::is_void_v<decltype(work())>) {
        work();
        window->Unlock();
    } else {
        auto result = work();
        window->Unlock();
        return result;
    }
}

inline ListState StateOf(MainWindow* window) {
    return Locked(window, [&] {
        ListState state;
        FilesList* list = window->filesList;
        for (int32 i = 0; i < list->CountItems(); ++i)
            state.texts.emplace_back(static_cast<BStringItem*>(list->ItemAt(i))->Text());
        for (int32 k = 0; list->CurrentSelection(k) != -1; ++k)
            state.selection.push_back(list->CurrentSelection(k));
        state.encode = window->encodeButton->IsEnabled();
        state.remove = list->removeButton->IsEnabled();
        state.up = list->upButton->IsEnabled();
        state.down = list->downButton->IsEnabled();
        return state;
    });
}

// Waits until the condition on the kit's state holds, taking the lock for
// each look.
inline bool WaitForList(MainWindow* window, const std::function<bool(const ListState&)>& holds,
                        std::chrono::seconds timeout = std::chrono::seconds(20)) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (holds(StateOf(window)))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// The names in a folder, so that a test sees temporary files left behind.
inline std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline int32 CountEntries(MainWindow* window) {
    return Locked(window, [&] { return window->filesList->CountItems(); });
}

} // namespace filelist_testing
