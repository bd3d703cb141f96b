#pragma once

#include "shell/documentdescriptor.h"
#include "shell/ui/cardwindow.h"

#include <QHash>
#include <QList>
#include <functional>

class QHBoxLayout;
class QPushButton;
class QTabWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

class OwnedRowsPanel;
class RecordForm;
class WindowRegistry;

// The window of a document, built from its description: the header fields on tabs with the grids
// of its rows, "Annulla" while the document is new, "Aiuto" and "Indietro", and the document's own
// buttons between them. Moving to another tab saves the header (with its checks; when they fail
// the first tab comes back); before its rows change, the header is saved quietly; after they
// change, the fields the program computes and the other grids are read again.
class DocumentWindow : public CardWindow
{
    Q_OBJECT

public:
    DocumentWindow(Session &session, const DocumentDescriptor &document, const WindowRegistry &windows,
                   qint64 key, bool isNew, QWidget *parent = nullptr);

    const DocumentDescriptor &document() const { return m_document; }
    Session &session() const { return m_session; }
    const WindowRegistry &windows() const { return m_windows; }
    RecordForm &form() const { return *m_form; }
    QTabWidget *pages() const { return m_pages; }
    // The grid of rows of the given table, or null.
    OwnedRowsPanel *rows(const QString &table) const;
    qint64 key() const;

    // A button of the document's own, before "Aiuto" and "Indietro".
    void addToolButton(QPushButton *button);
    // Run by "Indietro" before the save (a warning that does not stop the closing).
    void setBeforeLeave(std::function<void()> check) { m_beforeLeave = std::move(check); }

    // "salva" with the checks; the first failing one shows the first tab.
    bool save();
    // The save the program makes by itself, without checks.
    bool quietSave();
    // The rows changed: the computed fields and every grid are read again.
    void rowsChanged();
    void back();
    void cancelNew();

protected:
    bool leave() override;
    bool offersCancel() const override;
    bool cancelInsert() override;

private:
    void tabChanged(int index);

    Session &m_session;
    const DocumentDescriptor &m_document;
    const WindowRegistry &m_windows;
    RecordForm *m_form;
    QTabWidget *m_pages;
    QList<OwnedRowsPanel *> m_rows;
    QHash<QString, OwnedRowsPanel *> m_rowsByTable;
    QHBoxLayout *m_toolbar;
    QPushButton *m_cancel;
    QPushButton *m_save;
    int m_ownButtons = 0;
    bool m_returning = false;
    std::function<void()> m_beforeLeave;
};

} // namespace rotalina::shell::ui
