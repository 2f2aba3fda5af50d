#include "lessonExport.h"

#include "expectedOverlay.h"
#include "fileError.h"
#include "lessonSetups.h"
#include "lessonWorkbook.h"
#include "numberText.h"
#include "projectorSize.h"
#include "uFKavalun.h"
#include "uNumberEdit.h"

#include <QActionGroup>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QShortcut>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

LessonExport::ChooseFile& chooseFileSeam() {
    static LessonExport::ChooseFile choose;
    return choose;
}

LessonExport::ErrorBox& errorBoxSeam() {
    static LessonExport::ErrorBox box;
    return box;
}

// The folder the file dialog last saved into, for this session only: nothing is stored.
QString& lastFolder() {
    static QString folder;
    return folder;
}

QString startFolder() {
    // A folder that has gone (or never was: a failed save into a mistyped one) is not offered.
    if (!lastFolder().isEmpty() && QFileInfo(lastFolder()).isDir()) return lastFolder();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString czech(const char* text) {
    return QString::fromUtf8(text);
}

// Where the file really lands: QSaveFile follows symbolic links to their end.
QFileInfo landingOf(const QString& path) {
    QFileInfo info(path);
    for (int hop = 0; hop < 40 && info.isSymLink(); ++hop)
        info = QFileInfo(info.symLinkTarget());
    return info;
}

// The file's folder as the system knows it, links resolved where it exists.
QString folderOf(const QFileInfo& file) {
    const QString canonical = QFileInfo(file.absolutePath()).canonicalFilePath();
    return QDir::toNativeSeparators(canonical.isEmpty() ? file.absolutePath() : canonical);
}

// The longest file name that the folder takes, in the units of fileNameLength.
int longestName(const QFileInfo& file) {
    return longestFileName(file.absolutePath());
}

bool nameTooLong(const QFileInfo& file) {
    return fileNameLength(file.fileName()) > longestName(file);
}

QString tooLongText(const QFileInfo& file) {
    if (!accentsCountTwice())
        return czech("Název souboru je příliš dlouhý: smí mít nejvýš %1 znaků. Zkraťte ho.")
            .arg(longestName(file));
    return czech("Název souboru je příliš dlouhý: smí mít nejvýš %1 bajtů (písmeno s háčkem "
                 "nebo čárkou zabírá dva). Zkraťte ho.")
        .arg(longestName(file));
}

// What a failed write says about the place, from the system's error number.
QString writeFailure(int error, const QString& folder) {
    switch (fileErrorKind(error)) {
    case FileErrorKind::DiskFull:
        return czech("Na disku se složkou „%1“ není dost místa.").arg(folder);
    case FileErrorKind::QuotaExceeded:
        return czech("Ve složce „%1“ je vyčerpaný váš příděl místa na disku.").arg(folder);
    case FileErrorKind::FileTooBig:
        return czech("Soubor by byl větší, než systém dovoluje (omezení velikosti souborů).");
    case FileErrorKind::IoError:
        return czech("Disk ve složce „%1“ hlásí chybu zápisu.").arg(folder);
    default:
        return czech("Zápis do složky „%1“ se nezdařil.").arg(folder);
    }
}

// Why a save failed, in words a teacher can act on: `opened` tells whether the file could be
// started at all, `error` is the system's error number of the failed step.
QString failureReason(const QString& path, bool opened, int error) {
    const QFileInfo file = landingOf(path);
    const QString folder = folderOf(file);
    if (file.isDir()) return czech("Zadaný název patří složce, ne souboru.");
    if (!QFileInfo(file.absolutePath()).isDir())
        return czech("Složka „%1“ neexistuje.").arg(folder);
    // QSaveFile shortens its temporary name as needed: a long name fails at the rename.
    if (fileErrorKind(error) == FileErrorKind::NameTooLong || nameTooLong(file))
        return tooLongText(file);
    // Windows keeps a file open in another program (Excel) from being replaced.
    if (fileErrorKind(error) == FileErrorKind::SharingViolation ||
        (opened && fileErrorKind(error) == FileErrorKind::AccessDenied && file.exists()))
        return czech("Soubor „%1“ nelze přepsat: má ho otevřený jiný program (třeba Excel), "
                     "nebo k němu chybí oprávnění. Zavřete ho tam a uložte znovu.")
            .arg(QDir::toNativeSeparators(file.absoluteFilePath()));
    if (opened) return writeFailure(error, folder);
    // A file in a folder that takes no files cannot be saved under any name there.
    if (file.exists() && !file.isWritable() && QFileInfo(file.absolutePath()).isWritable())
        return czech("Soubor „%1“ je jen pro čtení. Uložte data pod jiným názvem.")
            .arg(QDir::toNativeSeparators(file.absoluteFilePath()));
    return czech("Ve složce „%1“ nelze vytvořit soubor: je jen pro čtení, nebo k ní "
                 "chybí oprávnění.")
        .arg(folder);
}

// How writing the bytes failed; nothing when the file stands whole.
struct WriteAttempt {
    bool failed = false, opened = false;
    int error = 0;
    QString system;
};

// QSaveFile's temporary file takes the target's name and seven bytes more (".XXXXXX"), also
// when it links an unnamed file in before renaming it over an existing one.
bool besideNameTooLong(const QFileInfo& file) {
    return fileNameLength(file.fileName()) + 7 > longestName(file);
}

// QSaveFile's promise under a short temporary name in the same folder, for a name that leaves
// no room beside it: written whole, then renamed over the old file in one step.
WriteAttempt writeUnderShortName(const QFileInfo& target, const QByteArray& bytes) {
    WriteAttempt attempt;
    const bool existing = target.exists();
    QFile temporary;
    clearFileError();
    if (existing && !target.isWritable()) {
        attempt.error = accessDeniedError(); // as QSaveFile refuses it
    } else {
        const QDir folder(target.absolutePath());
        for (int tries = 0; tries < 64 && !attempt.opened; ++tries) {
            const quint32 random = QRandomGenerator::global()->generate();
            temporary.setFileName(
                folder.filePath(QStringLiteral(".kavalun-%1").arg(random, 8, 16, QChar('0'))));
            clearFileError();
            // Over an old file, private until whole, then with the old file's permissions.
            const auto mode = QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered;
            attempt.opened = existing ? temporary.open(mode, QFile::ReadOwner | QFile::WriteOwner)
                                      : temporary.open(mode);
            attempt.error = lastFileError();
            // Only a name that another file took already is worth another try.
            if (!attempt.opened && !temporary.exists()) break;
        }
    }
    if (attempt.opened) {
        clearFileError();
        bool whole = temporary.write(bytes) == bytes.size() &&
                     (!existing || temporary.setPermissions(target.permissions()));
        attempt.error = lastFileError();
        temporary.close(); // unbuffered: nothing left to flush, but the close may still fail
        if (whole && temporary.error() != QFileDevice::NoError) {
            whole = false;
            attempt.error = lastFileError();
        }
        if (whole && replaceFile(temporary.fileName(), target.absoluteFilePath())) return attempt;
        if (whole) attempt.error = lastFileError();
        QFile::remove(temporary.fileName());
    }
    attempt.failed = true;
    attempt.system = attempt.error ? qt_error_string(attempt.error) : temporary.errorString();
    return attempt;
}

WriteAttempt writeWhole(const QString& path, const QByteArray& bytes) {
    const QFileInfo target = landingOf(path);
    if (!nameTooLong(target) && besideNameTooLong(target))
        return writeUnderShortName(target, bytes);
    // Written beside the target and renamed over it only when whole, so a failure leaves
    // neither a half-written file nor harm to the one that was there. Unbuffered, since a
    // buffered QSaveFile lets a failed last flush (full disk) pass as a successful commit.
    QSaveFile file(path);
    WriteAttempt attempt;
    clearFileError();
    attempt.opened = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (attempt.opened) {
        clearFileError();
        const bool whole = file.write(bytes) == bytes.size();
        if (whole && file.commit()) return attempt;
        attempt.error = lastFileError(); // a short write sets no error of its own
    } else {
        attempt.error = lastFileError();
    }
    attempt.failed = true;
    attempt.system =
        attempt.opened && attempt.error ? qt_error_string(attempt.error) : file.errorString();
    return attempt; // the destructor removes the temporary file
}

QString failureText(const QString& path, const QString& reason, const QString& system) {
    return czech("Soubor „%1“ se nepodařilo uložit.\n\n%2\n\nHlášení systému: %3")
        .arg(QDir::toNativeSeparators(path), reason, system);
}

} // namespace

// Qt's own dialog takes an over-long name in silence; this one answers it and stays open.
class LessonExport::SaveDialog : public QFileDialog {
public:
    SaveDialog(LessonExport* owner, const QString& title)
        : QFileDialog(owner->FWindow, title), FOwner(owner) {}

    void accept() override {
        const QFileInfo chosen(selectedFiles().value(0));
        if (acceptMode() == AcceptSave && !chosen.fileName().isEmpty() && !chosen.isDir() &&
            !chosen.exists() && nameTooLong(chosen)) {
            FOwner->showError(this, failureText(chosen.filePath(), tooLongText(chosen),
                                                czech("název nebyl přijat")));
            return;
        }
        QFileDialog::accept();
    }

private:
    LessonExport* FOwner;
};

LessonExport::LessonExport(TForm1* window) : QObject(window), FWindow(window) {
    window->installEventFilter(this);
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, this, [this] { menuFromKeyboard(); });
    }
}

void LessonExport::setChooseFile(ChooseFile choose) {
    chooseFileSeam() = std::move(choose);
}

void LessonExport::setErrorBox(ErrorBox box) {
    errorBoxSeam() = std::move(box);
}

bool LessonExport::menuAllowedAt(const QPoint& windowPos) const {
    const QWidget* under = FWindow->childAt(windowPos);
    if (!under) return true;
    const QWidget* const own[] = {FWindow->Button1,    FWindow->cbAutomat, FWindow->tbZoom,
                                  FWindow->neHmotnost, FWindow->neSirka,   FWindow->nePocetMaxim,
                                  FWindow->neRychlost};
    for (const QWidget* control : own)
        if (under == control || control->isAncestorOf(under)) return false;
    return true;
}

bool LessonExport::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FWindow || event->type() != QEvent::ContextMenu) return false;
    auto* menuEvent = static_cast<QContextMenuEvent*>(event);
    // Only clicks arrive here: the window's shortcuts take the Menu key and Shift+F10 before
    // the toolkit could make a menu event of them (menuFromKeyboard).
    if (!menuAllowedAt(menuEvent->pos())) return false;
    showMenu(menuEvent->globalPos());
    return true;
}

void LessonExport::menuFromKeyboard() {
    QWidget* focus = QApplication::focusWidget();
    if (focus && FWindow->isAncestorOf(focus)) {
        // An edit field keeps its own menu, also for Shift+F10.
        if (auto* edit = qobject_cast<QLineEdit*>(focus)) {
            QContextMenuEvent own(QContextMenuEvent::Keyboard, edit->rect().center(),
                                  edit->mapToGlobal(edit->rect().center()));
            QCoreApplication::sendEvent(edit, &own);
            return;
        }
        showMenu(focus->mapToGlobal(focus->rect().center()));
    } else {
        showMenu(FWindow->mapToGlobal(QPoint(0, 0)));
    }
}

void LessonExport::showMenu(const QPoint& globalPos) {
    QMenu menu(FWindow);
    menu.setAccessibleName(czech("Data a obrázky"));
    QAction* csv = menu.addAction(czech("Uložit histogram jako CSV…"));
    QAction* xlsx = menu.addAction(czech("Uložit jako sešit (XLSX)…"));
    QAction* png = menu.addAction(czech("Uložit obrázek okna…"));
    QAction* copy = menu.addAction(czech("Kopírovat obrázek okna"));
    // For the lesson: a setup, the theory beside the bars, a size for the projector. After
    // the saves, whose places the keyboard already knows.
    menu.addSeparator();
    QMenu* experiments = menu.addMenu(czech("Pokusy z návodu"));
    // A submenu's title is not its accessible name: a screen reader would open it unnamed.
    experiments->setAccessibleName(experiments->title());
    for (const LessonExperiment& experiment : lessonExperiments()) {
        const LessonSetup setup = experiment.setup;
        connect(experiments->addAction(czech(experiment.name)), &QAction::triggered, this,
                [this, setup] { applyLessonSetup(*FWindow, setup); });
    }
    QAction* load = menu.addAction(czech("Načíst parametry ze souboru…"));
    menu.addSeparator();
    QAction* expected = menu.addAction(czech("Zobrazit očekávané rozdělení"));
    expected->setCheckable(true);
    expected->setChecked(ExpectedOverlay::shownIn(*FWindow));
    connect(expected, &QAction::toggled, this,
            [this](bool on) { ExpectedOverlay::of(*FWindow, true)->setShown(on); });
    QMenu* sizes = menu.addMenu(czech("Velikost pro projektor"));
    sizes->setAccessibleName(sizes->title());
    auto* sizeGroup = new QActionGroup(sizes);
    for (const int percent : projectorSizes) {
        QAction* size = sizes->addAction(QString::number(percent) + czech(" %"));
        size->setCheckable(true);
        size->setChecked(percent == currentSizePercent());
        sizeGroup->addAction(size);
        connect(size, &QAction::triggered, this, [this, percent] {
            // Takes effect when pending events are next processed, after the menu has gone.
            QMetaObject::invokeMethod(
                this, [this, percent] { restartAtSize(*FWindow, percent); }, Qt::QueuedConnection);
        });
    }
    const QAction* chosen = menu.exec(globalPos);
    if (chosen == load)
        loadSetupAs();
    else if (chosen == csv)
        saveCsvAs();
    else if (chosen == xlsx)
        saveWorkbookAs();
    else if (chosen == png)
        savePictureAs();
    else if (chosen == copy)
        copyPicture();
}

QPixmap LessonExport::picture() const {
    return FWindow->grab();
}

void LessonExport::copyPicture() {
    QGuiApplication::clipboard()->setPixmap(picture());
}

void LessonExport::saveCsvAs() {
    const QString path = askPath(FileKind::Csv);
    if (!path.isEmpty()) saveCsv(path);
}

void LessonExport::saveWorkbookAs() {
    const QString path = askPath(FileKind::Xlsx);
    if (!path.isEmpty()) saveWorkbook(path);
}

void LessonExport::savePictureAs() {
    // What the window shows before the dialog covers any of it.
    const QPixmap shown = picture();
    const QString path = askPath(FileKind::Png);
    if (!path.isEmpty()) savePixmap(path, shown);
}

bool LessonExport::saveCsv(const QString& path) {
    const std::string text =
        lessonCsv(summaryOf(RunRecord), {LowerCounts.data(), std::size_t(lessonBins)},
                  {UpperCounts.data(), std::size_t(lessonBins)});
    return writeFile(path, QByteArray::fromStdString(text));
}

bool LessonExport::saveWorkbook(const QString& path) {
    // libxlsxwriter writes only to a named file: the workbook is built in a private scratch
    // folder and then saved as whole as any other file.
    QTemporaryDir scratch;
    const QString built = scratch.filePath(QStringLiteral("histogram.xlsx"));
    clearFileError();
    const std::string problem =
        scratch.isValid() ? writeLessonWorkbook(QFile::encodeName(built).constData(),
                                                QFile::encodeName(scratch.path()).constData(),
                                                summaryOf(RunRecord),
                                                {LowerCounts.data(), std::size_t(lessonBins)},
                                                {UpperCounts.data(), std::size_t(lessonBins)})
                          : scratch.errorString().toStdString();
    const int error = lastFileError();
    QFile workbook(built);
    if (problem.empty() && workbook.open(QIODevice::ReadOnly))
        return writeFile(path, workbook.readAll());
    const QString folder = QDir::toNativeSeparators(QDir::tempPath());
    showError(FWindow,
              failureText(path,
                          czech("Sešit se nepodařilo sestavit v dočasné složce „%1“. %2")
                              .arg(folder, writeFailure(error, folder)),
                          error ? qt_error_string(error) : QString::fromStdString(problem)));
    return false;
}

bool LessonExport::savePicture(const QString& path) {
    return savePixmap(path, picture());
}

bool LessonExport::savePixmap(const QString& path, const QPixmap& shown) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (buffer.open(QIODevice::WriteOnly) && shown.save(&buffer, "PNG"))
        return writeFile(path, bytes);
    showError(FWindow, failureText(path, czech("Obrázek okna se nepodařilo převést do PNG."),
                                   buffer.errorString()));
    return false;
}

QString LessonExport::askPath(FileKind kind) {
    struct Kind {
        const char *name, *title, *filter, *suffix;
    };
    static const Kind kinds[] = {
        {"histogram.csv", "Uložit histogram jako CSV", "Tabulka CSV (*.csv)", "csv"},
        {"okno.png", "Uložit obrázek okna", "Obrázek PNG (*.png)", "png"},
        {"histogram.xlsx", "Uložit jako sešit (XLSX)", "Sešit XLSX (*.xlsx)", "xlsx"},
        {"", "Načíst parametry ze souboru", "Tabulka CSV uložená programem (*.csv)", "csv"},
    };
    const Kind& chosen = kinds[int(kind)];
    const QString suggestion = QDir(startFolder()).filePath(QString::fromLatin1(chosen.name));
    QString path;
    if (chooseFileSeam()) {
        path = chooseFileSeam()(kind, suggestion);
    } else {
        SaveDialog dialog(this, czech(chosen.title));
        const bool loading = kind == FileKind::CsvToLoad;
        dialog.setAcceptMode(loading ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(loading ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setNameFilter(czech(chosen.filter));
        dialog.setDefaultSuffix(QString::fromLatin1(chosen.suffix));
        dialog.selectFile(suggestion);
        if (dialog.exec() == QDialog::Accepted) path = dialog.selectedFiles().value(0);
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!path.isEmpty() && QFileInfo(folder).isDir()) lastFolder() = folder;
    return path;
}

bool LessonExport::writeFile(const QString& path, const QByteArray& bytes) {
    const WriteAttempt attempt = writeWhole(path, bytes);
    if (!attempt.failed) return true;
    showError(FWindow, failureText(path, failureReason(path, attempt.opened, attempt.error),
                                   attempt.system));
    return false;
}

void LessonExport::showError(QWidget* parent, const QString& text) {
    const QString title = QGuiApplication::applicationDisplayName();
    if (errorBoxSeam())
        errorBoxSeam()(title, text);
    else
        QMessageBox::warning(parent, title, text);
}
