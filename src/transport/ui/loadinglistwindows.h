#pragma once

#include "shell/ui/documentwindow.h"
#include "shell/ui/registrywindows.h"

class QButtonGroup;

namespace rotalina::shell::ui {
class LookupBox;
class WindowRegistry;
} // namespace rotalina::shell::ui

namespace rotalina::transport::ui {

// The loading list "TfrmDistinteCarico": the header, its consignments and its print.
class LoadingListWindow : public shell::ui::DocumentWindow
{
    Q_OBJECT

public:
    LoadingListWindow(shell::Session &session, const shell::ui::WindowRegistry &windows, qint64 key,
                      bool isNew, QWidget *parent = nullptr);

    void print();
};

// The list "TfrmGrigliaDistinteCarico" with its filters and the print of the listed loading lists.
class LoadingListListWindow : public shell::ui::RegistryListWindow
{
    Q_OBJECT

public:
    LoadingListListWindow(shell::Session &session, const shell::ui::WindowRegistry &windows,
                          const QVariantMap &parameters, QWidget *parent = nullptr);

protected:
    core::Result<qint64> createRow() override;
    bool addListConditions(storage::ListFilter &filter) override;
    void clearFilters() override;

private:
    bool m_history;
    shell::ui::LookupBox *m_driver;
    QButtonGroup *m_state;
};

void registerLoadingListWindows(shell::ui::WindowRegistry &windows);

} // namespace rotalina::transport::ui
