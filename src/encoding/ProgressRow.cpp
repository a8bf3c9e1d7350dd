#include "encoding/ProgressRow.h"

#include "app/ButtonSlot.h"
#include "app/Commands.h"
#include <kit/interface/BButton.h>
#include <kit/interface/BStatusBar.h>
#include <kit/interface/BStringView.h>
#include <kit/interface/BWindow.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr const char* kSkipLabel = "Datei auslassen";

// The name line's height, and the gaps: 3 above the name, 4 between name
// and bar, 6 below the row.
constexpr float kNameHeight = 15;

float ButtonHeight() {
    BButton probe(BRect(0, 0, kButtonSlot, 24), "", kSkipLabel, nullptr);
    float height = 0;
    probe.GetPreferredSize(nullptr, &height);
    return height;
}

} // namespace

ProgressRow::ProgressRow(float top, float width, int32 number, BWindow* target)
    : BView(BRect(0, top, width, top + Height() - 1),
            ("EncoderRow" + std::to_string(number)).c_str(), B_FOLLOW_LEFT | B_FOLLOW_TOP, 0) {
    fileName = new BStringView(BRect(5, 3, width - 5, 3 + kNameHeight), "FileName", "#",
                               B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
    AddChild(fileName);

    // The button at the right end of the second line, the bar beside it,
    // both centred on the line.
    const float line = 3 + kNameHeight + 4;
    skipButton = new BButton(BRect(0, line, kButtonSlot, line + 24), "SkipFile", kSkipLabel,
                             new BMessage(cmd::SKIP), B_FOLLOW_LEFT | B_FOLLOW_TOP,
                             B_WILL_DRAW | B_NAVIGABLE);
    skipButton->SetTarget(target);
    ResizeButtonToFit(skipButton);
    const float buttonWidth = skipButton->Frame().Width();
    skipButton->MoveTo(width - 5 - buttonWidth, line);
    skipButton->SetEnabled(false);

    fileProgress = new BStatusBar(BRect(5, line, width - 5 - buttonWidth - 6, line + 14),
                                  "FileProgress", "Fortschritt der Datei");
    fileProgress->ResizeToPreferred();
    const float barOffset =
        std::max(0.0f, (skipButton->Frame().Height() - fileProgress->Frame().Height()) / 2);
    fileProgress->MoveTo(5, line + barOffset);
    AddChild(fileProgress);
    AddChild(skipButton);
}

float ProgressRow::Height() {
    return 3 + kNameHeight + 4 + ButtonHeight() + 1 + 6;
}

void ProgressRow::Begin(const char* path) {
    // The file's own name: the row is too narrow for the folders, and the
    // name is what tells the rows apart.
    const char* slash = std::strrchr(path, '/');
    fName = slash != nullptr && slash[1] != '\0' ? slash + 1 : path;
    fTeam = -1;
    fLaunch = 0;
    fInUse = true;
    fProgress.Reset();
}

void ProgressRow::Started(team_id team, int64 launch) {
    fTeam = team;
    fLaunch = launch;
}

bool ProgressRow::Take(team_id team, int64 launch, const char* text) {
    if (!fInUse || team != fTeam || launch != fLaunch || text == nullptr)
        return false;
    return fProgress.Feed(text);
}

void ProgressRow::Skipping() {
    fSkipped = fLaunch;
    skipButton->SetEnabled(false);
}

void ProgressRow::Free() {
    // Nothing on the screen changes yet: the next file usually takes the row
    // at once, and a change here would wake the display before that file's
    // encoder is launched, to compete with it for the processor. A row
    // still free at the next showing leaves the window then.
    fInUse = false;
    fTeam = -1;
    fLaunch = 0;
    fProgress.Reset();
}

void ProgressRow::Present() {
    // What the screen shows is read from the views themselves.
    const std::string skipLabel = std::string(kSkipLabel) + ": " + fName;
    if (skipButton->AccessibleLabel() != skipLabel) {
        fileName->SetText(fName.c_str());
        skipButton->SetAccessibleLabel(skipLabel);
    }
    int64 shownLaunch = -1;
    if (const BMessage* shown = skipButton->Message(); shown != nullptr)
        shown->FindInt64("kit:launch", &shownLaunch);
    if (fLaunch != shownLaunch) {
        auto* skip = new BMessage(cmd::SKIP);
        skip->AddInt32("be:team", fTeam);
        skip->AddInt64("kit:launch", fLaunch);
        skipButton->SetMessage(skip);
    }
    skipButton->SetEnabled(fTeam >= 0 && fLaunch != fSkipped);
    ShowShare(fileProgress, fProgress.Fraction());
}

void ProgressRow::ShowShare(BStatusBar* bar, std::optional<double> fraction) {
    if (fraction) {
        bar->SetTo(float(*fraction * bar->MaxValue()));
    } else {
        bar->Reset();
        bar->SetBusy(true);
    }
}
