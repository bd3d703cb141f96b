#pragma once

#include "purchases/einvoiceimport.h"

#include <QDialog>
#include <QList>

class QLabel;
class QTableWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::purchases::ui {

// "Importa fattura elettronica xml": the user chooses files or a whole folder, the files are
// imported one by one behind a progress dialog that can stop between files, and the report shows
// what came in and what did not.
void importElectronicInvoices(shell::Session &session, const shell::ui::WindowRegistry &windows,
                              QWidget *parent);

// The report of an import ("TfrmEsitoImportazioneXml"): one row per document of every file, with
// what was imported, skipped or refused and why. It is saved as text or CSV, printed through the
// print program, and a double click opens an imported document.
class ImportReportWindow : public QDialog
{
    Q_OBJECT

public:
    ImportReportWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                       QList<ImportLine> lines, int unreadFiles, QWidget *parent = nullptr);

    const QList<ImportLine> &lines() const { return m_lines; }
    QString summary() const;

    void save();
    void print();
    void openDocument(int row);

    // The report as HTML, for the print program.
    QString html() const;

private:
    shell::Session &m_session;
    const shell::ui::WindowRegistry &m_windows;
    QList<ImportLine> m_lines;
    int m_unreadFiles;
    QLabel *m_summary;
    QTableWidget *m_grid;
};

} // namespace rotalina::purchases::ui
