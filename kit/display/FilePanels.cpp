#include <kit/display/FilePanels.h>

#include <kit/display/QtText.h>

#include <kit/display/WidgetRegistry.h>

#include <kit/storage/StorageDefs.h>
#include <kit/storage/entry_ref.h>

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <unordered_map>
#include <vector>

namespace display {

namespace {

// What the panel tells the user about a typed path it cannot take. The
// display speaks the program's language, as it does with Qt's own texts of
// the dialog; "%1" stands for a path.
const char* const kMissingFolder =
    "Den Ordner „%1“ gibt es nicht. Bitte geben Sie einen vorhandenen Ordner an.";
const char* const kMissingFile = "Die Datei „%1“ gibt es nicht. Bitte prüfen Sie den Namen.";
const char* const kNameTooLong = "Der Dateiname ist zu lang für das Dateisystem. Bitte wählen "
                                 "Sie einen kürzeren Namen.";
const char* const kPathTooLong =
    "Der Pfad ist zu lang. Bitte wählen Sie einen kürzeren Namen oder einen anderen Ordner.";
const char* const kFolderNotWritable =
    "In den Ordner „%1“ kann nicht geschrieben werden. Bitte wählen Sie einen anderen Ordner.";

// The home folder that "~" or "~name" stands for; empty for an unknown user.
QString HomeOf(const QString& user) {
    if (user.isEmpty())
        return QDir::homePath();
    const QByteArray name = user.toUtf8();
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwnam_r(name.constData(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr)
        return {};
    return QString::fromUtf8(found->pw_dir);
}

// The absolute path that a text typed into the name field stands for, seen
// from the folder shown: a path from the root as it stands, "~" and "~name"
// at the start as the home folders they name (unless the folder shown holds
// an entry of that very name), anything else below the folder shown. "." and
// ".." are taken by the text alone, as the folder's path reads in the
// dialog.
QString Resolve(const QString& typed, const QString& shown) {
    QString path = typed;
    if (typed.startsWith('~') &&
        !QFileInfo::exists(QDir(shown).filePath(typed.section('/', 0, 0)))) {
        const QString home = HomeOf(typed.section('/', 0, 0).mid(1));
        if (!home.isEmpty())
            path = home + typed.mid(typed.section('/', 0, 0).size());
    }
    return QDir::cleanPath(QDir(shown).absoluteFilePath(path));
}

// Whether the text names a path rather than entries of the folder shown (a
// plain name, or several in quotes, which the dialog reads itself).
bool IsTypedPath(const QString& typed) {
    return !typed.startsWith('"') && (typed.contains('/') || typed.startsWith('~'));
}

// The folder and the leaf of an absolute path.
std::pair<QString, QString> Split(const QString& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return {slash == 0 ? QStringLiteral("/") : path.left(slash), path.mid(slash + 1)};
}

bool IsFolder(const QByteArray& path) {
    struct stat status {};
    return stat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool EntryExists(const QByteArray& path) {
    struct stat status {};
    // A link that leads nowhere is an entry of its own all the same.
    return lstat(path.constData(), &status) == 0;
}

// The longest name the folder's file system takes, in bytes.
size_t LongestName(const QByteArray& folder) {
    const long longest = pathconf(folder.constData(), _PC_NAME_MAX);
    const size_t ours = B_FILE_NAME_LENGTH - 1;
    return longest > 0 ? std::min(size_t(longest), ours) : ours;
}

// Whether this process may make a new entry in the folder, asked with the
// ids it runs with (a read-only file system answers no as well).
bool MayWriteIn(const QByteArray& folder) {
    return faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

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
        // The dialog disables its accept button for what it would not take
        // itself: a file that does not exist, a name longer in characters
        // than the file system allows. The panel answers such a text with a
        // message instead, so the button stays pressable while there is text:
        // after each change of the text, and after each time the dialog
        // turns it off.
        if (QPushButton* button = Button(AcceptButton()))
            button->installEventFilter(this);
        if (QLineEdit* edit = NameEdit())
            QObject::connect(edit, &QLineEdit::textChanged, this,
                             [this] { KeepAcceptPressable(); });
        // The columns are fitted to each folder once it is read.
        if (auto* model = findChild<QFileSystemModel*>())
            QObject::connect(model, &QFileSystemModel::directoryLoaded, this,
                             [this] { FitColumns(); });
    }

    void Apply(const FilePanelShape& shape) {
        // The kind of dialog and its folder are fixed when it is made.
        fShape.title = shape.title;
        fShape.acceptLabel = shape.acceptLabel;
        fShape.cancelLabel = shape.cancelLabel;
        fShape.replaceQuestion = shape.replaceQuestion;
        fShape.replaceLabel = shape.replaceLabel;
        fShape.keepLabel = shape.keepLabel;
        fShape.nameFilters = shape.nameFilters;
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
        // Setting the choices again would choose the first once more.
        QStringList filters;
        for (const std::string& filter : shape.nameFilters)
            filters << ToQt(filter);
        if (filters != fFilters) {
            fFilters = filters;
            setNameFilters(filters.isEmpty() ? QStringList{QFileDialog::tr("All Files (*)")}
                                             : filters);
        }
    }

    void ShowPanel() {
        fShape.showing->store(true);
        // show(), not open(): open() would turn the dialog window-modal, and
        // a dialog without a parent window would then block nothing.
        show();
        activateWindow();
        // The dialog has its first size only now.
        QTimer::singleShot(0, this, [this] { FitColumns(); });
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

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange && watched == Button(AcceptButton()))
            KeepAcceptPressable();
        return QFileDialog::eventFilter(watched, event);
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

    QString Typed() const {
        QLineEdit* edit = NameEdit();
        return edit == nullptr ? QString() : edit->text();
    }

    bool HasText() const { return !Typed().trimmed().isEmpty(); }

    // Not from within the dialog's own change of the button, which may
    // follow this one.
    void KeepAcceptPressable() {
        QTimer::singleShot(0, this, [this] {
            QPushButton* button = Button(AcceptButton());
            if (button != nullptr && !button->isEnabled() && HasText())
                button->setEnabled(true);
        });
    }

    // Widens each column to what it shows (names up to a sensible length),
    // and the dialog with them, so that every column is seen whole, until the
    // user gives the dialog a width of their own.
    void FitColumns() {
        auto* tree = findChild<QTreeView*>(QStringLiteral("treeView"));
        if (tree == nullptr)
            return;
        QHeaderView* header = tree->header();
        const QAbstractItemView* view = tree;
        const int longestName = tree->fontMetrics().averageCharWidth() * 60;
        int wanted = 0;
        for (int column = 0; column < header->count(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            int needed = std::max(header->sectionSizeHint(column), view->sizeHintForColumn(column));
            if (column == 0)
                needed = std::min(needed, longestName);
            if (needed > header->sectionSize(column))
                header->resizeSection(column, needed);
            wanted += header->sectionSize(column);
        }
        if (!isVisible() || (fOwnWidth >= 0 && width() != fOwnWidth))
            return;
        // The places at the side are named by their folders' names.
        auto* places = findChild<QListView*>(QStringLiteral("sidebar"));
        auto* splitter = findChild<QSplitter*>(QStringLiteral("splitter"));
        int placesNeeded = 0;
        if (places != nullptr && splitter != nullptr && splitter->sizes().size() == 2) {
            const QAbstractItemView* placesView = places;
            placesNeeded = std::min(placesView->sizeHintForColumn(0) + 2 * places->frameWidth(),
                                    longestName / 2);
        }
        const int placesMissing =
            placesNeeded > 0 ? std::max(0, placesNeeded - splitter->sizes().front()) : 0;
        const int missing = wanted - tree->viewport()->width() + placesMissing;
        if (missing > 0) {
            const int room =
                screen() == nullptr ? width() + missing : screen()->availableGeometry().width();
            resize(std::min(width() + missing, std::max(room, width())), height());
            // The splitter takes its new width at once, to be divided below.
            if (layout() != nullptr)
                layout()->activate();
        }
        if (placesMissing > 0) {
            QList<int> sizes = splitter->sizes();
            const int total = sizes[0] + sizes[1];
            sizes[0] = std::min(placesNeeded, total / 2);
            sizes[1] = total - sizes[0];
            splitter->setSizes(sizes);
        }
        // On a screen too narrow for all of it, the names give way, so that
        // sizes, types and dates stay whole.
        if (layout() != nullptr)
            layout()->activate();
        const int over = wanted - tree->viewport()->width();
        if (over > 0 && !header->isSectionHidden(0))
            header->resizeSection(0, std::max(header->sectionSize(0) - over, longestName / 3));
        fOwnWidth = width();
    }

    // Goes into a folder that the user chose, as a double click would.
    void Enter(const QString& folder) {
        setDirectory(folder);
        if (QLineEdit* edit = NameEdit())
            edit->clear();
    }

    void ChooseFiles() {
        const QString typed = Typed();
        const bool typedPath = IsTypedPath(typed);
        const QStringList files =
            typedPath ? QStringList{Resolve(typed, directory().absolutePath())} : selectedFiles();
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
                // Not there, gone meanwhile, or a link that leads nowhere.
                return ShowProblem(QString::fromUtf8(kMissingFile).arg(file));
            entry_ref ref;
            if (get_ref_for_path(path.toUtf8().constData(), &ref) != B_OK)
                return ShowProblem(QString::fromUtf8(kPathTooLong));
            message.AddRef("refs", &ref);
        }
        if (typedPath)
            Deliver(message, Split(files.first()).first);
        else
            Deliver(message);
    }

    // A name, or a path to a folder and a name, as typed. The receiver joins
    // the folder, "/" and the name, so the name must be one entry in a folder
    // that exists; what cannot be saved is said here, while the user can
    // still change it, rather than left to fail after the panel is gone.
    void ChooseName() {
        const QString typed = Typed();
        if (typed.isEmpty())
            return;
        const QString path = Resolve(typed, directory().absolutePath());
        // A folder typed by its name or path is entered, as in an open panel.
        if (IsFolder(path.toUtf8())) {
            Enter(path);
            return;
        }
        const auto [folder, name] = Split(path);
        const QByteArray folderBytes = folder.toUtf8();
        if (typed.endsWith('/'))
            return ShowProblem(QString::fromUtf8(kMissingFolder).arg(path));
        if (!IsFolder(folderBytes))
            return ShowProblem(QString::fromUtf8(kMissingFolder).arg(folder));
        // The file system counts bytes, not characters.
        const QByteArray leaf = name.toUtf8();
        const QByteArray whole = path.toUtf8();
        if (size_t(leaf.size()) > LongestName(folderBytes))
            return ShowProblem(QString::fromUtf8(kNameTooLong));
        entry_ref directoryRef;
        if (size_t(whole.size()) >= B_PATH_NAME_LENGTH ||
            get_ref_for_path(folderBytes.constData(), &directoryRef) != B_OK)
            return ShowProblem(QString::fromUtf8(kPathTooLong));
        BMessage message = fShape.message;
        message.AddRef("directory", &directoryRef);
        message.AddString("name", std::string(leaf.constData(), size_t(leaf.size())));
        if (EntryExists(whole))
            ConfirmReplace(name, folder, message);
        else if (!MayWriteIn(folderBytes))
            ShowProblem(QString::fromUtf8(kFolderNotWritable).arg(folder));
        else
            Deliver(message, folder);
    }

    // A message or question of the panel: an ordinary window of its own,
    // answered later, so the display keeps running meanwhile.
    QMessageBox* MakeBox(const QString& text) {
        auto* box = new QMessageBox(this);
        fConfirm = box;
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowTitle(windowTitle());
        box->setIcon(QMessageBox::Warning);
        box->setTextFormat(Qt::PlainText);
        box->setText(text);
        box->setWindowModality(Qt::ApplicationModal);
        return box;
    }

    // Tells the user why the typed text cannot be taken; the panel stays as
    // it is, the text included, to be corrected.
    void ShowProblem(const QString& text) {
        QMessageBox* box = MakeBox(text);
        box->setObjectName(QStringLiteral("PanelProblem"));
        QPushButton* ok = box->addButton(QMessageBox::Ok);
        ok->setObjectName(ok->text());
        ok->setAccessibleName(ok->text());
        box->setDefaultButton(ok);
        box->setEscapeButton(ok);
        QObject::connect(box, &QMessageBox::finished, this, [this] { fConfirm.clear(); });
        box->show();
    }

    // Saving over an existing entry loses it, so the user is asked first.
    void ConfirmReplace(const QString& name, const QString& folder, const BMessage& message) {
        // The name goes in as it stands, not as a format of its own.
        QString question = ToQt(fShape.replaceQuestion);
        const qsizetype at = question.indexOf(QStringLiteral("%s"));
        if (at >= 0)
            question.replace(at, 2, name);
        QMessageBox* box = MakeBox(question);
        box->setObjectName(QStringLiteral("ReplaceFile"));
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
        QObject::connect(box, &QMessageBox::finished, this, [this, box, replace, folder, message] {
            fConfirm.clear();
            if (box->clickedButton() == replace && isVisible())
                Deliver(message, folder);
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

    // A choice made in another folder than the one shown takes the dialog
    // there, so that it shows that folder the next time.
    void Deliver(const BMessage& message, const QString& folder) {
        if (QDir(folder) != directory())
            setDirectory(folder);
        Deliver(message);
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
    // The file type choices as last set; none before the first.
    QStringList fFilters{QStringLiteral("\n")};
    // The width the dialog was given for its columns; -1 before the first.
    int fOwnWidth = -1;
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
