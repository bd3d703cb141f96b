#pragma once

#include "shell/ui/documentwindow.h"
#include "shell/ui/registrywindows.h"

namespace rotalina::shell::ui {
class WindowRegistry;
}

namespace rotalina::transport::ui {

// The quote "TfrmPreventivi": rows from tariffs (added at once) and free rows, and its print.
class QuoteWindow : public shell::ui::DocumentWindow
{
    Q_OBJECT

public:
    QuoteWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key, bool isNew,
                QWidget *parent = nullptr);

    void addFromTariffs();
    void addFreeRow();
    void print();

private:
    shell::ui::OwnedRowsPanel *quoteRows() const;
};

// The list "TfrmGrigliaPreventivi", of the open quotes or, from the history, of a period.
class QuoteListWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    QuoteListWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                    const QVariantMap &parameters, QWidget *parent = nullptr);

protected:
    core::Result<qint64> createRow() override;

private:
    bool m_history;
};

void registerQuoteWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::transport::ui
