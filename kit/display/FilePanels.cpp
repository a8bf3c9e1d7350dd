#include <kit/display/FilePanels.h>

#include <kit/display/QtText.h>

#include <kit/display/WidgetRegistry.h>

#include <kit/storage/StorageDefs.h>
#include <kit/storage/entry_ref.h>

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <unordered_map>
#include <vector>

namespace display {

namespace {

// Qt's own file dialog, drawn by Qt rather than by the desktop, so that it
// behaves the same everywhere and can be driven in tests. It replaces the
// dialog's accept step: Qt's would ask its questions in nested event loops,
// which would run the display's tasks (among them one that destroys this
// dialog) in the middle of the answer. And it decides itself whether to hide
// after a choice, so a panel can stay open for further choices.
class PanelDialog : public QFileDialog {
public:
    explicit PanelDialog(const FilePanelShape& shape) : fShape(shape) {
        // The widgets exist only once the native dialog is ruled out, so
        // this comes before everything else.
        setOption(QFileDialog::DontUseNativeDialog);
        setOption(QFileDialog::DontResolveSymlinks, shape.keepLinks);
        setOption(QFileDialog::DontConfirmOverwrite);
        setAcceptMode(shape.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        if (shape.save)
            setFileMode(QFileDialog::AnyFile);
        else
            setFileMode(shape.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        setWindowModality(shape.modal ? Qt::ApplicationModal : Qt::NonModal);
        setDirectory(shape.directory.empty() ? QDir::homePath() : ToQt(shape.directory));
        Apply(shape);
    }

    void Apply(const FilePanelShape& shape) {
        // The kind of dialog and its folder are fixed when it is made.
        fShape.title = shape.title;
        fShape.acceptLabel = shape.acceptLabel;
        fShape.cancelLabel = shape.cancelLabel;
        fShape.replaceQuestion = shape.replaceQuestion;
        fShape.replaceLabel = shape.replaceLabel;
        fShape.keepLabel = shape.keepLabel;
        fShape.hideWhenDone = shape.hideWhenDone;
        fShape.target = shape.target;
        fShape.message = shape.message;

        setWindowTitle(ToQt(shape.title));
        setObjectName(ToQt(shape.title));
        setLabelText(QFileDialog::Accept, Literal(shape.acceptLabel));
        setLabelText(QFileDialog::Reject, Literal(shape.cancelLabel));
        if (QPushButton* button = Button(AcceptButton()))
            button->setAccessibleName(ToQt(shape.acceptLabel));
        if (QPushButton* button = Button(QDialogButtonBox::Cancel))
            button->setAccessibleName(ToQt(shape.cancelLabel));
    }

    void ShowPanel() {
        fShape.showing->store(true);
        // show(), not open(): open() would turn the dialog window-modal, and
        // a dialog without a parent window would then block nothing.
        show();
        activateWindow();
    }

    void HidePanel() {
        if (isVisible())
            done(QDialog::Rejected);
        fShape.showing->store(false);
    }

protected:
    void accept() override {
        if (fShape.save)
            ChooseName();
        else
            ChooseFiles();
    }

    void done(int result) override {
        if (fConfirm != nullptr)
            fConfirm->close();
        QFileDialog::done(result);
        fShape.showing->store(false);
    }

private:
    QDialogButtonBox::StandardButton AcceptButton() const {
        return fShape.save ? QDialogButtonBox::Save : QDialogButtonBox::Open;
    }

    QPushButton* Button(QDialogButtonBox::StandardButton which) const {
        auto* box = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        return box == nullptr ? nullptr : box->button(which);
    }

    QLineEdit* NameEdit() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

    // Goes into a folder that the user chose, as a double click would.
    void Enter(const QString& folder) {
        setDirectory(folder);
        if (QLineEdit* edit = NameEdit())
            edit->clear();
    }

    void ChooseFiles() {
        const QStringList files = selectedFiles();
        if (files.isEmpty())
            return;
        BMessage message = fShape.message;
        for (const QString& file : files) {
            QFileInfo info(file);
            // Folders are entered, never chosen; so are links to folders.
            if (info.isDir()) {
                Enter(info.absoluteFilePath());
                return;
            }
            QString path;
            if (fShape.keepLinks && info.isSymLink())
                path = info.absoluteFilePath();
            else if (info.exists())
                path = info.isSymLink() ? info.canonicalFilePath() : info.absoluteFilePath();
            else
                return; // gone meanwhile, or a link that leads nowhere
            entry_ref ref;
            if (get_ref_for_path(path.toUtf8().constData(), &ref) != B_OK)
                return;
            message.AddRef("refs", &ref);
        }
        Deliver(message);
    }

    void ChooseName() {
        QLineEdit* edit = NameEdit();
        const QString name = edit == nullptr ? QString() : edit->text();
        const QString folder = directory().absolutePath();
        if (name.isEmpty())
            return;
        // A folder typed by its name or path is entered, as in an open panel.
        QFileInfo info(QDir(folder), name);
        if (info.isDir()) {
            Enter(info.absoluteFilePath());
            return;
        }
        // The receiver joins the folder, "/" and the name: a name must be one
        // entry in that folder.
        if (name.contains('/'))
            return;
        const QByteArray leaf = name.toUtf8();
        const QByteArray whole =
            (folder == QStringLiteral("/") ? folder : folder + '/').toUtf8() + leaf;
        if (size_t(leaf.size()) >= B_FILE_NAME_LENGTH || size_t(whole.size()) >= B_PATH_NAME_LENGTH)
            return;
        entry_ref directoryRef;
        if (get_ref_for_path(folder.toUtf8().constData(), &directoryRef) != B_OK)
            return;
        BMessage message = fShape.message;
        message.AddRef("directory", &directoryRef);
        message.AddString("name", std::string(leaf.constData(), size_t(leaf.size())));
        if (info.exists() || info.isSymLink())
            ConfirmReplace(name, message);
        else
            Deliver(message);
    }

    // Saving over an existing file loses it, so the user is asked first. The
    // question is an ordinary window of its own, answered later, so the
    // display keeps running meanwhile.
    void ConfirmReplace(const QString& name, const BMessage& message) {
        auto* box = new QMessageBox(this);
        fConfirm = box;
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setObjectName(QStringLiteral("ReplaceFile"));
        box->setWindowTitle(windowTitle());
        box->setIcon(QMessageBox::Warning);
        box->setTextFormat(Qt::PlainText);
        // The name goes in as it stands, not as a format of its own.
        QString question = ToQt(fShape.replaceQuestion);
        const qsizetype at = question.indexOf(QStringLiteral("%s"));
        if (at >= 0)
            question.replace(at, 2, name);
        box->setText(question);
        const QString replaceLabel = ToQt(fShape.replaceLabel);
        const QString keepLabel = ToQt(fShape.keepLabel);
        QPushButton* replace = box->addButton(replaceLabel, QMessageBox::AcceptRole);
        replace->setObjectName(replaceLabel);
        replace->setAccessibleName(replaceLabel);
        QPushButton* keep = box->addButton(keepLabel, QMessageBox::RejectRole);
        keep->setObjectName(keepLabel);
        keep->setAccessibleName(keepLabel);
        box->setDefaultButton(keep);
        box->setEscapeButton(keep);
        box->setWindowModality(Qt::ApplicationModal);
        QObject::connect(box, &QMessageBox::finished, this, [this, box, replace, message] {
            fConfirm.clear();
            if (box->clickedButton() == replace && isVisible())
                Deliver(message);
        });
        box->show();
    }

    // The next choice starts afresh, whether the dialog stays or comes back
    // later. The name field goes first: emptying it makes the dialog select
    // what the empty text names, which the selection's clearing then undoes
    // without touching the field again.
    void ClearChoice() {
        if (QLineEdit* edit = NameEdit())
            edit->clear();
        if (QAbstractItemView* view = findChild<QAbstractItemView*>(QStringLiteral("listView"))) {
            view->selectionModel()->clearSelection();
            view->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
    }

    void Deliver(const BMessage& message) {
        const QStringList delivered = selectedFiles();
        ClearChoice();
        // The dialog may still be working through queued updates of the
        // choice just made (its folder is read in the background); should
        // they bring that choice back, it is cleared once more. A new choice
        // is left alone.
        if (!fShape.hideWhenDone)
            QTimer::singleShot(0, this, [this, delivered] {
                if (selectedFiles() == delivered)
                    ClearChoice();
            });
        if (fShape.hideWhenDone)
            done(QDialog::Accepted);
        // Sent last, so that whoever hears of the choice finds the dialog
        // already cleared (or hidden).
        fShape.target.SendMessage(&message);
    }

    FilePanelShape fShape;
    QPointer<QMessageBox> fConfirm;
};

// Every panel's dialog by the panel's id.
WidgetRegistry<PanelDialog>& Dialogs() {
    static WidgetRegistry<PanelDialog> dialogs;
    return dialogs;
}

PanelDialog* Find(PanelId id) {
    return Dialogs().Find(id);
}

} // namespace

Task ShowFilePanel(FilePanelShape shape) {
    return [shape = std::move(shape)] {
        PanelDialog* dialog = Find(shape.id);
        if (dialog == nullptr) {
            dialog = new PanelDialog(shape);
            Dialogs().Remember(shape.id, dialog);
        } else {
            dialog->Apply(shape);
        }
        dialog->ShowPanel();
    };
}

Task UpdateFilePanel(FilePanelShape shape) {
    return [shape = std::move(shape)] {
        if (PanelDialog* dialog = Find(shape.id))
            dialog->Apply(shape);
    };
}

Task HideFilePanel(PanelId id) {
    return [id] {
        if (PanelDialog* dialog = Find(id))
            dialog->HidePanel();
    };
}

Task DestroyFilePanel(PanelId id) {
    return [id] {
        if (PanelDialog* dialog = Find(id)) {
            Dialogs().Forget(id);
            dialog->HidePanel();
            dialog->deleteLater();
        }
    };
}

} // namespace display
