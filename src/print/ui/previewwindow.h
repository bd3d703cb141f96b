#pragma once

#include "print/printjob.h"
#include "print/textdocumentpages.h"

#include <QMainWindow>
#include <QPrinter>
#include <memory>
#include <variant>

class QAction;
class QLabel;
class QPrintPreviewWidget;

namespace rotalina::shell {
class Prompter;
}

namespace rotalina::print::ui {

// The print preview: pages with navigation and zoom, "Stampa" (the printer dialog when the request
// asks for it, the default printer otherwise, a PDF file when the workstation has no printer),
// "Esporta" to a file, "Orizzontale" and "Chiudi"; a list that may be narrowed has a "Filtro" box.
// It shows a report of a request, or a document that is no report (an electronic invoice file),
// which is printed with the printer dialog.
class PreviewWindow : public QMainWindow
{
    Q_OBJECT

public:
    PreviewWindow(const PrintJob &job, ComposedReport report, shell::Prompter &prompter,
                  QWidget *parent = nullptr);
    PreviewWindow(TextDocumentPages document, shell::Prompter &prompter, QWidget *parent = nullptr);
    ~PreviewWindow() override;

    QPrintPreviewWidget *preview() const { return m_preview; }
    int pageCount() const;
    void printReport();
    void exportReport();
    void setLandscape(bool landscape);
    // Keeps only the rows holding the text (lists whose request allows it).
    void setFilter(const QString &text);
    // What the window shows: a report (the window of a request) or a document.
    const ComposedReport &report() const { return std::get<ComposedReport>(m_pages); }
    const TextDocumentPages &document() const { return std::get<TextDocumentPages>(m_pages); }
    QString title() const;

private:
    void build();
    void paint(QPrinter *printer);
    void recompose();
    void showPageNumber();

    const PrintJob *m_job = nullptr; // none for a document
    std::variant<ComposedReport, TextDocumentPages> m_pages;
    shell::Prompter &m_prompter;
    QPrintPreviewWidget *m_preview;
    QLabel *m_pageLabel = nullptr;
    std::unique_ptr<QPrinter> m_printer;
    bool m_landscape = false;
    QString m_filter;
};

} // namespace rotalina::print::ui
