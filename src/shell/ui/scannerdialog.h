#pragma once

#include "shell/scanner.h"

#include <QDialog>
#include <QImage>
#include <QList>
#include <QString>
#include <optional>

class QListWidget;
class QRadioButton;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

// TfrmScanner: the scanners found and, when the page becomes a file, the kind of file, before
// "Acquisisci". The first scanner stands chosen; a double click acquires from the one clicked.
class ScannerDialog : public QDialog
{
    Q_OBJECT

public:
    ScannerDialog(const QList<ScannerDevice> &devices, bool chooseFormat, QWidget *parent = nullptr);

    // The chosen scanner's name, empty when none is chosen.
    QString device() const;
    ScanFileFormat format() const;

private:
    QListWidget *m_devices;
    QRadioButton *m_pdf = nullptr;
};

// One page from a scanner: the user picks the scanner when there are several, and the page is read
// under a progress window with "Annulla". Nothing comes back when the user cancelled (nothing is
// said) or the scan failed (the prompter says why). The scanner is used on a worker thread.
std::optional<QImage> acquirePage(Session &session, Scanner &scanner, QWidget *parent);

// A page from a scanner saved into the folder (created when missing) as "<baseName>.png" or a
// one-page "<baseName>.pdf", as the user chooses, never over an existing file. Returns the path
// written, or nothing when the scan was cancelled or failed; then no file was written.
std::optional<QString> acquireImage(Session &session, Scanner &scanner, QWidget *parent,
                                    const QString &folder, const QString &baseName);

} // namespace rotalina::shell::ui
