#include "lessonExport.h"

#include "numberText.h"
#include "uFKavalun.h"
#include "uNumberEdit.h"

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
#include <QSaveFile>
#include <QShortcut>
#include <QSlider>
#include <QStandardPaths>

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
    if (!lastFolder().isEmpty()) return lastFolder();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString czech(const char* text) {
    return QString::fromUtf8(text);
}

QByteArray pngOf(const QPixmap& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

// Why a save failed, in words a teacher can act on.
QString failureReason(const QString& path, bool opened) {
    const QFileInfo info(path);
    if (info.isDir()) return czech("Zadaný název patří složce, ne souboru.");
    const QString folder = QDir::toNativeSeparators(info.absolutePath());
    if (!QFileInfo(info.absolutePath()).isDir())
        return czech("Složka „%1“ neexistuje.").arg(folder);
    if (!opened)
        return czech("Ve složce „%1“ nelze vytvořit soubor: je jen pro čtení, nebo k ní "
                     "chybí oprávnění.")
            .arg(folder);
    return czech("Zápis se nezdařil; na disku možná není dost místa.");
}

} // namespace

LessonRun lessonRunOf(const TForm1& window) {
    LessonRun run;
    // 15 digits give back what was typed into the field: the double's rounding lies far
    // below their last place.
    run.massInElectrons = Extended(ParticleMass) / 9.1e-31_ext;
    run.slitWidthNm = SlitWidthNm;
    run.speedKmPerS = Extended(Speed) / 1000;
    run.maxCount = MaxCount;
    run.particles = window.particleCount();
    run.withoutBin = OutsideTableCount;
    return run;
}

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
    // The Menu key reaches here from the focused control (the edit fields serve it
    // themselves); a click only from where the menu belongs.
    const bool allowed = menuEvent->reason() == QContextMenuEvent::Keyboard
                             ? !qobject_cast<QLineEdit*>(QApplication::focusWidget())
                             : menuAllowedAt(menuEvent->pos());
    if (!allowed) return false;
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
    QAction* csv = menu.addAction(czech("Uložit histogram jako CSV…"));
    QAction* png = menu.addAction(czech("Uložit obrázek okna…"));
    QAction* copy = menu.addAction(czech("Kopírovat obrázek okna"));
    const QAction* chosen = menu.exec(globalPos);
    if (chosen == csv)
        saveCsvAs();
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

void LessonExport::savePictureAs() {
    // What the window shows before the dialog covers any of it.
    const QPixmap shown = picture();
    const QString path = askPath(FileKind::Png);
    if (!path.isEmpty()) writeFile(path, pngOf(shown));
}

bool LessonExport::saveCsv(const QString& path) {
    const std::string text =
        lessonCsv(lessonRunOf(*FWindow), {LowerCounts.data(), std::size_t(lessonBins)},
                  {UpperCounts.data(), std::size_t(lessonBins)});
    return writeFile(path, QByteArray::fromStdString(text));
}

bool LessonExport::savePicture(const QString& path) {
    return writeFile(path, pngOf(picture()));
}

QString LessonExport::askPath(FileKind kind) {
    const bool csv = kind == FileKind::Csv;
    const QString suggestion =
        QDir(startFolder()).filePath(QString::fromLatin1(csv ? "histogram.csv" : "okno.png"));
    QString path;
    if (chooseFileSeam()) {
        path = chooseFileSeam()(kind, suggestion);
    } else {
        QFileDialog dialog(FWindow,
                           czech(csv ? "Uložit histogram jako CSV" : "Uložit obrázek okna"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(czech(csv ? "Tabulka CSV (*.csv)" : "Obrázek PNG (*.png)"));
        dialog.setDefaultSuffix(QString::fromLatin1(csv ? "csv" : "png"));
        dialog.selectFile(suggestion);
        if (dialog.exec() == QDialog::Accepted) path = dialog.selectedFiles().value(0);
    }
    if (!path.isEmpty()) lastFolder() = QFileInfo(path).absolutePath();
    return path;
}

bool LessonExport::writeFile(const QString& path, const QByteArray& bytes) {
    // Written beside the target and renamed over it only when whole, so a failure leaves
    // neither a half-written file nor harm to the one that was there.
    QSaveFile file(path);
    const bool opened = file.open(QIODevice::WriteOnly);
    if (opened && file.write(bytes) == bytes.size() && file.commit()) return true;
    const QString text =
        czech("Soubor „%1“ se nepodařilo uložit.\n\n%2\n\nHlášení systému: %3")
            .arg(QDir::toNativeSeparators(path), failureReason(path, opened), file.errorString());
    const QString title = QGuiApplication::applicationDisplayName();
    if (errorBoxSeam())
        errorBoxSeam()(title, text);
    else
        QMessageBox::warning(FWindow, title, text);
    return false;
}
