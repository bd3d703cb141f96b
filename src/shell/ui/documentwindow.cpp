#include "shell/ui/documentwindow.h"

#include "shell/prompter.h"
#include "shell/session.h"
#include "shell/ui/datagrid.h"
#include "shell/ui/formpage.h"
#include "shell/ui/recordform.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

DocumentWindow::DocumentWindow(Session &session, const DocumentDescriptor &document,
                               const WindowRegistry &windows, qint64 key, bool isNew, QWidget *parent)
    : CardWindow(parent), m_session(session), m_document(document), m_windows(windows),
      m_form(new RecordForm(session, document.table, this)), m_pages(new QTabWidget(this))
{
    setObjectName(document.window);
    setWindowTitle(document.caption);
    WindowRegistry::setHelpContext(this, document.helpContext);
    auto *layout = new QVBoxLayout(this);

    m_cancel = makeToolButton(ToolAction::Annulla, this);
    m_save = makeToolButton(ToolAction::Salva, this);
    QPushButton *help = makeToolButton(ToolAction::Aiuto, this);
    QPushButton *back = makeToolButton(ToolAction::Indietro, this);
    m_toolbar = new QHBoxLayout;
    m_toolbar->addWidget(m_cancel);
    m_toolbar->addWidget(m_save);
    m_toolbar->addStretch(1);
    m_toolbar->addWidget(help);
    m_toolbar->addWidget(back);
    layout->addLayout(m_toolbar);
    layout->addWidget(m_pages, 1);
    // The save is the program's own (tab changes, closing); the button stays for the keyboard.
    m_save->hide();
    connect(m_save, &QPushButton::clicked, this, &DocumentWindow::save);
    connect(m_cancel, &QPushButton::clicked, this, &DocumentWindow::cancelNew);
    connect(back, &QPushButton::clicked, this, &DocumentWindow::back);

    for (int tab = 0; tab < document.tabs.size(); ++tab) {
        const DocumentTab &description = document.tabs.at(tab);
        auto *content = new QWidget;
        auto *column = new QVBoxLayout(content);
        if (!description.fields.isEmpty()) {
            auto *fields = new QHBoxLayout;
            QList<RegistryField> part;
            const auto addColumn = [&] {
                auto *formPage = new FormPage(*m_form, content);
                addRegistryFields(*formPage, *m_form, session, part, &windows);
                fields->addWidget(formPage, 1);
                part.clear();
            };
            for (const RegistryField &field : description.fields) {
                if (field.newColumn && !part.isEmpty())
                    addColumn();
                part.append(field);
            }
            addColumn();
            column->addLayout(fields);
        }
        for (const RegistryRows &link : description.rows) {
            const RegistryDescriptor *rows = link.registry ? link.registry() : nullptr;
            if (!rows)
                continue;
            auto *panel = new OwnedRowsPanel(session, windows, *rows, link, content);
            panel->setBeforeChange([this] { return !m_form->isDirty() || quietSave(); });
            panel->setAfterChange([this] { rowsChanged(); });
            column->addWidget(panel, 1);
            m_rows.append(panel);
            m_rowsByTable.insert(rows->table.toLower(), panel);
        }
        if (description.rows.isEmpty())
            column->addStretch(1);
        m_pages->addTab(content, description.caption);
    }
    for (const QString &field : document.computedFields) {
        if (auto *edit = qobject_cast<QLineEdit *>(m_form->editor(field))) {
            edit->setReadOnly(true);
            edit->setFocusPolicy(Qt::NoFocus);
        }
    }
    m_form->checks() = document.checks;
    m_form->setWriter([this](qint64 row, const QVariantMap &changed) {
        if (m_document.save)
            return m_document.save(*m_session.archive(), row, changed);
        return m_session.archive()->update(m_document.table, row, changed);
    });
    if (document.remove)
        m_form->setRemover([this](qint64 row) { return m_document.remove(*m_session.archive(), row); });
    connect(m_pages, &QTabWidget::currentChanged, this, &DocumentWindow::tabChanged);
    // A save may have changed what the grids show (the due dates follow the header).
    connect(m_form, &RecordForm::saved, this, [this] {
        for (OwnedRowsPanel *panel : std::as_const(m_rows))
            panel->reload();
    });

    m_cancel->setVisible(isNew);
    if (!m_form->load(key, isNew)) {
        finish(false);
        return;
    }
    for (OwnedRowsPanel *panel : std::as_const(m_rows))
        panel->setOwner(key);
    resize(980, 680);
}

OwnedRowsPanel *DocumentWindow::rows(const QString &table) const
{
    return m_rowsByTable.value(table.toLower());
}

qint64 DocumentWindow::key() const
{
    return m_form->key();
}

void DocumentWindow::addToolButton(QPushButton *button)
{
    button->setParent(this);
    button->setAutoDefault(false);
    // After "Annulla", "salva" and the stretch, before "Aiuto" and "Indietro".
    m_toolbar->insertWidget(3 + m_ownButtons++, button);
}

bool DocumentWindow::save()
{
    if (!m_form->save()) {
        // The failing check has shown its field; the window stays on the header.
        return false;
    }
    m_cancel->hide();
    return true;
}

bool DocumentWindow::quietSave()
{
    return m_form->quietSave();
}

void DocumentWindow::rowsChanged()
{
    m_form->refresh(m_document.computedFields);
    for (OwnedRowsPanel *panel : std::as_const(m_rows))
        panel->reload();
}

void DocumentWindow::tabChanged(int index)
{
    if (m_returning || index == 0 || !m_form->isDirty())
        return;
    if (save())
        return;
    // The failing check brought its field to the front; otherwise the header comes back.
    m_returning = true;
    if (m_pages->currentIndex() == index)
        m_pages->setCurrentIndex(0);
    m_returning = false;
}

void DocumentWindow::back()
{
    if (leave())
        finish(true);
}

void DocumentWindow::cancelNew()
{
    if (cancelInsert())
        finish(false);
}

bool DocumentWindow::leave()
{
    if (m_beforeLeave)
        m_beforeLeave();
    return m_form->back();
}

bool DocumentWindow::offersCancel() const
{
    return m_form->isNew();
}

bool DocumentWindow::cancelInsert()
{
    return m_form->cancelNew();
}

} // namespace rotalina::shell::ui
