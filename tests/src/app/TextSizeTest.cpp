// The main window at the desktop's text size. The suite runs it as the
// desktop comes; CTest runs it again with QT_FONT_DPI at 144 and 192, where
// Qt draws everything at a device pixel ratio of 1.5 and 2, and a line one
// pixel wide may fall between two device pixels.

#include "MainWidget.h"
#include "RunningApp.h"

#include "mainwindow/TabView.h"

#include <kit/app/BAutolock.h>

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Whether the widget draws a frame of its own along its edges.
bool IsFramed(QWidget* widget) {
    if (qobject_cast<QLabel*>(widget) != nullptr)
        return false;
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return line->hasFrame();
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return !button->isFlat();
    if (auto* field = qobject_cast<QAbstractSpinBox*>(widget))
        return field->hasFrame();
    if (auto* frame = qobject_cast<QFrame*>(widget))
        return frame->frameShape() != QFrame::NoFrame && frame->frameWidth() > 0;
    return false;
}

// What a look at the window finds wrong with its frames and labels: one line
// per fault, naming the widget.
struct Findings {
    std::vector<std::string> missingLines;
    std::vector<std::string> touchingLabels;
    int framed = 0;
    int labels = 0;
};

Findings LookAtFrames(const std::string& savePath) {
    Findings findings;
    QWidget* window = MainWidget();
    if (window == nullptr)
        return findings;
    const QImage image = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (!savePath.empty())
        image.save(QString::fromStdString(savePath));
    const qreal ratio = image.devicePixelRatio();
    // A frame line is clearly darker than the panel around it; the list's
    // own base is lighter, a page's background the same.
    const int panel = qGray(window->palette().color(QPalette::Window).rgb());
    auto dark = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
               qGray(image.pixel(x, y)) <= panel - 24;
    };
    // The rows or columns that a line along an edge may take: the first
    // device pixels that lie wholly inside the widget, as many as a logical
    // pixel covers, and one more.
    const int band = int(std::ceil(ratio)) + 1;

    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || !IsFramed(widget))
            continue;
        ++findings.framed;
        const QPoint at = widget->mapTo(window, QPoint(0, 0));
        const double left = at.x() * ratio, top = at.y() * ratio;
        const double right = (at.x() + widget->width()) * ratio;
        const double bottom = (at.y() + widget->height()) * ratio;
        const int firstX = int(std::ceil(left)), firstY = int(std::ceil(top));
        const int lastX = int(std::floor(right)) - 1, lastY = int(std::floor(bottom)) - 1;
        // The middle of each edge, clear of rounded corners.
        const int fromX = int(left + (right - left) * 0.2), toX = int(right - (right - left) * 0.2);
        const int fromY = int(top + (bottom - top) * 0.2), toY = int(bottom - (bottom - top) * 0.2);
        struct Edge {
            const char* name;
            bool horizontal;
            int start;
            int step;
        };
        const Edge edges[] = {{"left", false, firstX, 1},
                              {"top", true, firstY, 1},
                              {"right", false, lastX, -1},
                              {"bottom", true, lastY, -1}};
        for (const Edge& edge : edges) {
            int along = 0, drawn = 0;
            const int from = edge.horizontal ? fromX : fromY;
            const int to = edge.horizontal ? toX : toY;
            for (int position = from; position <= to; ++position, ++along) {
                for (int depth = 0; depth < band; ++depth) {
                    const int across = edge.start + edge.step * depth;
                    if (edge.horizontal ? dark(position, across) : dark(across, position)) {
                        ++drawn;
                        break;
                    }
                }
            }
            if (along == 0 || drawn * 10 < along * 9)
                findings.missingLines.push_back(widget->objectName().toStdString() + " (" +
                                                widget->metaObject()->className() + ") " +
                                                edge.name + ": " + std::to_string(drawn) + " of " +
                                                std::to_string(along));
        }
    }

    // A label's text ends a little before the field beside it, the pop-up
    // button of a menu field or the line of a text control, both children
    // of the label's column: its dark pixels stay clear of the field.
    for (QLabel* label : window->findChildren<QLabel*>(QStringLiteral("Label"))) {
        QWidget* column = label->parentWidget();
        if (!label->isVisibleTo(window) || column == nullptr)
            continue;
        QWidget* field = nullptr;
        for (QWidget* sibling : column->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (sibling != label && sibling->isVisibleTo(window))
                field = sibling;
        if (field == nullptr)
            continue;
        ++findings.labels;
        const QPoint labelAt = label->mapTo(window, QPoint(0, 0));
        const int fieldLeft = int(std::ceil(field->mapTo(window, QPoint(0, 0)).x() * ratio));
        int textRight = -1;
        for (int y = int(labelAt.y() * ratio); y < int((labelAt.y() + label->height()) * ratio);
             ++y)
            for (int x = int(labelAt.x() * ratio); x < fieldLeft; ++x)
                if (dark(x, y))
                    textRight = std::max(textRight, x);
        const int gap = fieldLeft - 1 - textRight;
        if (textRight < 0 || gap < int(std::lround(3 * ratio)))
            findings.touchingLabels.push_back(label->text().toStdString() + ": " +
                                              std::to_string(gap) + " device pixels");
    }
    return findings;
}

} // namespace

// Every frame of every page is drawn whole, at whatever size the desktop's
// text has, and every label keeps a gap to its field.
TEST(LargerText, EveryFrameLineIsDrawnAndNoLabelTouchesItsField) {
    RunningApp running;
    ASSERT_TRUE(running.shown);
    const char* folder = std::getenv("MF_SCREENSHOT_DIR");
    const char* dpi = std::getenv("QT_FONT_DPI");
    int framed = 0, labels = 0;
    for (int page = 0; page < 3; ++page) {
        {
            BAutolock lock(running.window);
            ASSERT_TRUE(lock.IsLocked());
            running.window->tabView->Select(page);
        }
        ASSERT_TRUE(driver::WaitFor([&] { return driver::CurrentTab(kMainTitle) == page; }));
        driver::Settle();
        std::string savePath;
        if (folder != nullptr)
            savePath = std::string(folder) + "/page" + std::to_string(page + 1) + "-" +
                       (dpi != nullptr ? dpi : "96") + "dpi.png";
        const Findings findings =
            driver::OnDisplay<Findings>([&] { return LookAtFrames(savePath); });
        for (const std::string& line : findings.missingLines)
            ADD_FAILURE() << "page " << page + 1 << ": no frame line at " << line;
        for (const std::string& label : findings.touchingLabels)
            ADD_FAILURE() << "page " << page + 1 << ": label touches its field: " << label;
        framed += findings.framed;
        labels += findings.labels;
    }
    // The tab pages' frame, the list's, the seven buttons below and beside
    // it, the two lines, the pop-up and the number field were looked at,
    // and the four labels.
    EXPECT_GE(framed, 11);
    EXPECT_EQ(labels, 4);
}
