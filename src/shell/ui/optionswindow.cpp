#include "shell/ui/optionswindow.h"

#include "shell/accountchoice.h"
#include "shell/desktop.h"
#include "shell/mainmenu.h"
#include "shell/options.h"
#include "shell/prompter.h"
#include "shell/scanner.h"
#include "shell/session.h"
#include "shell/ui/amountbox.h"
#include "shell/ui/entrynavigation.h"
#include "shell/ui/formpage.h"
#include "shell/ui/lookupbox.h"
#include "shell/ui/recordform.h"
#include "shell/ui/scannerdialog.h"
#include "shell/ui/toolbuttons.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"

#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace rotalina::shell::ui {

namespace {

constexpr int optionsHelp = 1700;

QWidget *scrolled(QWidget *page)
{
    auto *scroll = new QScrollArea;
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return scroll;
}

} // namespace

OptionsWindow::OptionsWindow(Session &session, const WindowRegistry &windows, QWidget *parent)
    : CardWindow(parent), m_session(session), m_windows(windows),
      m_options(new RecordForm(session, QStringLiteral("opzioni"), this)),
      m_company(new RecordForm(session, QStringLiteral("ditta"), this)), m_pages(new QTabWidget(this))
{
    setObjectName(QStringLiteral("TfrmOpzioni"));
    setWindowTitle(QStringLiteral("Opzioni"));
    WindowRegistry::setHelpContext(this, optionsHelp);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(scrolled(generalPage()), QStringLiteral("Generale "));
    m_pages->addTab(logoPage(), QStringLiteral("   Logo   "));
    m_pages->addTab(scrolled(accountingPage()), QStringLiteral("Contabilità"));
    m_pages->addTab(printPage(), QStringLiteral("   Stampa   "));
    m_pages->addTab(emailPage(), QStringLiteral("  Email  "));
    m_pages->addTab(electronicInvoicePage(), QStringLiteral("Fattura Elettronica"));
    m_pages->addTab(otherPage(), QStringLiteral("   Altro   "));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(makeToolButton(ToolAction::Aiuto, this));
    QPushButton *backButton = makeToolButton(ToolAction::Indietro, this);
    connect(backButton, &QPushButton::clicked, this, &OptionsWindow::back);
    buttons->addWidget(backButton);
    layout->addLayout(buttons);

    storage::Archive &archive = *session.archive();
    m_options->loadOnlyRow();
    m_company->loadOnlyRow();
    m_storedEncryption =
        archive.scalar(QStringLiteral("SELECT SmtpCriptaggioTipo FROM opzioni")).value().toInt();
    m_encryption->setCurrentIndex(m_encryption->findData(smtpEncryptionChoiceFor(m_storedEncryption)));
    m_logo = archive.scalar(QStringLiteral("SELECT Logo FROM ditta")).value().toByteArray();
    showLogo();
    m_pages->setCurrentIndex(0);
    resize(980, 680);
}

QWidget *OptionsWindow::generalPage()
{
    auto *page = new FormPage(*m_options);
    EntryNavigation::typeAcuteForApostrophe(
        page->password(QStringLiteral("PasswordAmministratore"), QStringLiteral("Password Amministratore")));
    page->check(QStringLiteral("PromemoriaScadenze"), QStringLiteral("Promemoria Scadenze"));
    page->check(QStringLiteral("Inserimento_articoli_FiltraTuttiDocumenti_per_cliente"),
                QStringLiteral("Filtra per Cliente in tutti i documenti,l'inserimento delle righe"));
    page->check(QStringLiteral("Inserimento_articoli_FiltraPreventivi_per_cliente"),
                QStringLiteral("Filtra per Cliente nei preventivi, l'inserimento delle righe"));
    page->amount(QStringLiteral("Spese_di_Incasso"), QStringLiteral("Spese di Incasso (Iva incluso)"));
    page->amount(QStringLiteral("Spese_di_Trasporto"), QStringLiteral("Spese di Trasporto (Iva incluso)"));
    QStringList tabs;
    for (const QString &tab : mainMenuTabs())
        tabs.append(tab.trimmed());
    page->choice(QStringLiteral("TabIniziale"), QStringLiteral("Tab iniziale "), tabs)
        ->setObjectName(QStringLiteral("ComboBox1"));
    page->check(QStringLiteral("IncrementaChilometriDaCommesse"),
                QStringLiteral("Incrementa i KM delle vetture dalle commesse"));
    page->check(QStringLiteral("LavoraCisterne"), QStringLiteral("Lavora con le Cisterne"));
    page->check(QStringLiteral("DescrizioneDocumentiTariffario"),
                QStringLiteral("In tutte le righe dei documenti importa dal tariffario solo la Descrizione"));
    page->choice(QStringLiteral("AzioneImportazioneVCard"),
                 QStringLiteral("Azione Importazione VCard su duplicati"), vcardImportActions());
    const QString paymentModes =
        QStringLiteral("SELECT id, Descrizione FROM ModPagamento ORDER BY Descrizione");
    page->lookup(QStringLiteral("ModPagamento_Id"),
                 QStringLiteral("Modalità di pagamento standard per i documenti clienti"), paymentModes);
    page->lookup(QStringLiteral("Carico_ModPagamento_Id"),
                 QStringLiteral("Modalità di pagamento standard per i documenti fornitori"), paymentModes);
    page->check(QStringLiteral("ControllaLettereIntentoDocumenti"),
                QStringLiteral("Controlla l'iva per le lettere di intento nei vari documenti"));
    for (const bool start : {true, false}) {
        auto *row = new QHBoxLayout;
        QSpinBox *hour = new QSpinBox;
        hour->setObjectName(start ? QStringLiteral("edtProgrammazioneOraInizio")
                                  : QStringLiteral("edtProgrammazioneOraFine"));
        hour->setRange(0, 23);
        hour->setReadOnly(true);
        hour->setButtonSymbols(QAbstractSpinBox::NoButtons);
        hour->setMaximumWidth(60);
        m_options->bind(start ? QStringLiteral("ProgrammazioneOraInizio")
                              : QStringLiteral("ProgrammazioneOraFine"),
                        hour);
        auto *earlier = new QPushButton(QStringLiteral("<"));
        auto *later = new QPushButton(QStringLiteral(">"));
        earlier->setObjectName(start ? QStringLiteral("btnInizioMeno") : QStringLiteral("btnFineMeno"));
        later->setObjectName(start ? QStringLiteral("btnInizioPiu") : QStringLiteral("btnFinePiu"));
        for (QPushButton *button : {earlier, later}) {
            button->setFixedWidth(32);
            button->setAutoDefault(false);
        }
        connect(earlier, &QPushButton::clicked, this, [this, start] { moveHour(start, false); });
        connect(later, &QPushButton::clicked, this, [this, start] { moveHour(start, true); });
        row->addWidget(earlier);
        row->addWidget(hour);
        row->addWidget(later);
        row->addStretch(1);
        page->row(start ? QStringLiteral("Inizio orario di lavoro") : QStringLiteral("fine orario"), row);
    }
    page->check(QStringLiteral("IncrementaNumeroRigaArticoli"),
                QStringLiteral("Incrementa il numero di riga nei documenti clienti"));
    return page;
}

QWidget *OptionsWindow::logoPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Immagine in archivio"), page));
    m_logoPreview = new QLabel(page);
    m_logoPreview->setObjectName(QStringLiteral("Image1"));
    m_logoPreview->setMinimumSize(360, 240);
    m_logoPreview->setAlignment(Qt::AlignCenter);
    m_logoPreview->setFrameShape(QFrame::StyledPanel);
    m_logoPreview->setStyleSheet(QStringLiteral("background: white;"));
    layout->addWidget(m_logoPreview, 1);
    auto *buttons = new QHBoxLayout;
    const struct
    {
        const char *name;
        const char *caption;
        void (OptionsWindow::*action)();
    } commands[] = {{"btnCaricaLogo", "Carica da File", &OptionsWindow::loadLogo},
                    {"btnSalvaLogo", "Salva come immagine", &OptionsWindow::saveLogoAs},
                    {"btnCancellaLogo", "Cancella", &OptionsWindow::clearLogo},
                    {"btnModificaLogo", "Modifica il Logo", &OptionsWindow::editLogo}};
    for (const auto &command : commands) {
        auto *button = new QPushButton(QString::fromUtf8(command.caption), page);
        button->setObjectName(QString::fromLatin1(command.name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, command.action);
        buttons->addWidget(button);
    }
    // A scanned logo is taken as a chosen file is: PNG keeps the scan as it came, and the archive
    // holds the picture's bytes whatever their format.
    auto *acquire = new QPushButton(QStringLiteral("Acquisisci"), page);
    acquire->setObjectName(QStringLiteral("btnAcquisisci"));
    acquire->setAutoDefault(false);
    connect(acquire, &QPushButton::clicked, this, [this] {
        const std::unique_ptr<Scanner> scanner = defaultScanner();
        const std::optional<QImage> scanned = acquirePage(m_session, *scanner, this);
        if (!scanned)
            return;
        QByteArray png;
        QBuffer bytes(&png);
        if (!bytes.open(QIODevice::WriteOnly) || !scanned->save(&bytes, "PNG")) {
            m_session.prompter().message(
                titles::error(), QStringLiteral("Impossibile convertire l'immagine acquisita nel logo."));
            return;
        }
        m_logo = png;
        m_logoChanged = true;
        showLogo();
    });
    buttons->addWidget(acquire);
    // Resizing comes later.
    auto *resizeButton = new QPushButton(QStringLiteral("ridimensiona"), page);
    resizeButton->setObjectName(QStringLiteral("btnridimensiona"));
    resizeButton->setEnabled(false);
    resizeButton->setToolTip(QStringLiteral("Non ancora disponibile in questa versione"));
    buttons->addWidget(resizeButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return page;
}

QWidget *OptionsWindow::accountingPage()
{
    auto *page = new FormPage(*m_options);
    const struct
    {
        const char *field;
        const char *caption;
    } defaults[] = {
        {"conto_ID_Predefinito_su_FattureAcquisto_Generale", "Fatture di Acquisto - Generale"},
        {"conto_ID_Predefinito_su_FattureAcquisto_SpeseTrasporto",
         "Fatture di Acquisto - Spese di Trasporto"},
        {"conto_ID_Predefinito_su_FattureAcquisto_SpeseIncasso", "Fatture di Acquisto - Spese di Incasso"},
        {"conto_ID_Predefinito_su_FattureVendita_Generale", "Fatture di Vendita - Generale"},
        {"conto_ID_Predefinito_su_FattureVendita_SpeseTrasporto", "Fatture di Vendita - Spese di Trasporto"},
        {"conto_ID_Predefinito_su_FattureVendita_SpeseIncasso", "Fatture di Vendita - Spese di Incasso"},
        {"conto_ID_Predefinito_su_NoteCreditoVendita_Generale", "Note Credito di Vendita - Generale"},
        {"conto_ID_Predefinito_su_NoteCreditoVendita_SpeseTrasporto",
         "Note Credito di Vendita - Spese di Trasporto"},
        {"conto_ID_Predefinito_su_NoteCreditoVendita_SpeseIncasso",
         "Note Credito di Vendita - Spese di Incasso"},
        {"conto_ID_Predefinito_su_NoteCreditoAcquisto_Generale", "Note Credito di Acquisto - Generale"},
        {"conto_ID_Predefinito_su_NoteCreditoAcquisto_SpeseTrasporto",
         "Note Credito di Acquisto - Spese di Trasporto"},
        {"conto_ID_Predefinito_su_NoteCreditoAcquisto_SpeseIncasso",
         "Note Credito di Acquisto - Spese di Incasso"},
        {"conto_ID_Predefinito_su_Corrispettivi", "Corrispettivi"},
    };
    auto *title = new QLabel(QStringLiteral("<b>Conti predefiniti</b>"));
    page->layout()->addRow(title);
    for (const auto &account : defaults)
        page->lookup(QString::fromLatin1(account.field), QString::fromUtf8(account.caption),
                     accountChoiceSql());

    LookupBox *vat = page->lookup(QStringLiteral("Iva_Id"), QStringLiteral("Aliquota Iva standard"),
                                  QStringLiteral("SELECT ID, Descrizione FROM Iva ORDER BY Descrizione"),
                                  {QStringLiteral("AliquotaIva")});
    AmountBox *rate = page->amount(QStringLiteral("AliquotaIva"), QStringLiteral("Percentuale"));
    rate->setReadOnly(true);
    connect(vat, &LookupBox::chosen, this, [this](const QVariant &key) {
        const core::Result<QVariant> percent =
            m_session.archive()->scalar(QStringLiteral("SELECT Iva FROM Iva WHERE ID = ?"), {key});
        m_options->setValue(QStringLiteral("AliquotaIva"), percent ? *percent : QVariant());
    });
    page->check(QStringLiteral("TrimestriSpeciali"), QStringLiteral("Trimestri speciali"));
    page->amount(QStringLiteral("SaldoInizialePrimaNota"), QStringLiteral("Saldo iniziale prima nota"));
    page->check(QStringLiteral("NumerazioneUnicaNoteCredito"),
                QStringLiteral("Usa una sola numerazione per Fatture e Note credito"));
    page->check(QStringLiteral("DuplicaFatturazioneInPrimaNota"),
                QStringLiteral("Duplica pagamenti della fatturazione in prima nota"));
    page->check(QStringLiteral("ChiusuraIvaMensile"), QStringLiteral("Chiusura iva mensile"));
    page->lookup(QStringLiteral("Bank_ID"), QStringLiteral("Banca predefinita"),
                 QStringLiteral("SELECT Id, Banca FROM Bank WHERE annullato = false ORDER BY Banca"));
    auto *multiple = new QCheckBox(QStringLiteral("Usa più serie di fatturazione"));
    multiple->setObjectName(QStringLiteral("chkFatturazioneMultipla"));
    m_company->bind(QStringLiteral("FatturazioneMultipla"), multiple);
    page->row(QString(), multiple);
    page->check(QStringLiteral("VerificaCoerenza_FattureElett_PrimaEsportazione"),
                QStringLiteral("Verifica gli importi prima di esportare fatture elettroniche"));
    auto *change = new QPushButton(QStringLiteral("Cambia tutte le tariffe"));
    change->setObjectName(QStringLiteral("Button1"));
    change->setAutoDefault(false);
    change->setEnabled(m_windows.has(changeAllTariffsCommand()));
    connect(change, &QPushButton::clicked, this, &OptionsWindow::changeAllTariffs);
    page->row(QString(), change);
    return page;
}

QWidget *OptionsWindow::printPage()
{
    auto *page = new FormPage(*m_options);
    page->check(QStringLiteral("StampanteDefault"),
                QStringLiteral("Utilizza nelle stampe direttamente la Stampante di Default"))
        ->setToolTip(QStringLiteral("Se abilitato, non viene richiesta quale stampante utilizzare"));
    page->check(QStringLiteral("DocumentiRigaIvato"),
                QStringLiteral("In tutti i documenti utilizza i totali riga comprensivi di iva"));
    page->check(QStringLiteral("PrezzoPreventivo"),
                QStringLiteral("Includi prezzo delle righe nei preventivi"))
        ->setToolTip(QStringLiteral("Stampa i preventivi con la colonna dei prezzi  o senza...."));
    return page;
}

QWidget *OptionsWindow::emailPage()
{
    auto *page = new FormPage(*m_options);
    page->text(QStringLiteral("SmtpHost"), QStringLiteral("Nome Server SMTP"));
    page->text(QStringLiteral("SmtpPorta"), QStringLiteral("Porta"))
        ->setValidator(new QIntValidator(0, 65535, page));
    page->text(QStringLiteral("SmtpUserName"), QStringLiteral("Username"));
    page->password(QStringLiteral("SmtpPassword"), QStringLiteral("Password"));
    page->text(QStringLiteral("SmtpMittenteEmail"), QStringLiteral("Email Mittente"));
    page->check(QStringLiteral("SmtpAutenticazioneServer"),
                QStringLiteral("Autenticazione Server Necessaria"));
    page->check(QStringLiteral("SmtpCriptato"),
                QStringLiteral("Il Server Necessa di una protezione protetta"));
    // Not bound: a code of the earlier protocols stays as it is unless the user chooses another.
    m_encryption = new QComboBox(page);
    m_encryption->setObjectName(QStringLiteral("cmbSmtpCriptaggioTipo"));
    for (const EncryptionChoice &choice : smtpEncryptionChoices())
        m_encryption->addItem(choice.caption, choice.code);
    connect(m_encryption, &QComboBox::activated, this, [this] { m_options->setDirty(); });
    page->row(QStringLiteral("Tipo Criptaggio"), m_encryption);
    page->memo(QStringLiteral("EmailTestoDefault"), QStringLiteral("testo default Email"));
    page->text(QStringLiteral("PecSdI"), QStringLiteral("Pec del Sistema di Interscambio"))
        ->setToolTip(QStringLiteral("L'indirizzo Pec dello SdI a cui \"Invia allo SdI\" dell'elenco fatture "
                                    "spedisce le fatture elettroniche esportate"));
    return page;
}

QWidget *OptionsWindow::folderRow(const QString &field, const QString &caption, const QString &chooseName,
                                  const QString &openName)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *folder = new QLineEdit(row);
    folder->setObjectName(QStringLiteral("edt") + field);
    m_options->bind(field, folder);
    auto *choose = new QPushButton(QStringLiteral("..."), row);
    choose->setObjectName(chooseName);
    choose->setToolTip(QStringLiteral("Scegli la cartella"));
    auto *open = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), QString(), row);
    open->setObjectName(openName);
    open->setToolTip(QStringLiteral("Apri la cartella"));
    for (QPushButton *button : {choose, open})
        button->setAutoDefault(false);
    connect(choose, &QPushButton::clicked, this, [this, folder, caption] {
        const QString chosen = m_session.prompter().chooseFolder(caption, folder->text());
        if (!chosen.isEmpty())
            folder->setText(QDir::toNativeSeparators(chosen));
    });
    connect(open, &QPushButton::clicked, this, [this, folder] {
        if (const std::optional<QString> problem = folderProblem(folder->text()))
            m_session.prompter().message(titles::error(), *problem);
        else
            m_session.desktop().openUrl(QUrl::fromLocalFile(folder->text()));
    });
    layout->addWidget(folder, 1);
    layout->addWidget(choose);
    layout->addWidget(open);
    return row;
}

QWidget *OptionsWindow::electronicInvoicePage()
{
    auto *page = new FormPage(*m_options);
    page->row(QStringLiteral("Cartella Esp. Fatture Elett."),
              folderRow(QStringLiteral("CartellaEsportazioneFattureElettroniche"),
                        QStringLiteral("Cartella Esp. Fatture Elett."),
                        QStringLiteral("btnSceltaCartellaFattureElettroniche"),
                        QStringLiteral("btnApriCartellaFattureElettroniche")));
    page->check(
        QStringLiteral("AggiornaAutomaticamenteInformazioniDaXml"),
        QStringLiteral("Aggiorna automaticamente i dati anagrafici dei dati quando si importano le fatture "
                       "elettroniche"));
    // The company's signing certificate: its password is asked at every signature, never kept.
    auto *certificateRow = new QWidget;
    auto *certificateLayout = new QHBoxLayout(certificateRow);
    certificateLayout->setContentsMargins(0, 0, 0, 0);
    auto *certificate = new QLineEdit(certificateRow);
    certificate->setObjectName(QStringLiteral("edtCertificatoFirmaFattureElettroniche"));
    certificate->setToolTip(
        QStringLiteral("Il file del certificato di firma (PKCS#12): con esso \"Esporta xml\" "
                       "scrive anche la fattura firmata (.p7m)"));
    m_options->bind(QStringLiteral("CertificatoFirmaFattureElettroniche"), certificate);
    auto *chooseCertificate = new QPushButton(QStringLiteral("..."), certificateRow);
    chooseCertificate->setObjectName(QStringLiteral("btnSceltaCertificatoFirma"));
    chooseCertificate->setToolTip(QStringLiteral("Scegli il certificato di firma"));
    chooseCertificate->setAutoDefault(false);
    connect(chooseCertificate, &QPushButton::clicked, this, [this, certificate] {
        const QString chosen = m_session.prompter().openFile(
            QStringLiteral("Certificato di firma"), QFileInfo(certificate->text()).absolutePath(),
            QStringLiteral("Certificati PKCS#12 (*.p12 *.pfx)"));
        if (!chosen.isEmpty())
            certificate->setText(QDir::toNativeSeparators(chosen));
    });
    certificateLayout->addWidget(certificate, 1);
    certificateLayout->addWidget(chooseCertificate);
    page->row(QStringLiteral("Certificato di firma"), certificateRow);
    return page;
}

QWidget *OptionsWindow::otherPage()
{
    auto *page = new FormPage(*m_options);
    LookupBox *format =
        page->lookup(QStringLiteral("TipoEsportazione"), QStringLiteral("Formato di esportazione"),
                     QStringLiteral("SELECT Numero, Descrizione FROM TipoEsportazioniCrystalReport "
                                    "WHERE Attivo = true ORDER BY Descrizione"),
                     {QStringLiteral("EstensioneEsportazione")});
    page->text(QStringLiteral("EstensioneEsportazione"), QStringLiteral("Estensione"))->setReadOnly(true);
    connect(format, &LookupBox::chosen, this, [this](const QVariant &key) {
        const core::Result<QVariant> extension = m_session.archive()->scalar(
            QStringLiteral("SELECT Estensione FROM TipoEsportazioniCrystalReport WHERE Numero = ?"), {key});
        m_options->setValue(QStringLiteral("EstensioneEsportazione"), extension ? *extension : QVariant());
    });
    page->row(
        QStringLiteral("Cartella Esp. Documenti"),
        folderRow(QStringLiteral("CartellaEsportazioneDocumenti"), QStringLiteral("Cartella Esp. Documenti"),
                  QStringLiteral("btnSceltaCartellaDocumenti"), QStringLiteral("btnApriCartellaDocumenti")));
    page->check(
        QStringLiteral("UtilizzaCoefficienteRegionale"),
        QStringLiteral(
            "Calcola il valore unitario delle commesse in base ai coefficienti regionali per volume"));
    QLineEdit *routes =
        page->text(QStringLiteral("IndirizzoServizioPercorsi"), QStringLiteral("Servizio percorsi (OSRM)"));
    routes->setPlaceholderText(QStringLiteral("https://router.project-osrm.org"));
    routes->setToolTip(
        QStringLiteral("Il server OSRM a cui le tariffe chiedono chilometri, tempo e percorso; "
                       "vuoto per il server pubblico"));
    return page;
}

void OptionsWindow::moveHour(bool start, bool later)
{
    const QString field =
        start ? QStringLiteral("ProgrammazioneOraInizio") : QStringLiteral("ProgrammazioneOraFine");
    const int hour = m_options->values().value(field).toInt();
    m_options->setValue(field, nextWorkingHour(hour, later, start ? latestStartHour : latestEndHour));
}

void OptionsWindow::changeAllTariffs()
{
    const QVariantMap values = m_options->values();
    const QVariant vat = values.value(QStringLiteral("Iva_Id"));
    if (!vat.isValid() || vat.isNull()) {
        // Without a standard rate every tariff would lose its VAT.
        m_session.prompter().message(titles::error(),
                                     QStringLiteral("Attenzione scegliere prima l'Aliquota Iva standard"));
        return;
    }
    m_windows.open(changeAllTariffsCommand(), m_session, this,
                   {{QStringLiteral("Iva_Id"), vat},
                    {QStringLiteral("AliquotaIva"), values.value(QStringLiteral("AliquotaIva"))}});
}

QString changeAllTariffsCommand()
{
    return QStringLiteral("CambiaTutteLeTariffe");
}

void OptionsWindow::showLogo()
{
    QImage image;
    if (!m_logo.isEmpty() && image.loadFromData(m_logo)) {
        m_logoPreview->setPixmap(QPixmap::fromImage(image).scaled(
            m_logoPreview->minimumSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else {
        m_logoPreview->setPixmap(QPixmap());
        m_logoPreview->setText(QStringLiteral("Nessun logo"));
    }
}

void OptionsWindow::loadLogo()
{
    const QString path = m_session.prompter().openFile(QStringLiteral("Carica immagine.."), QString(),
                                                       QStringLiteral("Immagini (*.jpg *.jpeg *.bmp *.png)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    QImage image;
    if (!file.open(QIODevice::ReadOnly) || !image.loadFromData(file.readAll())) {
        m_session.prompter().message(titles::error(),
                                     QStringLiteral("Il file %1 non è un'immagine leggibile.").arg(path));
        return;
    }
    file.seek(0);
    m_logo = file.readAll();
    m_logoChanged = true;
    showLogo();
}

void OptionsWindow::saveLogoAs()
{
    QImage image;
    if (m_logo.isEmpty() || !image.loadFromData(m_logo)) {
        m_session.prompter().message(titles::error(),
                                     QStringLiteral("Attenzione non c'è nessun logo da salvare"));
        return;
    }
    const QString path =
        m_session.prompter().saveFile(QStringLiteral("Salva Immagine con nome.."), QStringLiteral("logo.jpg"),
                                      QStringLiteral("JPEG (*.jpg)"));
    if (path.isEmpty())
        return;
    if (!image.save(path, "JPG", 95))
        m_session.prompter().message(titles::error(),
                                     QStringLiteral("Impossibile scrivere il file %1").arg(path));
}

void OptionsWindow::clearLogo()
{
    m_logo.clear();
    m_logoChanged = true;
    showLogo();
}

void OptionsWindow::editLogo()
{
    QImage image;
    if (m_logo.isEmpty() || !image.loadFromData(m_logo)) {
        m_session.prompter().message(titles::error(),
                                     QStringLiteral("Attenzione non c'è nessun logo da modificare"));
        return;
    }
    // The desktop's image editor works on a copy; the edited picture is loaded back with "Carica da File".
    const QString copy = QDir::temp().filePath(QStringLiteral("LogoRotalina.png"));
    if (!image.save(copy, "PNG")) {
        m_session.prompter().message(titles::error(),
                                     QStringLiteral("Impossibile scrivere il file %1").arg(copy));
        return;
    }
    m_session.desktop().openUrl(QUrl::fromLocalFile(copy));
}

bool OptionsWindow::store()
{
    storage::Archive &archive = *m_session.archive();
    storage::Transaction transaction(archive);
    bool written = transaction.isActive() && m_options->quietSave() && m_company->quietSave();
    const int chosen = m_encryption->currentData().toInt();
    if (written && chosen != smtpEncryptionChoiceFor(m_storedEncryption))
        written = archive
                      .update(QStringLiteral("opzioni"), m_options->key(),
                              {{QStringLiteral("SmtpCriptaggioTipo"), chosen}})
                      .ok();
    if (written && m_logoChanged)
        written = archive
                      .update(QStringLiteral("ditta"), m_company->key(),
                              {{QStringLiteral("Logo"), m_logo.isEmpty() ? QVariant() : QVariant(m_logo)}})
                      .ok();
    if (written && !transaction.commit().ok())
        written = false;
    if (!written)
        m_session.prompter().message(titles::error(),
                                     QStringLiteral("Le opzioni non sono state salvate: riprovare."));
    return written;
}

bool OptionsWindow::leave()
{
    if (const std::optional<OptionsProblem> problem = optionsProblem(m_options->values())) {
        m_session.prompter().message(titles::error(), problem->message);
        m_pages->setCurrentIndex(static_cast<int>(problem->page));
        if (QWidget *editor = m_options->editor(problem->field))
            editor->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (!store())
        return false;
    return true;
}

bool OptionsWindow::back()
{
    if (!leave())
        return false;
    finish(true);
    return true;
}

} // namespace rotalina::shell::ui
