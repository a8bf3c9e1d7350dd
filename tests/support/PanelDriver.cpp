#include "support/PanelDriver.h"

#include "support/DisplayDriver.h"
#include <kit/display/Display.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>

#include <functional>

namespace driver {

namespace {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

QFileDialog* FindDialog(const std::string& name) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QFileDialog*>(widget);
            dialog != nullptr && dialog->objectName() == ToQt(name))
            return dialog;
    return nullptr;
}

QAbstractItemView* ListOf(QFileDialog* dialog) {
    return dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
}

QLineEdit* NameEditOf(QFileDialog* dialog) {
    return dialog == nullptr ? nullptr
                             : dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

QPushButton* ButtonOf(QFileDialog* dialog, QDialogButtonBox::StandardButton which) {
    auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return box == nullptr ? nullptr : box->button(which);
}

QPushButton* AcceptOf(QFileDialog* dialog) {
    return ButtonOf(dialog, dialog->acceptMode() == QFileDialog::AcceptSave
                                ? QDialogButtonBox::Save
                                : QDialogButtonBox::Open);
}

// The row of a listed entry in the folder shown, or an invalid index.
QModelIndex RowOf(QFileDialog* dialog, const std::string& entry) {
    QAbstractItemView* view = ListOf(dialog);
    if (view == nullptr || view->model() == nullptr)
        return {};
    QAbstractItemModel* model = view->model();
    QModelIndex root = view->rootIndex();
    for (int row = 0; row < model->rowCount(root); ++row) {
        QModelIndex index = model->index(row, 0, root);
        if (index.data().toString() == ToQt(entry))
            return index;
    }
    return {};
}

bool Listed(QFileDialog* dialog, const std::string& folder,
            const std::vector<std::string>& entries) {
    if (dialog->directory().absolutePath() != QDir(ToQt(folder)).absolutePath())
        return false;
    for (const std::string& entry : entries)
        if (!RowOf(dialog, entry).isValid())
            return false;
    return true;
}

} // namespace

PanelInfo Panel(const std::string& name) {
    return OnDisplay<PanelInfo>([&] {
        PanelInfo info;
        QFileDialog* dialog = FindDialog(name);
        if (dialog == nullptr)
            return info;
        info.exists = true;
        info.visible = dialog->isVisible();
        info.applicationModal = dialog->windowModality() == Qt::ApplicationModal;
        info.title = dialog->windowTitle().toStdString();
        if (QPushButton* accept = AcceptOf(dialog)) {
            info.acceptLabel = accept->text().toStdString();
            info.acceptAccessibleName = accept->accessibleName().toStdString();
            info.acceptEnabled = accept->isEnabled();
        }
        if (QPushButton* cancel = ButtonOf(dialog, QDialogButtonBox::Cancel)) {
            info.cancelLabel = cancel->text().toStdString();
            info.cancelAccessibleName = cancel->accessibleName().toStdString();
        }
        info.folder = dialog->directory().absolutePath().toStdString();
        if (QLineEdit* edit = NameEditOf(dialog))
            info.typed = edit->text().toStdString();
        if (QAbstractItemView* view = ListOf(dialog))
            info.selectedRows = int(view->selectionModel()->selectedRows().size());
        return info;
    });
}

bool WaitForPanelShown(const std::string& name) {
    return WaitFor([&] {
        QFileDialog* dialog = FindDialog(name);
        return dialog != nullptr && dialog->isVisible();
    });
}

bool WaitForPanelHidden(const std::string& name) {
    return WaitFor([&] {
        QFileDialog* dialog = FindDialog(name);
        return dialog != nullptr && !dialog->isVisible();
    });
}

bool WaitForPanelGone(const std::string& name) {
    return WaitFor([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return FindDialog(name) == nullptr;
    });
}

bool WaitForListing(const std::string& name, const std::string& folder,
                    const std::vector<std::string>& entries) {
    return WaitFor([&] {
        QFileDialog* dialog = FindDialog(name);
        return dialog != nullptr && Listed(dialog, folder, entries);
    });
}

bool GoToFolder(const std::string& name, const std::string& folder,
                const std::vector<std::string>& entries) {
    bool found = OnDisplay<bool>([&] {
        QFileDialog* dialog = FindDialog(name);
        if (dialog == nullptr)
            return false;
        dialog->setDirectory(ToQt(folder));
        return true;
    });
    return found && WaitForListing(name, folder, entries);
}

bool SelectEntries(const std::string& name, const std::vector<std::string>& entries) {
    return OnDisplay<bool>([&] {
        QFileDialog* dialog = FindDialog(name);
        QAbstractItemView* view = dialog == nullptr ? nullptr : ListOf(dialog);
        if (view == nullptr)
            return false;
        QItemSelectionModel* selection = view->selectionModel();
        selection->clearSelection();
        // A dialog for one file takes each click with Ctrl held as a new
        // choice, as it does for a user.
        const QItemSelectionModel::SelectionFlags click =
            (view->selectionMode() == QAbstractItemView::SingleSelection
                 ? QItemSelectionModel::ClearAndSelect
                 : QItemSelectionModel::Select) |
            QItemSelectionModel::Rows;
        for (const std::string& entry : entries) {
            QModelIndex index = RowOf(dialog, entry);
            if (!index.isValid())
                return false;
            selection->setCurrentIndex(index, click);
        }
        return true;
    });
}

bool ActivateEntry(const std::string& name, const std::string& entry) {
    return OnDisplay<bool>([&] {
        QFileDialog* dialog = FindDialog(name);
        QModelIndex index = dialog == nullptr ? QModelIndex() : RowOf(dialog, entry);
        if (!index.isValid())
            return false;
        // A double click selects the entry with its first click.
        QAbstractItemView* view = ListOf(dialog);
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
        emit view->activated(index);
        return true;
    });
}

bool TypeName(const std::string& name, const std::string& text) {
    return OnDisplay<bool>([&] {
        QLineEdit* edit = NameEditOf(FindDialog(name));
        if (edit == nullptr)
            return false;
        edit->setText(ToQt(text));
        return true;
    });
}

bool PressReturn(const std::string& name) {
    if (!WaitFor([&] {
            QFileDialog* dialog = FindDialog(name);
            QPushButton* accept = dialog == nullptr ? nullptr : AcceptOf(dialog);
            return accept != nullptr && accept->isEnabled();
        }))
        return false;
    return OnDisplay<bool>([&] {
        QLineEdit* edit = NameEditOf(FindDialog(name));
        if (edit == nullptr)
            return false;
        // The field passes the key on to the dialog, as it does for a user.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(edit, &press);
        QApplication::sendEvent(edit, &release);
        return true;
    });
}

std::vector<std::string> SelectedFiles(const std::string& name) {
    return OnDisplay<std::vector<std::string>>([&] {
        std::vector<std::string> files;
        if (QFileDialog* dialog = FindDialog(name))
            for (const QString& file : dialog->selectedFiles())
                files.push_back(file.toStdString());
        return files;
    });
}

TypeChoices Types(const std::string& name) {
    return OnDisplay<TypeChoices>([&] {
        TypeChoices choices;
        QFileDialog* dialog = FindDialog(name);
        auto* box = dialog == nullptr
                        ? nullptr
                        : dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (box == nullptr || !box->isVisible())
            return choices;
        for (int i = 0; i < box->count(); ++i)
            choices.labels.push_back(box->itemText(i).toStdString());
        choices.chosen = box->currentIndex();
        return choices;
    });
}

std::vector<Cell> Cells(const std::string& name) {
    return OnDisplay<std::vector<Cell>>([&] {
        std::vector<Cell> cells;
        QFileDialog* dialog = FindDialog(name);
        auto* tree =
            dialog == nullptr ? nullptr : dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        if (tree == nullptr || !tree->isVisible())
            return cells;
        QAbstractItemModel* model = tree->model();
        const QRect viewport = tree->viewport()->rect();
        // The item's text keeps a margin on either side, as the style draws it.
        const int margin =
            2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1);
        for (int row = 0; row < model->rowCount(tree->rootIndex()); ++row)
            for (int column = 0; column < model->columnCount(tree->rootIndex()); ++column) {
                if (tree->header()->isSectionHidden(column))
                    continue;
                const QModelIndex index = model->index(row, column, tree->rootIndex());
                Cell cell;
                cell.column = model->headerData(column, Qt::Horizontal).toString().toStdString();
                const QString text = index.data().toString();
                cell.text = text.toStdString();
                cell.needed = tree->fontMetrics().horizontalAdvance(text) + margin;
                if (column == 0)
                    cell.needed += (tree->iconSize().isValid()
                                        ? tree->iconSize().width()
                                        : tree->style()->pixelMetric(QStyle::PM_SmallIconSize,
                                                                     nullptr, tree)) +
                                   margin;
                const QRect shown = tree->visualRect(index);
                cell.seen = std::max(0, std::min(shown.right(), viewport.right()) -
                                            std::max(shown.left(), viewport.left()) + 1);
                cells.push_back(cell);
            }
        return cells;
    });
}

namespace {

// Clicks a button of the dialog once it can be pressed: the dialog updates
// its buttons as it reads the folder in the background.
bool Press(const std::string& name, bool accept, std::chrono::milliseconds timeout,
           std::vector<std::string>* chosen = nullptr) {
    auto find = [&]() -> QPushButton* {
        QFileDialog* dialog = FindDialog(name);
        if (dialog == nullptr)
            return nullptr;
        return accept ? AcceptOf(dialog) : ButtonOf(dialog, QDialogButtonBox::Cancel);
    };
    if (!WaitFor(
            [&] {
                QPushButton* button = find();
                return button != nullptr && button->isVisible() && button->isEnabled();
            },
            timeout))
        return false;
    return OnDisplay<bool>([&] {
        QPushButton* button = find();
        if (button == nullptr || !button->isVisible() || !button->isEnabled())
            return false;
        // Read in the same step as the click: the dialog keeps sorting its
        // folder in the background, which may reorder its choice later.
        if (chosen != nullptr)
            for (const QString& file : FindDialog(name)->selectedFiles())
                chosen->push_back(file.toStdString());
        button->click();
        return true;
    });
}

} // namespace

bool PressAccept(const std::string& name, std::chrono::milliseconds timeout) {
    return Press(name, true, timeout);
}

bool PressAcceptReporting(const std::string& name, std::vector<std::string>* chosen,
                          std::chrono::milliseconds timeout) {
    return Press(name, true, timeout, chosen);
}

bool PressCancel(const std::string& name, std::chrono::milliseconds timeout) {
    return Press(name, false, timeout);
}

} // namespace driver
