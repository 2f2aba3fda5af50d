#pragma once

#include "lessonData.h"

#include <QObject>
#include <QPixmap>
#include <QString>

#include <functional>

class QShortcut;
class TForm1;

// The window's context menu for the lesson: the histogram as a spreadsheet file (CSV, or a
// workbook with the formula and a chart), the window
// as a picture file or on the clipboard. A right click on the window opens it (not on the
// edit fields, which keep their own menu, the button, the check box or the track bar), and
// so do the Menu key and Shift+F10 unless an edit field has the focus. During a run the menu
// and the file dialog hold the run where it is, since they are served from its message
// processing. Files are written whole or not at all; a failure shows a message box.
class LessonExport : public QObject {
    Q_OBJECT
public:
    explicit LessonExport(TForm1* window);

    enum class FileKind { Csv, Png, Xlsx };
    // Tests answer the file dialog: the path chosen for `suggestion` (the folder and name
    // the dialog would start with), or empty for Cancel. An empty function restores it.
    using ChooseFile = std::function<QString(FileKind kind, const QString& suggestion)>;
    static void setChooseFile(ChooseFile choose);
    // Tests replace the error box by a recorder; an empty function restores the box.
    using ErrorBox = std::function<void(const QString& title, const QString& text)>;
    static void setErrorBox(ErrorBox box);

    // The client area as the screen shows it now, at the screen's pixel ratio.
    QPixmap picture() const;
    // Each asks for a file name and writes the file.
    void saveCsvAs();
    void saveWorkbookAs();
    void savePictureAs();
    void copyPicture();
    // Write to `path`; false after a failure, which the error box has shown.
    bool saveCsv(const QString& path);
    bool saveWorkbook(const QString& path);
    bool savePicture(const QString& path);

    void showMenu(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool menuAllowedAt(const QPoint& windowPos) const;
    void menuFromKeyboard();
    class SaveDialog;
    // The one place that opens the file dialog.
    QString askPath(FileKind kind);
    bool savePixmap(const QString& path, const QPixmap& shown);
    bool writeFile(const QString& path, const QByteArray& bytes);
    void showError(QWidget* parent, const QString& text);

    TForm1* FWindow;
};
