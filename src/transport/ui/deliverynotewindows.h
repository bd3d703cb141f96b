#pragma once

#include "shell/ui/documentwindow.h"
#include "shell/ui/registrywindows.h"

namespace rotalina::shell::ui {
class LookupBox;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::transport::ui {

// The transport document "TfrmDDT": the header with the goods carried, its rows and its print.
class DeliveryNoteWindow : public shell::ui::DocumentWindow
{
    Q_OBJECT

public:
    DeliveryNoteWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key,
                       bool isNew, QWidget *parent = nullptr);

    void print();
};

// The list "TfrmGrigliaDDT", of the open documents or, from the history, of a period, filtered by
// number, period and customer.
class DeliveryNoteListWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    DeliveryNoteListWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                           const QVariantMap &parameters, QWidget *parent = nullptr);

protected:
    core::Result<qint64> createRow() override;
    bool addListConditions(storage::ListFilter &filter) override;
    void clearFilters() override;

private:
    bool m_history;
    shell::ui::LookupBox *m_customer;
};

void registerDeliveryNoteWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::transport::ui
