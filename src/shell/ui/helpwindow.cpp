#include "shell/ui/helpwindow.h"

#include "shell/desktop.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

HelpWindow::HelpWindow(Desktop &desktop, QString indexPage, QWidget *parent)
    : QDialog(parent), m_desktop(desktop), m_index(std::move(indexPage)), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("TfrmAiuto"));
    setWindowTitle(QStringLiteral("Aiuto di Rotalina"));
    setWindowFlag(Qt::WindowMinMaxButtonsHint);
    m_browser->setObjectName(QStringLiteral("txtAiuto"));
    m_browser->setOpenLinks(true);
    // Pages of our own open here, the web outside.
    m_browser->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    auto *buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char *caption, const char *name) {
        auto *made = new QPushButton(QString::fromUtf8(caption), this);
        made->setObjectName(QString::fromLatin1(name));
        made->setAutoDefault(false);
        buttons->addWidget(made);
        return made;
    };
    QPushButton *backward = button("Pagina precedente", "btnIndietroPagina");
    QPushButton *index = button("Indice", "btnIndice");
    buttons->addStretch(1);
    QPushButton *browser = button("Apri nel browser", "btnApriBrowser");
    QPushButton *close = button("Chiudi", "btnChiudi");
    backward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, backward, &QPushButton::setEnabled);
    connect(backward, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(index, &QPushButton::clicked, this, [this] { showPage(QUrl::fromLocalFile(m_index)); });
    connect(browser, &QPushButton::clicked, this, [this] { m_desktop.openUrl(page()); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    layout->addLayout(buttons);
    resize(820, 640);
}

void HelpWindow::showPage(const QUrl &page)
{
    m_browser->setSource(page);
}

QUrl HelpWindow::page() const
{
    return m_browser->source();
}

} // namespace rotalina::shell::ui
