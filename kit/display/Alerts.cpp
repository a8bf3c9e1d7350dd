#include <kit/display/Alerts.h>

#include <kit/display/Display.h>
#include <kit/display/QtText.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

#include <mutex>
#include <vector>

namespace display {

namespace {

// The alerts on the screen. Thread: the display's.
std::vector<QPointer<QMessageBox>> sOpenAlerts;

std::mutex sNameMutex;
std::string sProgramName;

QString ProgramName() {
    std::lock_guard guard(sNameMutex);
    return sProgramName.empty() ? QApplication::applicationName() : ToQt(sProgramName);
}

QMessageBox::Icon IconOf(alert_type type) {
    switch (type) {
    case B_INFO_ALERT:
    case B_IDEA_ALERT:
        return QMessageBox::Information;
    case B_WARNING_ALERT:
        return QMessageBox::Warning;
    case B_STOP_ALERT:
        return QMessageBox::Critical;
    case B_EMPTY_ALERT:
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

void SetProgramName(const std::string& name) {
    std::lock_guard guard(sNameMutex);
    sProgramName = name;
}

void ShowAlert(const std::string& title, const std::string& text,
               const std::vector<std::string>& buttons, alert_type type,
               std::function<void(int32)> answered, std::function<bool()> givenUp, bool modal) {
    Post([=] {
        if (givenUp && givenUp())
            return;
        auto* box = new QMessageBox;
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setObjectName(ToQt(title));
        box->setWindowTitle(ProgramName());
        box->setText(ToQt(text));
        box->setTextFormat(Qt::PlainText);
        box->setIcon(IconOf(type));
        box->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
        std::vector<QAbstractButton*> pushButtons;
        for (const std::string& label : buttons) {
            QString shown = Literal(label);
            QPushButton* button = box->addButton(shown, QMessageBox::AcceptRole);
            button->setObjectName(ToQt(label));
            button->setAccessibleName(ToQt(label));
            pushButtons.push_back(button);
        }
        // Closing the box without a button (the Escape key, the window
        // manager) counts as the last button, the most cautious answer.
        if (!pushButtons.empty())
            box->setEscapeButton(pushButtons.back());
        QObject::connect(box, &QMessageBox::finished, box, [box, pushButtons, answered] {
            int32 index = pushButtons.empty() ? 0 : int32(pushButtons.size()) - 1;
            for (size_t i = 0; i < pushButtons.size(); ++i)
                if (box->clickedButton() == pushButtons[i])
                    index = int32(i);
            answered(index);
        });
        // Shown, not opened: open() would make the box modal to a parent
        // window it does not have, and so to nothing.
        std::erase_if(sOpenAlerts, [](const QPointer<QMessageBox>& open) { return open.isNull(); });
        sOpenAlerts.emplace_back(box);
        // A modal window blocks every window but those it stands for: the
        // alert becomes one of them, without becoming its child, so that it
        // stays when that window hides.
        QWidget* blocking = modal ? nullptr : QApplication::activeModalWidget();
        if (blocking != nullptr && blocking->windowHandle() != nullptr) {
            box->winId();
            box->windowHandle()->setTransientParent(blocking->windowHandle());
        }
        box->show();
    });
}

void DismissAlerts() {
    Post([] {
        // Deleted, not closed: closing would answer with the escape button.
        // Deleting drops the answer's callback, which tells the waiting
        // thread that no answer will come.
        std::vector<QPointer<QMessageBox>> open;
        open.swap(sOpenAlerts);
        for (const QPointer<QMessageBox>& box : open)
            delete box.data();
    });
}

} // namespace display
