#include "shell/mainmenu.h"

namespace rotalina::shell {

namespace {

const QString archive = QStringLiteral("Archivio  ");
const QString activities = QStringLiteral("Attività");
const QString customerDocuments = QStringLiteral("Documenti Clienti  ");
const QString supplierDocuments = QStringLiteral("Documenti Fornitori  ");
const QString prints = QStringLiteral("Stampe  ");
const QString history = QStringLiteral("Storico  ");
const QString dueDates = QStringLiteral("Scadenziario  ");
const QString utility = QStringLiteral("Utility");
const QString video = QStringLiteral("Video");

MenuButton window(const QString &tab, const QString &group, const char *name, const char *caption,
                  const char *target)
{
    MenuButton button;
    button.tab = tab;
    button.group = group;
    button.objectName = QString::fromLatin1(name);
    button.caption = QString::fromUtf8(caption);
    button.target = QString::fromLatin1(target);
    return button;
}

MenuButton historyButton(const char *group, const char *name, const char *caption, const char *list,
                         const char *statement, const char *dateField = "Data", bool sameYear = true)
{
    MenuButton button = window(history, QString::fromUtf8(group), name, caption, list);
    button.kind = MenuButton::Kind::History;
    button.statement = QString::fromLatin1(statement);
    button.dateField = QString::fromLatin1(dateField);
    button.sameYear = sameYear;
    return button;
}

MenuButton dueDateButton(const char *group, const char *name, const char *caption, const char *condition,
                         const char *listCaption, const char *partyColumn)
{
    MenuButton button = window(dueDates, QString::fromUtf8(group), name, caption, "TfrmScadenziario");
    button.kind = MenuButton::Kind::DueDates;
    button.condition = QString::fromLatin1(condition);
    button.listCaption = QString::fromLatin1(listCaption);
    button.partyColumn = QString::fromLatin1(partyColumn);
    return button;
}

MenuButton videoButton(const char *group, const char *caption, const char *file)
{
    QString name = QStringLiteral("btnVideo") + QString::fromLatin1(file).section(u'.', 0, 0).remove(u'_');
    MenuButton button = window(video, QString::fromUtf8(group), "", caption, file);
    button.objectName = name;
    button.kind = MenuButton::Kind::Video;
    return button;
}

MenuButton companion(const char *name, const char *caption, const char *program, QStringList arguments)
{
    MenuButton button = window(activities, QString(), name, caption, program);
    button.kind = MenuButton::Kind::Companion;
    button.arguments = std::move(arguments);
    return button;
}

} // namespace

QStringList mainMenuTabs()
{
    return {archive, activities, customerDocuments, supplierDocuments, prints, history, dueDates,
            utility, video};
}

const QList<MenuButton> &mainMenuButtons()
{
    static const QList<MenuButton> buttons = [] {
        const QString none;
        const QString customers = QStringLiteral("Doc. Clienti");
        const QString suppliers = QStringLiteral("Doc. Fornitori");
        const QString other = QStringLiteral("Altro");
        QList<MenuButton> b = {
            window(archive, none, "btnTariffe", "Tariffe", "TForm2"),
            window(archive, none, "btnBanche", "Banche", "TfrmGrigliaBanche"),
            window(archive, none, "btnVetture", "Vetture", "TfrmVetture"),
            window(archive, none, "btnReparti", "Reparti", "TfrmReparti"),
            window(archive, none, "btnMarche", "Marche", "TfrmModelli"),
            window(archive, none, "btnComuni", "Comuni", "TfrmGrigliaComuni"),
            window(archive, none, "btnPersonale", "Personale", "TfrmGrigliaPersonale"),
            window(archive, none, "btnClienti", "Clienti", "TfrmClienti"),
            window(archive, none, "btnFornitori", "Fornitori", "TFornitori"),
            window(archive, none, "btnModalitaPagamento", "Modalità di Pagamento", "TfrmModPagam"),
            window(archive, none, "btnIva", "Iva", "TfrmGrigliaIva"),
            window(archive, none, "btnPadroncini", "Padroncini", "TfrmGrigliaPadroncini"),
            window(archive, none, "btnColori", "Colori", "TfrmGrigliaColori"),
            window(archive, none, "btnTipologie", "Tipologie", "TfrmArchivioTipologie"),
            window(archive, none, "btnIndirizzi", "Indirizzi", "TfrmIndirizzi"),
            window(archive, none, "btnProvince", "Province", "TfrmGrigliaProvince"),
            window(archive, none, "btnCarburanti", "Carburanti", "TfrmGrigliaCarburanti"),
            window(archive, none, "btnUnitaMisura", "Unità di Misura", "TfrmGrigliaUnitaMisura"),
            window(archive, none, "btnRifornimenti", "Rifornimenti", "TfrmGrigliaRifornimenti"),
            window(archive, none, "btnCisterne", "Cisterne", "TfrmGrigliaCisterne"),
            window(archive, none, "btnArchivioContabilita", "Contabilità", "TfrmArchivioContabilita"),
            window(archive, none, "btnRegioni", "Regioni", "TfrmGrigliaRegioni"),
            window(archive, none, "btnArchivioAvvisi", "Avvisi", "TfrmGrigliaAvvisi"),

            window(activities, none, "btnAttivitaPrimaNota", "Prima Nota", "TForm5"),
            window(activities, none, "btnAttivitaOpzioni", "Opzioni", "TfrmOpzioni"),
            window(activities, none, "BitBtn3", "Calendario", "TfrmGrigliaCalendario"),
            window(activities, none, "btnAttivitaChiusuraIva", "Chiusura Iva", "ChiusuraIva"),
            companion("btnFatturaElettronica", "Fattura Elettronica Estesa", "Zelinvoice",
                      {QStringLiteral("3")}),
            companion("btnEsportazioni", "Esportazioni", "Zelexport", {}),
            window(activities, none, "btnAttivitaAvvisiClienti", "Avvisi Clienti", "TfrmAvvisiClienti_Campi"),

            window(customerDocuments, none, "btnCommesse", "Commesse", "TfrmGrigliaConti"),
            window(customerDocuments, none, "btnFattureClienti", "Fatture", "TfrmGrigliaFatture"),
            window(customerDocuments, none, "btnNoteCreditoClienti", "Note Credito",
                   "TfrmGrigliaNoteCredito"),
            window(customerDocuments, none, "btnPreventivi", "Preventivi", "TfrmGrigliaPreventivi"),
            window(customerDocuments, none, "btnDDTClienti", "D.D.T.", "TfrmGrigliaDDT"),
            window(customerDocuments, none, "btnDistinteCaricoClienti", "Distinte Carico",
                   "TfrmGrigliaDistinteCarico"),

            window(supplierDocuments, none, "btnFattureFornitori", "Fatture", "TfrmGrigliaCarico"),
            window(supplierDocuments, none, "btnNoteCreditoFornitori", "Note Credito",
                   "TfrmGrigliaNoteCreditoFornitori"),
            window(supplierDocuments, none, "btnImportaFatturaElettronica", "Importa fattura elettronica xml",
                   "ImportaFatturaElettronica"),

            window(prints, customers, "btnStampeFattureClienti", "Fatture", "report:btnStampeFattureClienti"),
            window(prints, customers, "btnStampeCommesse", "Commesse", "TfrmStampaCommesse"),
            window(prints, customers, "btnStampeNoteCreditoClienti", "Note Credito",
                   "report:btnStampeNoteCreditoClienti"),
            window(prints, customers, "btnStampePreventiviClienti", "Preventivi",
                   "report:btnStampePreventiviClienti"),
            window(prints, customers, "btnStampaResocontoPadroncino", "Resoconto Padroncini",
                   "report:btnStampaResocontoPadroncino"),
            window(prints, customers, "btnStampeUtiliPadroncino", "Utili Padroncini",
                   "report:btnStampeUtiliPadroncino"),
            window(prints, customers, "BitBtn2", "Peso e Volume", "report:BitBtn2"),
            window(prints, customers, "btnStampaDDT", "D.D.T.", "report:btnStampaDDT"),
            window(prints, customers, "btnStampeProvvigioniFatture", "Provvigioni Fatture",
                   "report:btnStampeProvvigioniFatture"),
            window(prints, customers, "btnStampeProvvigioniNoteCredito", "Provvigioni Note Credito",
                   "report:btnStampeProvvigioniNoteCredito"),
            window(prints, suppliers, "btnStampeFattureFornitori", "Fatture",
                   "report:btnStampeFattureFornitori"),
            window(prints, suppliers, "btnStampeNoteCreditoFornitori", "Note Credito",
                   "report:btnStampeNoteCreditoFornitori"),
            window(prints, other, "btnStampeTariffe", "Tariffe", "report:btnStampeTariffe"),
            window(prints, other, "btnStampeClienti", "Clienti", "report:btnStampeClienti"),
            window(prints, other, "btnStampeFornitori", "Fornitori", "report:btnStampeFornitori"),
            window(prints, other, "btnStampePersonale", "Personale", "TfrmStampaPersonale"),
            window(prints, other, "btnStampeScadenziario", "Scadenziario", "TfrmStampaScadenziario"),
            window(prints, other, "btnStampeIndirizzi", "Indirizzi", "report:btnStampeIndirizzi"),
            window(prints, other, "btnStampeVetture", "Vetture", "TfrmStampaVetture"),
            window(prints, other, "btnStampeContabilita", "Contabilità", "TfrmStampaContabilita"),
            window(prints, other, "btnStampeBancali", "Bancali", "report:btnStampeBancali"),
            window(prints, other, "btnStampePrimaNota", "Prima nota", "TfrmStampaPrimNota"),
            window(prints, other, "btnStampePadroncini", "Padroncini", "report:btnStampePadroncini"),
            window(prints, other, "btnStampeCisterne", "Cisterne", "report:btnStampeCisterne"),
            window(prints, other, "BitBtn4", "Calendario", "report:BitBtn4"),

            historyButton("Clienti", "btnStoricoNoteCreditoClienti", "Note Credito", "TfrmGrigliaNoteCredito",
                          "SELECT * FROM fattura %1 AND FattNota = true AND Carico = false ORDER BY Num"),
            historyButton("Clienti", "btnStoricoFattureClienti", "Fatture", "TfrmGrigliaFatture",
                          "SELECT * FROM fattura %1 AND FattNota = false AND Carico = false ORDER BY Num"),
            historyButton("Clienti", "btnStoricoCommesse", "Commesse", "TfrmGrigliaConti",
                          "SELECT * FROM TotaliCo %1 AND Annullato = false ORDER BY Numero"),
            historyButton("Clienti", "btnStoricoPreventivi", "Preventivi", "TfrmGrigliaPreventivi",
                          "SELECT * FROM PreventiTestata %1 ORDER BY Numero"),
            historyButton("Clienti", "btnStoricoDDT", "D.D.T.", "TfrmGrigliaDDT",
                          "SELECT * FROM Ddt %1 ORDER BY Numero"),
            historyButton("Clienti", "btnStoricoDistinteCarico", "Distinte Carico",
                          "TfrmGrigliaDistinteCarico",
                          "SELECT * FROM DistinteCaricoTestata %1 ORDER BY Numero"),
            historyButton(
                "Fornitori", "btnStoricoFattureFornitori", "Fatture", "TfrmGrigliaCarico",
                "SELECT * FROM fattura %1 AND Carico = true AND FattNota = false ORDER BY ProgressivoCarico, "
                "DataRegistrazione",
                "DataRegistrazione", false),
            historyButton("Fornitori", "btnStoricoNoteCreditoFornitori", "Note Credito",
                          "TfrmGrigliaNoteCreditoFornitori",
                          "SELECT * FROM fattura %1 AND FattNota = true AND Carico = true ORDER BY "
                          "ProgressivoCarico, Data",
                          "DataRegistrazione"),
            historyButton("Altro", "BitBtn1", "Prima Nota", "TForm5",
                          "%1 ORDER BY finanzia.Data DESC, finanzia.Operazione", "finanzia.Data"),
            historyButton("Altro", "btnStoricoCalendario", "Calendario", "TfrmGrigliaCalendario",
                          "SELECT * FROM Calendario %1 ORDER BY Data DESC"),

            dueDateButton("Scadenze", "btnScadenzeClienti", "Clienti",
                          " WHERE FatturaScadenze.DataPagamento IS NULL AND (FatturaScadenze.Tipo <> 'C' AND "
                          "FatturaScadenze.Tipo <> 'B')",
                          "Scadenziario Clienti", "Cliente"),
            dueDateButton("Scadenze", "btnScadenzeFornitori", "Fornitori",
                          " WHERE FatturaScadenze.DataPagamento IS NULL AND (FatturaScadenze.Tipo = 'C' OR "
                          "FatturaScadenze.Tipo = 'B')",
                          "Scadenziario Fornitori", "Fornitore"),
            dueDateButton(
                "Pagamenti", "btnPagamentiClienti", "Clienti",
                " WHERE FatturaScadenze.DataPagamento IS NOT NULL AND (FatturaScadenze.Tipo <> 'C' AND "
                "FatturaScadenze.Tipo <> 'B')",
                "Pagamenti Clienti", "Cliente"),
            dueDateButton(
                "Pagamenti", "btnPagamentiFornitori", "Fornitori",
                " WHERE FatturaScadenze.DataPagamento IS NOT NULL AND (FatturaScadenze.Tipo = 'C' OR "
                "FatturaScadenze.Tipo = 'B')",
                "Pagamenti Fornitori", "Fornitore"),

            window(utility, none, "btnUtilityDatiDitta", "Dati ditta", "TfrmDitta"),
            window(utility, none, "btnUtilityRealizzazione", "Realizzazione", "TfrmRealizzazione"),
            window(utility, none, "btnErroriFatturaElettronica", "Errori di scarto Fattura Elettronica",
                   "TfrmGrigliaErroriFatturazioneElettronica"),

            videoButton("Generale", "Introduzione", "Rotalina_Introduzione.mp4"),
            videoButton("Generale", "Griglie", "Griglie.mp4"),
            videoButton("Generale", "Archivio clienti", "Rotalina_Archivio_Clienti.mp4"),
            videoButton("Generale", "Archivio tariffe", "Rotalina_Archivio_Tariffe.mp4"),
            videoButton("Generale", "Scadenziario", "Scadenziario.mp4"),
            videoButton("Generale", "Stampe", "Stampe.mp4"),
            videoButton("Generale", "Storico", "Storico.mp4"),
            videoButton("Generale", "Utility", "Utility.mp4"),
            videoButton("Generale", "Utilizzo reports", "Stampe_Reports.mp4"),
            videoButton("Attività", "Avvisi clienti", "Attivita_Avvisi_clienti.mp4"),
            videoButton("Attività", "Calendario", "Attivita_Calendario.mp4"),
            videoButton("Attività", "Chiusura iva", "Attivita_Chiusura_Iva.mp4"),
            videoButton("Attività", "Esportazioni", "Attivita_Esportazioni.mp4"),
            videoButton("Attività", "Fatturazione elettronica estesa",
                        "Attivita_Fatturazione_Elettronica_Estesa.mp4"),
            videoButton("Attività", "Prima nota", "Attivita_PrimaNota.mp4"),
            videoButton("Attività", "Opzioni", "Rotalina_Opzioni.mp4"),
            videoButton("Documenti clienti", "Fatture", "Rotalina_Documenti_Clienti_Fatture.mp4"),
            videoButton("Documenti clienti", "Note credito", "Documenti_Clienti_Note_Credito.mp4"),
            videoButton("Documenti clienti", "Commesse", "Rotalina_Documenti_Clienti_Commesse.mp4"),
            videoButton("Documenti fornitori", "Fatture", "Documenti_Fornitori_Fatture.mp4"),
            videoButton("Documenti fornitori", "Importazione automatica xml",
                        "Documenti_Fornitori_Importa_fattura_elettronica_xml.mp4"),
            videoButton("Documenti fornitori", "Note credito", "Documenti_Fornitori_NoteCredito.mp4"),
        };
        for (MenuButton &button : b) {
            if (button.objectName == u"btnImportaFatturaElettronica")
                button.hint = QStringLiteral("importa documento da un file XML");
        }
        return b;
    }();
    return buttons;
}

} // namespace rotalina::shell
