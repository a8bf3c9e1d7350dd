#pragma once

// One tab of a tab view: a label and the page view it brings to the front.

#include <string>

class BView;
class BTabView;

class BTab {
public:
    explicit BTab(BView* view = nullptr);
    virtual ~BTab();

    BTab(const BTab&) = delete;
    BTab& operator=(const BTab&) = delete;

    // Thread: the tab view's window lock holder, or any before it is in a window.
    // An unlabelled tab shows the name of its page view.
    const char* Label() const;
    void SetLabel(const char* label);
    BView* View() const { return fView; }
    bool IsSelected() const;

private:
    friend class BTabView;

    std::string fLabel;
    BView* fView;
    BTabView* fTabView = nullptr;
};
