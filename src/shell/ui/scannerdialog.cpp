#include "shell/ui/scannerdialog.h"

#include "shell/prompter.h"
#include "shell/session.h"

#include <QApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

namespace rotalina::shell::ui {

namespace {

QString caption()
{
    return QStringLiteral("Acquisizione da scanner");
}

struct Choice
{
    QString device;
    ScanFileFormat format = ScanFileFormat::Png;
};

std::optional<Choice> chooseScanner(Session &session, Scanner &scanner, QWidget *parent, bool chooseFormat)
{
    // Looking for network scanners can take a few seconds.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const core::Result<QList<ScannerDevice>> found = scanner.devices();
    QApplication::restoreOverrideCursor();
    if (!found) {
        session.prompter().message(titles::error(), found.error());
        return std::nullopt;
    }
    if (!chooseFormat && found->size() == 1)
        return Choice{found->front().name};
    ScannerDialog dialog(*found, chooseFormat, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.device().isEmpty())
        return std::nullopt;
    return Choice{dialog.device(), dialog.format()};
}

// The scan runs on a worker thread so that the window keeps drawing and "Annulla" answers while the
// scanner sends its lines; the worker looks at the cancel flag between reads.
std::optional<QImage> scanPage(Session &session, Scanner &scanner, QWidget *parent, const QString &device)
{
    std::atomic_bool cancel = false;
    std::atomic<qint64> read = 0;
    std::atomic<qint64> expected = 0;
    std::optional<core::Result<QImage>> result;

    QProgressDialog progress(QStringLiteral("Acquisizione in corso..."), QStringLiteral("Annulla"), 0, 0,
                             parent);
    progress.setObjectName(QStringLiteral("dlgAcquisizione"));
    progress.setWindowTitle(caption());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    bool waitCursor = false;
    QObject::connect(&progress, &QProgressDialog::canceled, [&cancel, &waitCursor] {
        cancel = true;
        // The scanner may take a moment to stop its carriage.
        if (!waitCursor)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        waitCursor = true;
    });
    QTimer update;
    update.setInterval(100);
    QObject::connect(&update, &QTimer::timeout, &progress, [&] {
        // Hand scanners do not know how long the page is: the bar then only shows that work goes on.
        if (const qint64 total = expected.load(); total > 0) {
            progress.setMaximum(1000);
            progress.setValue(int(std::min<qint64>(1000, read.load() * 1000 / total)));
        }
    });

    std::unique_ptr<QThread> worker(QThread::create([&] {
        result = scanner.acquire(device, cancel, [&read, &expected](qint64 done, qint64 total) {
            read = done;
            expected = total;
        });
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    progress.show();
    update.start();
    worker->start();
    if (!worker->isFinished())
        loop.exec();
    worker->wait();
    update.stop();
    progress.hide();
    if (waitCursor)
        QApplication::restoreOverrideCursor();

    if (cancel.load())
        return std::nullopt;
    if (!result || !result->ok()) {
        session.prompter().message(titles::error(), result ? result->error() : scannerMessages::cancelled());
        return std::nullopt;
    }
    return std::move(*result).value();
}

} // namespace

ScannerDialog::ScannerDialog(const QList<ScannerDevice> &devices, bool chooseFormat, QWidget *parent)
    : QDialog(parent), m_devices(new QListWidget(this))
{
    setObjectName(QStringLiteral("TfrmScanner"));
    setWindowTitle(caption());
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Scanner da usare:"), this);
    label->setBuddy(m_devices);
    layout->addWidget(label);
    m_devices->setObjectName(QStringLiteral("lstScanner"));
    for (const ScannerDevice &device : devices) {
        auto *item = new QListWidgetItem(device.description(), m_devices);
        item->setData(Qt::UserRole, device.name);
        item->setToolTip(device.name);
    }
    m_devices->setCurrentRow(0);
    layout->addWidget(m_devices, 1);

    if (chooseFormat) {
        auto *formats = new QGroupBox(QStringLiteral("Salva come"), this);
        formats->setObjectName(QStringLiteral("grpFormato"));
        auto *formatLayout = new QHBoxLayout(formats);
        auto *png = new QRadioButton(QStringLiteral("Immagine PNG"), formats);
        png->setObjectName(QStringLiteral("rbPng"));
        png->setChecked(true);
        m_pdf = new QRadioButton(QStringLiteral("Documento PDF"), formats);
        m_pdf->setObjectName(QStringLiteral("rbPdf"));
        formatLayout->addWidget(png);
        formatLayout->addWidget(m_pdf);
        formatLayout->addStretch(1);
        layout->addWidget(formats);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *acquire = new QPushButton(QStringLiteral("Acquisisci"), this);
    acquire->setObjectName(QStringLiteral("btnAcquisisci"));
    acquire->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Annulla"), this);
    cancel->setObjectName(QStringLiteral("btnAnnulla"));
    cancel->setAutoDefault(false);
    buttons->addWidget(acquire);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(acquire, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_devices, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_devices, &QListWidget::currentRowChanged, acquire,
            [acquire](int row) { acquire->setEnabled(row >= 0); });
    acquire->setEnabled(m_devices->currentRow() >= 0);
    resize(420, 280);
}

QString ScannerDialog::device() const
{
    const QListWidgetItem *item = m_devices->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

ScanFileFormat ScannerDialog::format() const
{
    return m_pdf && m_pdf->isChecked() ? ScanFileFormat::Pdf : ScanFileFormat::Png;
}

std::optional<QImage> acquirePage(Session &session, Scanner &scanner, QWidget *parent)
{
    const std::optional<Choice> choice = chooseScanner(session, scanner, parent, false);
    if (!choice)
        return std::nullopt;
    return scanPage(session, scanner, parent, choice->device);
}

std::optional<QString> acquireImage(Session &session, Scanner &scanner, QWidget *parent,
                                    const QString &folder, const QString &baseName)
{
    const std::optional<Choice> choice = chooseScanner(session, scanner, parent, true);
    if (!choice)
        return std::nullopt;
    const std::optional<QImage> page = scanPage(session, scanner, parent, choice->device);
    if (!page)
        return std::nullopt;
    const core::Result<QString> saved = saveScannedPage(*page, folder, baseName, choice->format);
    if (!saved) {
        session.prompter().message(titles::error(), saved.error());
        return std::nullopt;
    }
    return saved.value();
}

} // namespace rotalina::shell::ui
