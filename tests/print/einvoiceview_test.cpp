// "Visualizza" of electronic invoices: the readable document built from the XML, signed envelopes,
// files that are no invoice, the print program writing the PDF and the launcher of the main program.
// Every invoice here is made up in the test.

#include "core/einvoicefile.h"
#include "print/einvoiceview.h"
#include "print/textdocumentpages.h"
#include "print/ui/previewwindow.h"
#include "shell/reportservice.h"
#include "shell/scriptedprompter.h"
#include "support/shellfixture.h"
#include "support/testsigner.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace rotalina;

namespace {

const QString installed = QStringLiteral(ROTALINA_RUNTIME_DIR);
const QString samplesFolder = QStringLiteral("/work/shared/fatturapa/samples");

const QString header = QStringLiteral(R"xml(
  <FatturaElettronicaHeader>
    <DatiTrasmissione>
      <IdTrasmittente><IdPaese>IT</IdPaese><IdCodice>01234567897</IdCodice></IdTrasmittente>
      <ProgressivoInvio>00042</ProgressivoInvio>
      <FormatoTrasmissione>FPR12</FormatoTrasmissione>
      <CodiceDestinatario>ABC1234</CodiceDestinatario>
      <PECDestinatario>fatture@pec.esempio.it</PECDestinatario>
    </DatiTrasmissione>
    <CedentePrestatore>
      <DatiAnagrafici>
        <IdFiscaleIVA><IdPaese>IT</IdPaese><IdCodice>01234567897</IdCodice></IdFiscaleIVA>
        <CodiceFiscale>01234567897</CodiceFiscale>
        <Anagrafica><Denominazione>Trasporti Rossi &amp; Figli S.r.l.</Denominazione></Anagrafica>
        <RegimeFiscale>RF01</RegimeFiscale>
      </DatiAnagrafici>
      <Sede>
        <Indirizzo>Via Emilia</Indirizzo><NumeroCivico>12</NumeroCivico>
        <CAP>40100</CAP><Comune>Bologna</Comune><Provincia>BO</Provincia><Nazione>IT</Nazione>
      </Sede>
    </CedentePrestatore>
    <CessionarioCommittente>
      <DatiAnagrafici>
        <CodiceFiscale>BNCMRA80A01F205X</CodiceFiscale>
        <Anagrafica><Nome>Mario</Nome><Cognome>Bianchi</Cognome></Anagrafica>
      </DatiAnagrafici>
      <Sede>
        <Indirizzo>Corso Magenta 3</Indirizzo>
        <CAP>20123</CAP><Comune>Milano</Comune><Provincia>MI</Provincia><Nazione>IT</Nazione>
      </Sede>
    </CessionarioCommittente>
  </FatturaElettronicaHeader>)xml");

// An invoice of two lines (one with a discount), VAT at 22% and outside VAT (N2.2), two
// instalments to an IBAN and an attachment.
QString invoiceBody(const QString &number)
{
    return QStringLiteral(R"xml(
  <FatturaElettronicaBody>
    <DatiGenerali>
      <DatiGeneraliDocumento>
        <TipoDocumento>TD01</TipoDocumento>
        <Divisa>EUR</Divisa>
        <Data>2026-03-15</Data>
        <Numero>%1</Numero>
        <DatiBollo><BolloVirtuale>SI</BolloVirtuale><ImportoBollo>2.00</ImportoBollo></DatiBollo>
        <ImportoTotaleDocumento>2432.56</ImportoTotaleDocumento>
        <Causale>Trasporto merci &lt;urgente&gt; &amp; fragile</Causale>
      </DatiGeneraliDocumento>
      <DatiOrdineAcquisto><IdDocumento>ORD-77</IdDocumento><Data>2026-03-01</Data></DatiOrdineAcquisto>
      <DatiDDT><NumeroDDT>DDT 15</NumeroDDT><DataDDT>2026-03-10</DataDDT></DatiDDT>
      <DatiTrasporto>
        <DatiAnagraficiVettore>
          <IdFiscaleIVA><IdPaese>IT</IdPaese><IdCodice>09876543210</IdCodice></IdFiscaleIVA>
          <Anagrafica><Denominazione>Vettore Veloce S.n.c.</Denominazione></Anagrafica>
        </DatiAnagraficiVettore>
        <NumeroColli>14</NumeroColli>
        <DataOraConsegna>2026-03-12T16:45:00.000+01:00</DataOraConsegna>
      </DatiTrasporto>
    </DatiGenerali>
    <DatiBeniServizi>
      <DettaglioLinee>
        <NumeroLinea>1</NumeroLinea>
        <CodiceArticolo><CodiceTipo>INT</CodiceTipo><CodiceValore>TR-01</CodiceValore></CodiceArticolo>
        <Descrizione>Trasporto Bologna-Milano &lt;bancali&gt; &amp; "colli"</Descrizione>
        <Quantita>2.00</Quantita>
        <UnitaMisura>viaggi</UnitaMisura>
        <PrezzoUnitario>1000.00</PrezzoUnitario>
        <ScontoMaggiorazione><Tipo>SC</Tipo><Percentuale>10.00</Percentuale></ScontoMaggiorazione>
        <PrezzoTotale>1800.00</PrezzoTotale>
        <AliquotaIVA>22.00</AliquotaIVA>
      </DettaglioLinee>
      <DettaglioLinee>
        <NumeroLinea>2</NumeroLinea>
        <Descrizione>Rimborso pedaggi autostradali</Descrizione>
        <Quantita>1.00</Quantita>
        <PrezzoUnitario>234.56</PrezzoUnitario>
        <PrezzoTotale>234.56</PrezzoTotale>
        <AliquotaIVA>0.00</AliquotaIVA>
        <Natura>N2.2</Natura>
      </DettaglioLinee>
      <DatiRiepilogo>
        <AliquotaIVA>22.00</AliquotaIVA>
        <ImponibileImporto>1800.00</ImponibileImporto>
        <Imposta>396.00</Imposta>
        <EsigibilitaIVA>I</EsigibilitaIVA>
      </DatiRiepilogo>
      <DatiRiepilogo>
        <AliquotaIVA>0.00</AliquotaIVA>
        <Natura>N2.2</Natura>
        <ImponibileImporto>234.56</ImponibileImporto>
        <Imposta>0.00</Imposta>
        <RiferimentoNormativo>Escluso art. 15 DPR 633/72</RiferimentoNormativo>
      </DatiRiepilogo>
    </DatiBeniServizi>
    <DatiPagamento>
      <CondizioniPagamento>TP01</CondizioniPagamento>
      <DettaglioPagamento>
        <ModalitaPagamento>MP05</ModalitaPagamento>
        <DataScadenzaPagamento>2026-04-30</DataScadenzaPagamento>
        <ImportoPagamento>1216.28</ImportoPagamento>
        <IstitutoFinanziario>Banca Esempio</IstitutoFinanziario>
        <IBAN>IT60X0542811101000000123456</IBAN>
      </DettaglioPagamento>
      <DettaglioPagamento>
        <ModalitaPagamento>MP05</ModalitaPagamento>
        <DataScadenzaPagamento>2026-05-31</DataScadenzaPagamento>
        <ImportoPagamento>1216.28</ImportoPagamento>
        <IstitutoFinanziario>Banca Esempio</IstitutoFinanziario>
        <IBAN>IT60X0542811101000000123456</IBAN>
      </DettaglioPagamento>
    </DatiPagamento>
    <Allegati>
      <NomeAttachment>ddt-15.pdf</NomeAttachment>
      <FormatoAttachment>PDF</FormatoAttachment>
      <DescrizioneAttachment>Copia del DDT</DescrizioneAttachment>
      <Attachment>JVBERi0xLjQKc2VncmV0bw==</Attachment>
    </Allegati>
  </FatturaElettronicaBody>)xml")
        .arg(number);
}

const QString creditNoteBody = QStringLiteral(R"xml(
  <FatturaElettronicaBody>
    <DatiGenerali>
      <DatiGeneraliDocumento>
        <TipoDocumento>TD04</TipoDocumento>
        <Divisa>EUR</Divisa>
        <Data>2026-03-20</Data>
        <Numero>NC/3</Numero>
        <ImportoTotaleDocumento>610.00</ImportoTotaleDocumento>
        <Causale>Storno parziale per merce resa</Causale>
      </DatiGeneraliDocumento>
      <DatiFattureCollegate><IdDocumento>2026/118</IdDocumento><Data>2026-03-15</Data></DatiFattureCollegate>
    </DatiGenerali>
    <DatiBeniServizi>
      <DettaglioLinee>
        <NumeroLinea>1</NumeroLinea>
        <Descrizione>Storno trasporto</Descrizione>
        <PrezzoUnitario>500.00</PrezzoUnitario>
        <PrezzoTotale>500.00</PrezzoTotale>
        <AliquotaIVA>22.00</AliquotaIVA>
      </DettaglioLinee>
      <DatiRiepilogo>
        <AliquotaIVA>22.00</AliquotaIVA>
        <ImponibileImporto>500.00</ImponibileImporto>
        <Imposta>110.00</Imposta>
      </DatiRiepilogo>
    </DatiBeniServizi>
  </FatturaElettronicaBody>)xml");

// A deferred invoice with a withholding tax, a pension fund, a surcharge and long decimals.
const QString deferredBody = QStringLiteral(R"xml(
  <FatturaElettronicaBody>
    <DatiGenerali>
      <DatiGeneraliDocumento>
        <TipoDocumento>TD24</TipoDocumento>
        <Divisa>EUR</Divisa>
        <Data>2026-02-28</Data>
        <Numero>D-9</Numero>
        <DatiRitenuta>
          <TipoRitenuta>RT02</TipoRitenuta><ImportoRitenuta>246.91</ImportoRitenuta>
          <AliquotaRitenuta>20.00</AliquotaRitenuta><CausalePagamento>A</CausalePagamento>
        </DatiRitenuta>
        <DatiCassaPrevidenziale>
          <TipoCassa>TC07</TipoCassa><AlCassa>8.25</AlCassa><ImportoContributoCassa>101.85</ImportoContributoCassa>
          <AliquotaIVA>22.00</AliquotaIVA>
        </DatiCassaPrevidenziale>
      </DatiGeneraliDocumento>
    </DatiGenerali>
    <DatiBeniServizi>
      <DettaglioLinee>
        <NumeroLinea>1</NumeroLinea>
        <Descrizione>Noli del mese</Descrizione>
        <Quantita>100.000</Quantita>
        <UnitaMisura>t</UnitaMisura>
        <PrezzoUnitario>12.34567</PrezzoUnitario>
        <ScontoMaggiorazione><Tipo>MG</Tipo><Importo>5.00</Importo></ScontoMaggiorazione>
        <PrezzoTotale>1239.57</PrezzoTotale>
        <AliquotaIVA>22.00</AliquotaIVA>
      </DettaglioLinee>
      <DatiRiepilogo>
        <AliquotaIVA>22.00</AliquotaIVA>
        <ImponibileImporto>1239.57</ImponibileImporto>
        <Imposta>272.71</Imposta>
      </DatiRiepilogo>
    </DatiBeniServizi>
  </FatturaElettronicaBody>)xml");

QByteArray invoiceFile(const QString &bodies, const QString &prefix = QStringLiteral("p"),
                       bool declaration = true)
{
    const QString root = prefix.isEmpty() ? QStringLiteral("FatturaElettronica")
                                          : prefix + QStringLiteral(":FatturaElettronica");
    const QString xmlns = prefix.isEmpty() ? QStringLiteral("xmlns") : QStringLiteral("xmlns:") + prefix;
    return ((declaration ? QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") : QString()) +
            u'<' + root + u' ' + xmlns +
            QStringLiteral(
                "=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\" versione=\"FPR12\">") +
            header + bodies + QStringLiteral("\n</") + root + QStringLiteral(">\n"))
        .toUtf8();
}

// What a reader sees of the HTML: the text without the markup.
QString plainText(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

QString viewText(const QByteArray &xml)
{
    const core::Result<QString> html = print::electronicInvoiceHtml(xml);
    EXPECT_TRUE(html) << html.error().toStdString();
    return html ? plainText(*html) : QString();
}

int pdfPages(const print::TextDocumentPages &pages)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    print::preparePage(pages, writer);
    return print::renderPages(pages, writer);
}

struct ProgramEnd
{
    int exitCode = -1;
    QString errors;
};

class ElectronicInvoiceView : public ::testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &content) const
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    ProgramEnd run(const QString &program, const QStringList &arguments) const
    {
        QProcess process;
        process.setWorkingDirectory(folder.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("ROTALINA_HOME"), folder.path());
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        if (!process.waitForFinished(120000))
            ADD_FAILURE() << program.toStdString() << " did not end";
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardError())};
    }

    // Signs the file with a throw-away certificate: the DER envelope's path, or empty when the
    // openssl program is missing.
    QString sign(const QString &xmlPath)
    {
        test::TestSigner signer(folder.path());
        if (!signer.available())
            return {};
        return write(QFileInfo(xmlPath).fileName() + QStringLiteral(".p7m"),
                     signer.sign(read(xmlPath), test::TestSigner::Form::Der));
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(ElectronicInvoiceView, InvoiceShowsPartiesLinesVatPaymentsAndAttachments)
{
    const QString text = viewText(invoiceFile(invoiceBody(QStringLiteral("2026/118"))));
    const QStringList expected = {
        // Heading, parties and transmission.
        QStringLiteral("Fattura n. 2026/118 del 15/03/2026"),
        QStringLiteral("Trasporti Rossi & Figli S.r.l."),
        QStringLiteral("Partita IVA: IT01234567897"),
        QStringLiteral("Codice fiscale: 01234567897"),
        QStringLiteral("Via Emilia, 12"),
        QStringLiteral("40100 Bologna (BO)"),
        QStringLiteral("Regime fiscale: RF01 Regime ordinario"),
        QStringLiteral("Mario Bianchi"),
        QStringLiteral("Codice fiscale: BNCMRA80A01F205X"),
        QStringLiteral("20123 Milano (MI)"),
        QStringLiteral("00042"),
        QStringLiteral("FPR12"),
        QStringLiteral("ABC1234"),
        QStringLiteral("fatture@pec.esempio.it"),
        // The document and what it refers to.
        QStringLiteral("TD01 Fattura"),
        QStringLiteral("EUR"),
        QStringLiteral("Trasporto merci <urgente> & fragile"),
        QStringLiteral("Ordine d'acquisto"),
        QStringLiteral("ORD-77"),
        QStringLiteral("01/03/2026"),
        QStringLiteral("DDT 15"),
        QStringLiteral("10/03/2026"),
        QStringLiteral("Vettore Veloce S.n.c., P. IVA IT09876543210"),
        QStringLiteral("12/03/2026 16:45"),
        // The lines.
        QStringLiteral("INT TR-01"),
        QStringLiteral("Trasporto Bologna-Milano <bancali> & \"colli\""),
        QStringLiteral("viaggi"),
        QStringLiteral("1.000,00"),
        QStringLiteral("Sconto 10%"),
        QStringLiteral("1.800,00"),
        QStringLiteral("234,56"),
        QStringLiteral("22%"),
        QStringLiteral("N2.2"),
        // VAT summary, stamp duty, total.
        QStringLiteral("Non soggette - altri casi"),
        QStringLiteral("396,00"),
        QStringLiteral("immediata"),
        QStringLiteral("Escluso art. 15 DPR 633/72"),
        QStringLiteral("Bollo virtuale"),
        QStringLiteral("2,00"),
        QStringLiteral("Totale documento"),
        QStringLiteral("2.432,56 EUR"),
        // Payments.
        QStringLiteral("TP01 pagamento a rate"),
        QStringLiteral("MP05"),
        QStringLiteral("Bonifico"),
        QStringLiteral("30/04/2026"),
        QStringLiteral("31/05/2026"),
        QStringLiteral("1.216,28"),
        QStringLiteral("IT60X0542811101000000123456"),
        QStringLiteral("Banca Esempio"),
        // The attachment by name, never its content.
        QStringLiteral("ddt-15.pdf"),
        QStringLiteral("Copia del DDT"),
    };
    for (const QString &value : expected)
        EXPECT_TRUE(text.contains(value)) << value.toStdString() << "\nmissing from:\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("JVBERi0xLjQKc2VncmV0bw")))
        << "the attachment's content is not shown";
    EXPECT_EQ(text.count(QStringLiteral("1.216,28")), 2);
    EXPECT_FALSE(text.contains(QStringLiteral("1234.56"))) << "no amount in the file's own notation";
}

TEST_F(ElectronicInvoiceView, EveryTextOfTheFileIsEscaped)
{
    const core::Result<QString> html =
        print::electronicInvoiceHtml(invoiceFile(invoiceBody(QStringLiteral("1"))));
    ASSERT_TRUE(html) << html.error().toStdString();
    EXPECT_TRUE(
        html->contains(QStringLiteral("Trasporto Bologna-Milano &lt;bancali&gt; &amp; &quot;colli&quot;")));
    EXPECT_TRUE(html->contains(QStringLiteral("Trasporti Rossi &amp; Figli")));
    EXPECT_TRUE(html->contains(QStringLiteral("Trasporto merci &lt;urgente&gt; &amp; fragile")));
    EXPECT_FALSE(html->contains(QStringLiteral("<bancali>")));
    EXPECT_FALSE(html->contains(QStringLiteral("<urgente>")));

    // Markup in a name cannot reach the page.
    QString hostile = invoiceBody(QStringLiteral("X"));
    hostile.replace(
        QStringLiteral("Rimborso pedaggi autostradali"),
        QStringLiteral("&lt;img src=&quot;file:///etc/passwd&quot;&gt;&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;"));
    const core::Result<QString> escapedHtml = print::electronicInvoiceHtml(invoiceFile(hostile));
    ASSERT_TRUE(escapedHtml);
    EXPECT_FALSE(escapedHtml->contains(QStringLiteral("<img")));
    EXPECT_TRUE(plainText(*escapedHtml).contains(QStringLiteral("<img src=\"file:///etc/passwd\">")));
}

TEST_F(ElectronicInvoiceView, CreditNoteShowsTheInvoiceItCorrects)
{
    const QString text = viewText(invoiceFile(creditNoteBody));
    for (const QString &value :
         {QStringLiteral("Nota di credito n. NC/3 del 20/03/2026"), QStringLiteral("TD04 Nota di credito"),
          QStringLiteral("Fattura collegata"), QStringLiteral("2026/118"), QStringLiteral("15/03/2026"),
          QStringLiteral("Storno parziale per merce resa"), QStringLiteral("500,00"),
          QStringLiteral("110,00"), QStringLiteral("610,00 EUR")})
        EXPECT_TRUE(text.contains(value)) << value.toStdString() << "\nmissing from:\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Fattura n."))) << "a credit note is not called an invoice";
}

TEST_F(ElectronicInvoiceView, OtherPrefixesNoDeclarationAndOtherKinds)
{
    const QString text = viewText(invoiceFile(deferredBody, QStringLiteral("ns1"), false));
    for (const QString &value : {
             QStringLiteral("Documento TD24 n. D-9 del 28/02/2026"), // a kind without a short name: its code
             QStringLiteral("Trasporti Rossi & Figli S.r.l."),
             QStringLiteral("100,00"),   // quantity 100.000
             QStringLiteral("12,34567"), // unit price keeps its decimals
             QStringLiteral("Maggiorazione 5,00"),
             QStringLiteral("1.239,57"),
             QStringLiteral("RT02"),
             QStringLiteral("Ritenuta d'acconto persone giuridiche"),
             QStringLiteral("246,91"),
             QStringLiteral("20%"),
             QStringLiteral("TC07"),
             QStringLiteral("8,25%"),
             QStringLiteral("101,85"),
         })
        EXPECT_TRUE(text.contains(value)) << value.toStdString() << "\nmissing from:\n" << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("1.512,28"))) << "taxable plus VAT when the file has no total";

    // Without any prefix, with the default namespace.
    EXPECT_TRUE(viewText(invoiceFile(creditNoteBody, QString())).contains(QStringLiteral("NC/3")));
}

TEST_F(ElectronicInvoiceView, EveryBodyIsADocumentOnItsOwnPages)
{
    const QString path =
        write(QStringLiteral("IT01234567897_00042.xml"),
              invoiceFile(invoiceBody(QStringLiteral("A-1")) + invoiceBody(QStringLiteral("A-2"))));
    const core::Result<print::TextDocumentPages> pages = print::electronicInvoicePages(path);
    ASSERT_TRUE(pages) << pages.error().toStdString();
    const QString text = plainText(pages->html);
    EXPECT_TRUE(text.contains(QStringLiteral("Fattura n. A-1 del 15/03/2026")));
    EXPECT_TRUE(text.contains(QStringLiteral("Fattura n. A-2 del 15/03/2026")));
    EXPECT_EQ(text.count(QStringLiteral("Mario Bianchi")), 2) << "each document shows its parties";
    EXPECT_EQ(pages->html.count(QStringLiteral("page-break-before")), 1);
    EXPECT_LT(text.indexOf(QStringLiteral("A-1")), text.indexOf(QStringLiteral("A-2")));
    EXPECT_EQ(pages->title, QStringLiteral("Fattura elettronica IT01234567897_00042"));
    EXPECT_EQ(pages->footnote, QStringLiteral("IT01234567897_00042.xml"));

    // Two short documents: one page each, the second starting on a page of its own.
    const core::Result<print::TextDocumentPages> one =
        print::electronicInvoicePages(write(QStringLiteral("una.xml"), invoiceFile(creditNoteBody)));
    const core::Result<print::TextDocumentPages> two = print::electronicInvoicePages(
        write(QStringLiteral("due.xml"), invoiceFile(creditNoteBody + creditNoteBody)));
    ASSERT_TRUE(one);
    ASSERT_TRUE(two);
    EXPECT_EQ(pdfPages(*one), 1);
    EXPECT_EQ(pdfPages(*two), 2);
}

TEST_F(ElectronicInvoiceView, WhatIsNoInvoiceIsRefusedWithAReason)
{
    const auto refused = [&](const QString &name, const QByteArray &content, const QString &reason) {
        const core::Result<print::TextDocumentPages> pages =
            print::electronicInvoicePages(write(name, content));
        ASSERT_FALSE(pages) << name.toStdString();
        EXPECT_TRUE(pages.error().contains(reason))
            << name.toStdString() << ": " << pages.error().toStdString();
    };
    refused(QStringLiteral("ordine.xml"), "<?xml version=\"1.0\"?><ordine><numero>1</numero></ordine>",
            QStringLiteral("non è una fattura elettronica"));
    refused(QStringLiteral("vuota.xml"),
            "<p:FatturaElettronica xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fatture/v1.2\">"
            "<FatturaElettronicaHeader/></p:FatturaElettronica>",
            QStringLiteral("FatturaElettronicaBody"));
    QByteArray cut = invoiceFile(invoiceBody(QStringLiteral("1")));
    cut.truncate(cut.size() / 2);
    refused(QStringLiteral("troncata.xml"), cut, QStringLiteral("XML"));
    refused(QStringLiteral("zero.xml"), QByteArray(), QStringLiteral("è vuoto"));

    QByteArray noise(4096, Qt::Uninitialized);
    QRandomGenerator generator(20260315);
    for (char &byte : noise)
        byte = static_cast<char>(generator.bounded(256));
    noise[0] = 'Z'; // neither XML nor an envelope
    refused(QStringLiteral("rumore.xml.p7m"), noise, QStringLiteral("non è una fattura elettronica"));
    noise[0] = '\x30'; // looks like the start of an envelope
    refused(QStringLiteral("rumore2.xml.p7m"), noise, QStringLiteral("non è una fattura elettronica"));
    refused(QStringLiteral("testo.xml.p7m"), "QUJDREVGRw==\n",
            QStringLiteral("non è una fattura elettronica"));

    QByteArray deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    refused(QStringLiteral("profonda.xml"), deep, QStringLiteral("livelli"));

    const core::Result<print::TextDocumentPages> missing =
        print::electronicInvoicePages(folder.filePath(QStringLiteral("assente.xml")));
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.error().contains(QStringLiteral("non esiste")));
}

TEST_F(ElectronicInvoiceView, SignedFileShowsTheSameDocumentAsItsContent)
{
    const QByteArray xml = invoiceFile(invoiceBody(QStringLiteral("2026/118")));
    const QString xmlPath = write(QStringLiteral("IT01234567897_00042.xml"), xml);
    const QString signedPath = sign(xmlPath);
    if (signedPath.isEmpty())
        GTEST_SKIP() << "the openssl program is not installed: no signed file can be made";
    const QByteArray der = read(signedPath);
    ASSERT_FALSE(der.isEmpty());

    const core::Result<QString> plain = print::electronicInvoiceHtml(xml);
    ASSERT_TRUE(plain);
    const QByteArray base64 = der.toBase64();
    QByteArray wrapped;
    for (qsizetype i = 0; i < base64.size(); i += 64)
        wrapped += base64.mid(i, 64) + '\n';
    QByteArray crlf = wrapped;
    crlf.replace("\n", "\r\n");
    const QList<QPair<QString, QByteArray>> envelopes = {
        {QStringLiteral("der.xml.p7m"), der},
        {QStringLiteral("base64.xml.p7m"), base64},
        {QStringLiteral("righe.xml.p7m"), wrapped},
        {QStringLiteral("crlf.xml.p7m"), crlf},
    };
    for (const auto &[name, content] : envelopes) {
        const QString path = write(name, content);
        const core::Result<core::ElectronicInvoiceFile> file = core::readElectronicInvoiceFile(path);
        ASSERT_TRUE(file) << name.toStdString() << ": " << file.error().toStdString();
        EXPECT_EQ(file->xml, xml) << name.toStdString();
        EXPECT_TRUE(file->signedEnvelope);
        EXPECT_TRUE(file->signatureIntact) << name.toStdString();
        const core::Result<print::TextDocumentPages> pages = print::electronicInvoicePages(path);
        ASSERT_TRUE(pages) << pages.error().toStdString();
        EXPECT_EQ(pages->html, *plain) << name.toStdString();
        EXPECT_TRUE(pages->footnote.contains(QStringLiteral("firmato digitalmente")))
            << pages->footnote.toStdString();
    }

    // A content changed after signing is still shown, with a warning.
    QByteArray altered = der;
    const qsizetype at = altered.indexOf("Bianchi");
    ASSERT_GE(at, 0);
    altered.replace(at, 7, "Bianco_");
    const QString alteredPath = write(QStringLiteral("alterata.xml.p7m"), altered);
    const core::Result<core::ElectronicInvoiceFile> file = core::readElectronicInvoiceFile(alteredPath);
    ASSERT_TRUE(file) << file.error().toStdString();
    EXPECT_FALSE(file->signatureIntact);
    const core::Result<print::TextDocumentPages> pages = print::electronicInvoicePages(alteredPath);
    ASSERT_TRUE(pages);
    EXPECT_TRUE(plainText(pages->html).contains(QStringLiteral("Mario Bianco_")));
    EXPECT_TRUE(pages->footnote.contains(QStringLiteral("ATTENZIONE"))) << pages->footnote.toStdString();
}

TEST_F(ElectronicInvoiceView, PrintProgramWritesThePdf)
{
    const QString xml = write(QStringLiteral("IT01234567897_00042.xml"),
                              invoiceFile(invoiceBody(QStringLiteral("2026/118"))));
    const QString pdf = folder.filePath(QStringLiteral("fattura.pdf"));
    const QString program = shell::printProgramPath(installed);
    const ProgramEnd written =
        run(program, {QStringLiteral("--fattura-elettronica"), xml, QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(written.exitCode, 0) << written.errors.toStdString();
    const QByteArray content = read(pdf);
    ASSERT_TRUE(content.startsWith("%PDF-"));
    EXPECT_TRUE(content.trimmed().endsWith("%%EOF"));

    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (!pdftotext.isEmpty()) {
        const QString textPath = folder.filePath(QStringLiteral("fattura.txt"));
        const ProgramEnd extracted =
            run(pdftotext, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, textPath});
        ASSERT_EQ(extracted.exitCode, 0) << extracted.errors.toStdString();
        const QString text = QString::fromUtf8(read(textPath));
        EXPECT_TRUE(text.contains(QStringLiteral("2026/118"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("2.432,56"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Pagina 1 di "))) << text.toStdString();
    }

    // A file that is no invoice: a reason on the standard error, no PDF.
    const QString other = write(QStringLiteral("ordine.xml"), "<ordine/>");
    const QString nothing = folder.filePath(QStringLiteral("niente.pdf"));
    const ProgramEnd refused =
        run(program, {QStringLiteral("--fattura-elettronica"), other, QStringLiteral("--pdf"), nothing});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errors.contains(QStringLiteral("non è una fattura elettronica")))
        << refused.errors.toStdString();
    EXPECT_FALSE(QFile::exists(nothing));

    // A PDF without a file to show is a usage error.
    EXPECT_EQ(run(program, {QStringLiteral("--pdf"), nothing}).exitCode, 2);
    EXPECT_EQ(run(program, {QStringLiteral("--nessuna-opzione")}).exitCode, 2);

    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed: the PDF's text was not read";
}

TEST_F(ElectronicInvoiceView, PreviewShowsTheDocumentAndExportsIt)
{
    const QString path =
        write(QStringLiteral("IT01234567897_00042.xml"),
              invoiceFile(invoiceBody(QStringLiteral("A-1")) + invoiceBody(QStringLiteral("A-2"))));
    core::Result<print::TextDocumentPages> pages = print::electronicInvoicePages(path);
    ASSERT_TRUE(pages);
    const int expectedPages = pdfPages(*pages);
    shell::ScriptedPrompter prompter;
    print::ui::PreviewWindow window(std::move(pages).value(), prompter);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(),
              QStringLiteral("Anteprima di stampa - Fattura elettronica IT01234567897_00042"));
    EXPECT_EQ(window.pageCount(), expectedPages);
    EXPECT_EQ(window.findChild<QLineEdit *>(QStringLiteral("txtFiltro")), nullptr)
        << "a document has no rows to narrow";

    window.setLandscape(true);
    EXPECT_TRUE(window.document().landscape);
    EXPECT_GE(window.pageCount(), 2);

    for (const QString &name : {QStringLiteral("fattura.pdf"), QStringLiteral("fattura.odt"),
                                QStringLiteral("fattura.html"), QStringLiteral("fattura.txt")}) {
        const QString target = folder.filePath(name);
        prompter.answerDialogs({target});
        window.findChild<QAction *>(QStringLiteral("actEsporta"))->trigger();
        EXPECT_TRUE(QFile::exists(target)) << name.toStdString();
    }
    const auto messages = [&] {
        return std::count_if(prompter.shown().begin(), prompter.shown().end(), [](const auto &shown) {
            return shown.kind == shell::ScriptedPrompter::Kind::Message;
        });
    };
    EXPECT_EQ(messages(), 0) << prompter.lastText().toStdString();
    EXPECT_TRUE(QString::fromUtf8(read(folder.filePath(QStringLiteral("fattura.txt"))))
                    .contains(QStringLiteral("2.432,56")));

    // CSV holds the rows of a list: refused with a reason.
    prompter.answerDialogs({folder.filePath(QStringLiteral("fattura.csv"))});
    window.findChild<QAction *>(QStringLiteral("actEsporta"))->trigger();
    EXPECT_EQ(messages(), 1);
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("CSV"))) << prompter.lastText().toStdString();
}

TEST_F(ElectronicInvoiceView, MainProgramStartsThePrintProgramOnTheFile)
{
    test::ShellFixture shell;
    shell.session->setInstallFolder(installed);
    const QString path = write(QStringLiteral("fattura.xml"), invoiceFile(invoiceBody(QStringLiteral("1"))));
    shell::ReportService service(*shell.session);

    ASSERT_TRUE(service.showElectronicInvoice(path));
    ASSERT_EQ(shell.desktop.started.size(), 1);
    EXPECT_EQ(shell.desktop.started.first(),
              shell::printProgramPath(installed) + QStringLiteral(" --fattura-elettronica ") +
                  QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    EXPECT_TRUE(shell.prompter.shown().isEmpty());

    const core::Status missing =
        service.showElectronicInvoice(folder.filePath(QStringLiteral("assente.xml")));
    EXPECT_FALSE(missing);
    EXPECT_EQ(shell.desktop.started.size(), 1) << "nothing started for a file that is not there";
    EXPECT_TRUE(shell.prompter.lastText().contains(QStringLiteral("non esiste")))
        << shell.prompter.lastText().toStdString();
}

TEST_F(ElectronicInvoiceView, SuppliersSampleFilesAllRender)
{
    const QDir samples(samplesFolder);
    if (!samples.exists())
        GTEST_SKIP() << "the sample invoices are not on this machine (" << samplesFolder.toStdString() << ")";
    const QStringList files =
        samples.entryList({QStringLiteral("*.xml"), QStringLiteral("*.p7m")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        const core::Result<print::TextDocumentPages> pages =
            print::electronicInvoicePages(samples.filePath(name));
        ASSERT_TRUE(pages) << name.toStdString() << ": " << pages.error().toStdString();
        const QString text = plainText(pages->html);
        EXPECT_TRUE(text.contains(QStringLiteral("Fornitore"))) << name.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Totale"))) << name.toStdString();
        EXPECT_GE(pdfPages(*pages), 1) << name.toStdString();
        if (name.endsWith(QStringLiteral(".p7m"))) {
            EXPECT_TRUE(pages->footnote.contains(QStringLiteral("firmato digitalmente")))
                << name.toStdString();
        }
    }
}
