#pragma once

#include <QDialog>
#include <QUrl>

class QTextBrowser;

namespace rotalina::shell {
class Desktop;
}

namespace rotalina::shell::ui {

// The help pages of the program, shown in a window of its own: they are our own HTML, so they
// need no browser. The links between pages work; "Apri nel browser" hands the page to the
// desktop's browser for those who prefer it.
class HelpWindow : public QDialog
{
    Q_OBJECT

public:
    HelpWindow(Desktop &desktop, QString indexPage, QWidget *parent = nullptr);

    void showPage(const QUrl &page);
    QUrl page() const;
    QTextBrowser *browser() const { return m_browser; }

private:
    Desktop &m_desktop;
    QString m_index;
    QTextBrowser *m_browser;
};

} // namespace rotalina::shell::ui
