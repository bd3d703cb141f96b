#include "core/money.h"
#include "purchases/vatsettlement.h"
#include "storage/archive.h"
#include "storage/sqlvalue.h"
#include "support/testarchive.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

using namespace rotalina;
using namespace rotalina::purchases;

namespace {

// The VAT codes every new archive starts with.
constexpr qint64 vat22 = 1;
constexpr qint64 vat10 = 2;
constexpr qint64 vat4 = 4;
constexpr qint64 outsideN21 = 6;
constexpr qint64 outsideN22 = 7;
constexpr qint64 exportN31 = 8;

enum class Doc { Purchase, SupplierNote, Sale, CustomerNote };

class VatSettlement : public ::testing::Test
{
protected:
    storage::Archive &archive() { return *m_archive; }

    qint64 document(Doc kind, const QDate &date, const QDate &registered = {}, const QVariantMap &more = {})
    {
        const bool purchase = kind == Doc::Purchase || kind == Doc::SupplierNote;
        QVariantMap values{
            {QStringLiteral("Carico"), purchase},
            {QStringLiteral("FattNota"), kind == Doc::SupplierNote || kind == Doc::CustomerNote},
            {QStringLiteral("Storico"), false},
            {QStringLiteral("Data"), date},
            {QStringLiteral("Num"), ++m_number},
            {QStringLiteral("NumeroCarico"), QString::number(m_number)},
            {QStringLiteral("DataRegistrazione"), registered.isValid() ? registered : date}};
        values.insert(more);
        return test::addRow(archive(), QStringLiteral("fattura"), values);
    }

    void row(Doc kind, qint64 document, double taxable, const QVariant &code, double rate)
    {
        static const std::map<Doc, std::pair<const char *, const char *>> tables{
            {Doc::Purchase, {"Movimenti", "Fattura_ID"}},
            {Doc::SupplierNote, {"NotaCreditoCaricoRighe", "NotaCredito_ID"}},
            {Doc::Sale, {"fattdett", "NumFatt"}},
            {Doc::CustomerNote, {"NotaCreditoRighe", "NotaCredito_ID"}}};
        const auto &[table, link] = tables.at(kind);
        test::addRow(archive(), QLatin1String(table),
                     {{QLatin1String(link), document},
                      {QStringLiteral("TotaleImponibile"), taxable},
                      {kind == Doc::Sale ? QStringLiteral("Iva_ID") : QStringLiteral("Iva_Id"), code},
                      {QStringLiteral("AliquotaIva"), rate}});
    }

    // A document with one row.
    qint64 single(Doc kind, const QDate &date, double taxable, const QVariant &code, double rate,
                  const QVariantMap &more = {})
    {
        const qint64 key = document(kind, date, {}, more);
        row(kind, key, taxable, code, rate);
        return key;
    }

    void takings(const QDate &date, double gross, const QVariant &code, double rate)
    {
        test::addRow(archive(), QStringLiteral("finanzia"),
                     {{QStringLiteral("Data"), date},
                      {QStringLiteral("Operazione"), QStringLiteral("Incasso giornaliero")},
                      {QStringLiteral("Entrata"), gross},
                      {QStringLiteral("Uscita"), 0.0},
                      {QStringLiteral("Iva_Id"), code},
                      {QStringLiteral("AliquotaIva"), rate},
                      {QStringLiteral("Corrispettivi"), true},
                      {QStringLiteral("Storico"), false}});
    }

    void setOption(const char *field, const QVariant &value)
    {
        ASSERT_TRUE(archive().execute(QStringLiteral("UPDATE opzioni SET %1 = ?").arg(QLatin1String(field)),
                                      {value}));
    }

    SettlementFigures settle(SettlementKind kind, int year, int number)
    {
        const core::Result<qint64> key = settlementOf(archive(), {kind, year, number});
        EXPECT_TRUE(key) << key.error().toStdString();
        if (!key)
            return {};
        const core::Result<SettlementFigures> figures =
            calculateSettlement(archive(), kind, *key, year, number);
        EXPECT_TRUE(figures) << figures.error().toStdString();
        return figures ? *figures : SettlementFigures{};
    }

    static const SettlementLine *line(const QList<SettlementLine> &lines, const QVariant &code,
                                      bool purchases, bool takings = false)
    {
        for (const SettlementLine &l : lines)
            if (l.vatCode == code && l.purchases == purchases && l.takings == takings)
                return &l;
        return nullptr;
    }

    std::unique_ptr<storage::Archive> m_archive = test::newArchive();
    int m_number = 0;
};

TEST(SettlementPeriods, AreReadAsTheAccountantWritesThemAndFollowEachOther)
{
    const auto q4 = SettlementPeriod::parse(2024, QStringLiteral("t4"));
    ASSERT_TRUE(q4);
    EXPECT_EQ(q4->kind, SettlementKind::Quarterly);
    EXPECT_EQ(q4->firstDay(), QDate(2024, 10, 1));
    EXPECT_EQ(q4->lastDay(), QDate(2024, 12, 31));
    EXPECT_EQ(q4->next(), (SettlementPeriod{SettlementKind::Quarterly, 2025, 1}));
    EXPECT_EQ(q4->next().previous(), *q4);
    const auto february = SettlementPeriod::parse(2024, QStringLiteral("M2"));
    ASSERT_TRUE(february);
    EXPECT_EQ(february->lastDay(), QDate(2024, 2, 29)) << "a leap year";
    EXPECT_EQ(february->name(), QStringLiteral("Febbraio 2024"));
    EXPECT_EQ((SettlementPeriod{SettlementKind::Monthly, 2024, 1}).previous(),
              (SettlementPeriod{SettlementKind::Monthly, 2023, 12}));
    for (const char *wrong : {"T0", "T5", "M13", "M", "Q1", "", "T1x"})
        EXPECT_FALSE(SettlementPeriod::parse(2024, QLatin1String(wrong))) << wrong;
    EXPECT_FALSE(SettlementPeriod::parse(0, QStringLiteral("T1")));

    EXPECT_EQ(settlementPeriodProblem(SettlementKind::Quarterly, QString(), 1),
              QStringLiteral("Attenzione E' necessario definire correttamente l'anno di calcolo..."));
    EXPECT_EQ(settlementPeriodProblem(SettlementKind::Quarterly, 2024, QVariant()),
              QStringLiteral("Attenzione E' necessario definire il trimestre di calcolo..."));
    EXPECT_EQ(settlementPeriodProblem(SettlementKind::Monthly, 2024, 13),
              QStringLiteral("Attenzione E' necessario definire il mese di calcolo..."));
    EXPECT_FALSE(settlementPeriodProblem(SettlementKind::Monthly, 2024, 12));
}

TEST_F(VatSettlement, PeriodsFollowRegistrationForPurchasesAndTheShiftedQuarterForSales)
{
    setOption("TrimestriSpeciali", true);
    // Sales of the last quarter of 2023 belong to Q1 2024 under special quarters; the last one at
    // the end of the year's last day.
    single(Doc::Sale, QDate(2023, 10, 1), 100, vat22, 22);
    const qint64 late = document(Doc::Sale, QDate(2023, 12, 31));
    ASSERT_TRUE(archive().execute(
        QStringLiteral("UPDATE fattura SET Data = ? WHERE ID = ?"),
        {storage::sqlvalue::dateTime(QDateTime(QDate(2023, 12, 31), QTime(23, 30))), late}));
    row(Doc::Sale, late, 50, vat22, 22);
    single(Doc::Sale, QDate(2024, 2, 1), 1000, vat22, 22); // settled with Q2
    // Purchases count by their registration: dated March, registered April is Q2.
    const qint64 registeredLater = document(Doc::Purchase, QDate(2024, 3, 30), QDate(2024, 4, 2));
    row(Doc::Purchase, registeredLater, 200, vat22, 22);
    const qint64 registeredInQuarter = document(Doc::Purchase, QDate(2023, 12, 20), QDate(2024, 1, 5));
    row(Doc::Purchase, registeredInQuarter, 300, vat10, 10);

    const SettlementFigures q1 = settle(SettlementKind::Quarterly, 2024, 1);
    EXPECT_DOUBLE_EQ(q1.salesTaxable, 150);
    EXPECT_DOUBLE_EQ(q1.salesTax, 33);
    EXPECT_DOUBLE_EQ(q1.purchasesTaxable, 300);
    EXPECT_DOUBLE_EQ(q1.receivable, 30);
    EXPECT_DOUBLE_EQ(q1.payable, 33);

    const SettlementFigures q2 = settle(SettlementKind::Quarterly, 2024, 2);
    EXPECT_DOUBLE_EQ(q2.salesTaxable, 1000);
    EXPECT_DOUBLE_EQ(q2.purchasesTax, 44);

    setOption("TrimestriSpeciali", false);
    const SettlementFigures plain = settle(SettlementKind::Quarterly, 2024, 1);
    EXPECT_DOUBLE_EQ(plain.salesTaxable, 1000) << "without special quarters the sales of the quarter itself";
}

TEST_F(VatSettlement, NotesSplitPaymentAndNaturesOutsideVatGoWhereTheyBelong)
{
    const QDate day(2024, 5, 10);
    single(Doc::Purchase, day, 1000, vat22, 22);
    single(Doc::SupplierNote, day, 100, vat22, 22);
    single(Doc::SupplierNote, day, 50, vat4, 4); // no purchases at 4 % in the quarter
    single(Doc::Purchase, day, 80, outsideN22, 0);
    single(Doc::SupplierNote, day, 30, outsideN22, 0);
    single(Doc::Sale, day, 500, vat10, 10);
    single(Doc::CustomerNote, day, 20, vat10, 10);
    single(Doc::Sale, day, 700, vat22, 22, {{QStringLiteral("ScissionePagamenti"), true}});
    single(Doc::Sale, day, 60, outsideN21, 0);
    single(Doc::Sale, day, 90, exportN31, 0); // not taxed, but not outside VAT: a taxable row at 0

    const SettlementFigures q = settle(SettlementKind::Quarterly, 2024, 2);
    const SettlementLine *purchases22 = line(q.lines, vat22, true);
    ASSERT_TRUE(purchases22);
    EXPECT_DOUBLE_EQ(purchases22->taxable, 900);
    EXPECT_DOUBLE_EQ(purchases22->tax, 198);
    const SettlementLine *note4 = line(q.lines, vat4, true);
    ASSERT_TRUE(note4);
    EXPECT_DOUBLE_EQ(note4->taxable, -50);
    EXPECT_DOUBLE_EQ(note4->tax, -2);
    EXPECT_DOUBLE_EQ(q.receivable, 196);

    const SettlementLine *sales10 = line(q.lines, vat10, false);
    ASSERT_TRUE(sales10);
    EXPECT_DOUBLE_EQ(sales10->taxable, 480);
    EXPECT_DOUBLE_EQ(sales10->tax, 48);
    EXPECT_FALSE(line(q.lines, vat22, false)) << "split payment is paid by the customer";
    ASSERT_TRUE(line(q.lines, exportN31, false));
    EXPECT_DOUBLE_EQ(q.payable, 48);

    EXPECT_FALSE(line(q.lines, outsideN22, true));
    EXPECT_FALSE(line(q.lines, outsideN21, false));
    const SettlementLine *outsidePurchases = line(q.nonTaxableLines, outsideN22, true);
    ASSERT_TRUE(outsidePurchases);
    EXPECT_DOUBLE_EQ(outsidePurchases->taxable, 50);
    EXPECT_DOUBLE_EQ(q.purchasesNonTaxable, 50);
    EXPECT_DOUBLE_EQ(q.salesNonTaxable, 60);

    // What was calculated is what the archive keeps.
    const core::Result<SettlementFigures> stored =
        readSettlement(archive(), SettlementKind::Quarterly, q.key);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->lines.size(), q.lines.size());
    EXPECT_EQ(stored->nonTaxableLines.size(), q.nonTaxableLines.size());
    EXPECT_DOUBLE_EQ(stored->receivable, 196);
    EXPECT_DOUBLE_EQ(stored->salesNonTaxable, 60);
}

TEST_F(VatSettlement, DailyTakingsAreBroughtBackToTheirNetAmount)
{
    takings(QDate(2024, 1, 15), 122.00, vat22, 22);
    takings(QDate(2024, 3, 31), 11.00, vat10, 10);
    takings(QDate(2024, 2, 1), 40.00, outsideN22, 0);
    takings(QDate(2024, 4, 1), 999.00, vat22, 22); // next quarter

    const SettlementFigures q = settle(SettlementKind::Quarterly, 2024, 1);
    const SettlementLine *at22 = line(q.lines, vat22, false, true);
    ASSERT_TRUE(at22);
    EXPECT_DOUBLE_EQ(at22->taxable, 100);
    EXPECT_DOUBLE_EQ(at22->tax, 22);
    EXPECT_DOUBLE_EQ(q.takingsTaxable, 110);
    EXPECT_DOUBLE_EQ(q.takingsTax, 23);
    EXPECT_DOUBLE_EQ(q.salesTax, 0) << "takings are not invoices";
    EXPECT_DOUBLE_EQ(q.payable, 23);
    EXPECT_DOUBLE_EQ(q.takingsNonTaxable, 40);
    ASSERT_TRUE(line(q.nonTaxableLines, outsideN22, false, true));

    // The monthly settlement keeps the same figure in its own field.
    const SettlementFigures february = settle(SettlementKind::Monthly, 2024, 2);
    EXPECT_DOUBLE_EQ(february.takingsNonTaxable, 40);
    const core::Result<QVariant> kept = archive().scalar(
        QStringLiteral(
            "SELECT CorrispettiviImponibileNonSoggetta FROM ContabilitaChiusuraIvaMensile WHERE id = ?"),
        {february.key});
    ASSERT_TRUE(kept);
    EXPECT_DOUBLE_EQ(kept->toDouble(), 40);
}

TEST_F(VatSettlement, CreditIsCarriedFromThePreviousPeriodAndNeverBelowZero)
{
    const auto previous = [this](int year, int quarter, double credit, double carried, double debit) {
        test::addRow(archive(), QStringLiteral("ContabilitaChiusuraIvaTrimestre"),
                     {{QStringLiteral("Anno"), year},
                      {QStringLiteral("Trimestre"), quarter},
                      {QStringLiteral("TotaleIvaCredito"), credit},
                      {QStringLiteral("CreditoResiduoTrimestrePassato"), carried},
                      {QStringLiteral("TotaleIvaDebito"), debit}});
    };
    previous(2023, 4, 500, 100, 300);
    previous(2024, 2, 500, 100, 700);
    EXPECT_DOUBLE_EQ(settle(SettlementKind::Quarterly, 2024, 1).carriedCredit, 300)
        << "Q4 of the year before";
    EXPECT_DOUBLE_EQ(settle(SettlementKind::Quarterly, 2024, 3).carriedCredit, 0);
    EXPECT_DOUBLE_EQ(settle(SettlementKind::Monthly, 2024, 1).carriedCredit, 0)
        << "no monthly settlement before";

    // "Aggiungi" takes the period after the last one with what it leaves.
    const core::Result<qint64> added =
        addNextSettlement(archive(), SettlementKind::Quarterly, QDate(2030, 8, 1));
    ASSERT_TRUE(added) << added.error().toStdString();
    const core::Result<SettlementFigures> fourth =
        readSettlement(archive(), SettlementKind::Quarterly, *added);
    ASSERT_TRUE(fourth);
    EXPECT_EQ(fourth->period, (SettlementPeriod{SettlementKind::Quarterly, 2024, 4}));
    EXPECT_DOUBLE_EQ(fourth->carriedCredit, 0) << "Q3 had nothing to carry";
}

TEST_F(VatSettlement, TheFirstSettlementIsTodaysPeriodAndTheYearTurnsAfterTheLast)
{
    const auto add = [this](SettlementKind kind, const QDate &today) {
        const core::Result<qint64> key = addNextSettlement(archive(), kind, today);
        EXPECT_TRUE(key) << key.error().toStdString();
        const core::Result<SettlementFigures> read = readSettlement(archive(), kind, key ? *key : 0);
        return read ? read->period : SettlementPeriod{};
    };
    EXPECT_EQ(add(SettlementKind::Quarterly, QDate(2025, 11, 3)),
              (SettlementPeriod{SettlementKind::Quarterly, 2025, 4}));
    EXPECT_EQ(add(SettlementKind::Quarterly, QDate(2025, 11, 3)),
              (SettlementPeriod{SettlementKind::Quarterly, 2026, 1}));
    EXPECT_EQ(add(SettlementKind::Monthly, QDate(2025, 12, 3)),
              (SettlementPeriod{SettlementKind::Monthly, 2025, 12}));
    const SettlementPeriod january = add(SettlementKind::Monthly, QDate(2025, 12, 3));
    EXPECT_EQ(january, (SettlementPeriod{SettlementKind::Monthly, 2026, 1}));
    EXPECT_EQ(
        test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM ContabilitaChiusuraIvaMensile WHERE "
                                              "Mese = 1 AND DescrizioneMese = 'Gennaio'")),
        1);
}

TEST_F(VatSettlement, NegativeRowsLowerTheTaxAndEveryRowWithoutAValidCodeIsShownWithItsDocument)
{
    const QDate day(2024, 7, 3);
    const qint64 discounted = document(Doc::Sale, day);
    row(Doc::Sale, discounted, 20.00, vat22, 22);
    row(Doc::Sale, discounted, -5.00, vat22, 22);
    const qint64 uncoded = single(Doc::Sale, day, 100, QVariant(), 22);
    single(Doc::Purchase, day, 40, 999, 22);   // a code deleted since
    row(Doc::Sale, uncoded, 0, QVariant(), 0); // a line of text: nothing to settle
    const qint64 deleted = test::addRow(archive(), QStringLiteral("Iva"),
                                        {{QStringLiteral("Descrizione"), QStringLiteral("Vecchia")}});
    single(Doc::Sale, day, 10, deleted, 22);
    ASSERT_TRUE(archive().remove(QStringLiteral("Iva"), deleted));

    const SettlementFigures q = settle(SettlementKind::Quarterly, 2024, 3);
    const SettlementLine *sales22 = line(q.lines, vat22, false);
    ASSERT_TRUE(sales22);
    EXPECT_DOUBLE_EQ(sales22->taxable, 15);
    EXPECT_DOUBLE_EQ(sales22->tax, 3.30);
    const SettlementLine *salesWithoutCode = line(q.lines, QVariant(), false);
    ASSERT_TRUE(salesWithoutCode);
    EXPECT_DOUBLE_EQ(salesWithoutCode->taxable, 110) << "the empty and the deleted code, at the same rate";
    EXPECT_DOUBLE_EQ(salesWithoutCode->tax, 24.20);
    EXPECT_TRUE(salesWithoutCode->description.contains(QStringLiteral("22")));
    const SettlementLine *purchasesWithoutCode = line(q.lines, QVariant(), true);
    ASSERT_TRUE(purchasesWithoutCode);
    EXPECT_DOUBLE_EQ(purchasesWithoutCode->tax, 8.80);
    EXPECT_DOUBLE_EQ(q.payable, 27.50);
    ASSERT_EQ(q.withoutVatCode.size(), 3) << q.withoutVatCode.join(u'\n').toStdString();
    EXPECT_TRUE(q.withoutVatCode.at(0).startsWith(QStringLiteral("Fattura di acquisto n. ")));
    EXPECT_TRUE(withoutVatCodeMessage(q).contains(QStringLiteral("del 03/07/2024")));

    // Stored rows without a code keep their rate's description.
    EXPECT_EQ(test::count(archive(),
                          QStringLiteral("SELECT COUNT(*) FROM ContabilitaChiusuraIvaTrimestreRighe "
                                         "WHERE Iva_ID IS NULL AND ContabilitaChiusuraIvaTrimestre_ID = ?"),
                          {q.key}),
              2);
}

TEST_F(VatSettlement, ReverseChargeDocumentsOweTheTaxTheyDeduct)
{
    const QDate day(2024, 10, 20);
    single(Doc::Purchase, day, 1000, vat22, 22,
           {{QStringLiteral("TipoDocumentoXml"), QStringLiteral("TD17")}});
    single(Doc::Purchase, day, 500, vat22, 22,
           {{QStringLiteral("TipoDocumentoXml"), QStringLiteral("TD01")}});
    single(Doc::Sale, day, 100, vat22, 22);

    const SettlementFigures q = settle(SettlementKind::Quarterly, 2024, 4);
    EXPECT_DOUBLE_EQ(q.receivable, 330);
    EXPECT_DOUBLE_EQ(q.payable, 242) << "the integration's 220 and the sale's 22";
    EXPECT_DOUBLE_EQ(q.salesTaxable, 1100);
}

TEST_F(VatSettlement, CalculatingAgainRebuildsTheRowsAndAPeriodIsSettledOnce)
{
    const QDate day(2024, 1, 10);
    single(Doc::Sale, day, 100, vat22, 22);
    const SettlementFigures first = settle(SettlementKind::Quarterly, 2024, 1);
    single(Doc::Sale, day, 100, vat10, 10);
    const SettlementFigures second = settle(SettlementKind::Quarterly, 2024, 1);
    EXPECT_EQ(first.key, second.key) << "the command line finds the kept settlement";
    EXPECT_EQ(
        test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM ContabilitaChiusuraIvaTrimestreRighe")),
        2);
    EXPECT_DOUBLE_EQ(second.payable, 32);

    const qint64 another = test::addRow(archive(), QStringLiteral("ContabilitaChiusuraIvaTrimestre"),
                                        {{QStringLiteral("Anno"), 2024}});
    const core::Result<SettlementFigures> twice =
        calculateSettlement(archive(), SettlementKind::Quarterly, another, 2024, 1);
    ASSERT_FALSE(twice);
    EXPECT_EQ(twice.error(), QStringLiteral("Attenzione esiste già la chiusura Iva di 1° trimestre 2024."));

    ASSERT_TRUE(deleteSettlement(archive(), SettlementKind::Quarterly, first.key));
    EXPECT_EQ(
        test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM ContabilitaChiusuraIvaTrimestreRighe")),
        0);
    EXPECT_EQ(test::count(archive(), QStringLiteral("SELECT COUNT(*) FROM ContabilitaChiusuraIvaTrimestre")),
              1);
}

// A year of mixed documents, settled quarter by quarter and month by month, agrees to the cent with
// a plain pass over the rows written here.
TEST_F(VatSettlement, AgreesWithAnIndependentRecomputationOverAGeneratedYear)
{
    QRandomGenerator random(20240101);
    const QList<std::pair<qint64, double>> codes{{vat22, 22},     {vat10, 10},     {vat4, 4},
                                                 {outsideN21, 0}, {outsideN22, 0}, {exportN31, 0}};
    struct Written
    {
        Doc kind;
        QDate date, registered;
        bool split, reverse;
        QVariant code;
        double rate, taxable;
    };
    QList<Written> rows;
    for (int i = 0; i < 240; ++i) {
        const Doc kind = static_cast<Doc>(random.bounded(4));
        const QDate date = QDate(2024, 1, 1).addDays(random.bounded(366));
        const QDate registered = date.addDays(random.bounded(20));
        const bool split = kind == Doc::Sale && random.bounded(10) == 0;
        const bool reverse = kind == Doc::Purchase && random.bounded(8) == 0;
        QVariantMap more{{QStringLiteral("ScissionePagamenti"), split}};
        if (reverse)
            more.insert(QStringLiteral("TipoDocumentoXml"), QStringLiteral("TD18"));
        const qint64 key = document(kind, date, registered, more);
        const int lines = 1 + int(random.bounded(4));
        for (int n = 0; n < lines; ++n) {
            const auto &[code, rate] = codes.at(int(random.bounded(int(codes.size()))));
            const double taxable = (int(random.bounded(200000)) - 20000) / 100.0;
            const QVariant written = random.bounded(30) == 0 ? QVariant() : QVariant(code);
            row(kind, key, taxable, written, rate);
            rows.append({kind, date, registered, split, reverse, written, rate, taxable});
        }
    }
    struct Taking
    {
        QDate date;
        QVariant code;
        double rate, gross;
    };
    QList<Taking> entries;
    for (int i = 0; i < 80; ++i) {
        const auto &[code, rate] = codes.at(int(random.bounded(3)));
        const Taking taking{QDate(2024, 1, 1).addDays(random.bounded(366)), code, rate,
                            int(random.bounded(50000)) / 100.0};
        takings(taking.date, taking.gross, taking.code, taking.rate);
        entries.append(taking);
    }

    const auto outside = [](const QVariant &code) {
        return code == outsideN21 || code == outsideN22;
    };
    for (const SettlementKind kind : {SettlementKind::Quarterly, SettlementKind::Monthly}) {
        for (int number = 1; number <= (kind == SettlementKind::Quarterly ? 4 : 12); ++number) {
            const SettlementPeriod period{kind, 2024, number};
            const auto within = [&period](const QDate &day) {
                return day >= period.firstDay() && day <= period.lastDay();
            };
            // Per side and code: the sum of each kind of document, rounded, then added with its sign.
            std::map<std::tuple<int, QString, int>, std::pair<double, double>> perKind;
            for (const Written &r : rows) {
                const bool purchase = r.kind == Doc::Purchase || r.kind == Doc::SupplierNote;
                if (!within(purchase ? r.registered : r.date) || r.split)
                    continue;
                const QString bucket =
                    r.code.isValid() ? r.code.toString() : QStringLiteral("r%1").arg(r.rate);
                const int kindIndex = static_cast<int>(r.kind);
                const int outsideFlag = outside(r.code) ? 1 : 0;
                auto &sums = perKind[{kindIndex, bucket, outsideFlag}];
                sums.first += r.taxable;
                sums.second += outsideFlag ? 0 : r.taxable * r.rate / 100;
                if (r.reverse) {
                    auto &owed = perKind[{4, bucket, outsideFlag}];
                    owed.first += r.taxable;
                    owed.second += outsideFlag ? 0 : r.taxable * r.rate / 100;
                }
            }
            double receivable = 0, payable = 0, purchasesTaxable = 0, salesNonTaxable = 0;
            for (const auto &[key, sums] : perKind) {
                const auto &[kindIndex, bucket, outsideFlag] = key;
                const double sign = kindIndex == 1 || kindIndex == 3 ? -1 : 1;
                const bool purchase = kindIndex == 0 || kindIndex == 1;
                const double taxable = sign * core::arrotonda(sums.first);
                const double tax = sign * core::arrotonda(sums.second);
                if (outsideFlag) {
                    if (!purchase)
                        salesNonTaxable += taxable;
                    continue;
                }
                if (purchase) {
                    receivable += tax;
                    purchasesTaxable += taxable;
                } else {
                    payable += tax;
                }
            }
            std::map<QString, std::pair<double, double>> takingSums;
            for (const Taking &t : entries) {
                if (!within(t.date))
                    continue;
                const double net = core::roundDecimals(t.gross / (1 + t.rate / 100), 4);
                takingSums[t.code.toString()].first += net;
                takingSums[t.code.toString()].second += core::arrotonda(t.rate / 100 * net);
            }
            for (const auto &[code, sums] : takingSums)
                payable += core::arrotonda(sums.second);

            const SettlementFigures figures = settle(kind, 2024, number);
            EXPECT_NEAR(figures.receivable, receivable, 0.001) << period.name().toStdString();
            EXPECT_NEAR(figures.payable, payable, 0.001) << period.name().toStdString();
            EXPECT_NEAR(figures.purchasesTaxable, purchasesTaxable, 0.001) << period.name().toStdString();
            EXPECT_NEAR(figures.salesNonTaxable, salesNonTaxable, 0.001) << period.name().toStdString();
        }
    }
}

TEST(VatSettlementCommandLine, SettlesAPeriodWithoutADisplayAndRefusesAWrongOne)
{
    const QString program = QStringLiteral(ROTALINA_RUNTIME_DIR "/rotalina");
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "the program is not built";
    QTemporaryDir home;
    {
        storage::OpenOptions create;
        create.createIfMissing = true;
        auto archive = storage::Archive::open(
            storage::ArchiveLocation::sqliteFile(QDir(home.path()).filePath(QStringLiteral("archivio.db"))),
            create);
        ASSERT_TRUE(archive) << archive.error().toStdString();
        const qint64 sale = test::addRow(**archive, QStringLiteral("fattura"),
                                         {{QStringLiteral("Carico"), false},
                                          {QStringLiteral("FattNota"), false},
                                          {QStringLiteral("Data"), QDate(2024, 2, 3)}});
        test::addRow(**archive, QStringLiteral("fattdett"),
                     {{QStringLiteral("NumFatt"), sale},
                      {QStringLiteral("TotaleImponibile"), 1234.56},
                      {QStringLiteral("Iva_ID"), vat22},
                      {QStringLiteral("AliquotaIva"), 22.0}});
    }
    const auto run = [&](const QStringList &arguments, QString *output = nullptr) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ROTALINA_HOME"), home.path());
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.start(program, QStringList{QStringLiteral("--chiusura-iva")} + arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        if (output)
            *output = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        return process.exitCode();
    };
    QString output;
    EXPECT_EQ(run({QStringLiteral("2024"), QStringLiteral("T1")}, &output), 0) << output.toStdString();
    const QString words = output.simplified();
    EXPECT_TRUE(
        words.contains(QStringLiteral("Iva a debito 271,60 Iva a credito 0,00 Credito precedente 0,00 "
                                      "Iva da versare 271,60")))
        << output.toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("Vendite Iva 22% imponibile 1.234,56 imposta 271,60")))
        << output.toStdString();
    EXPECT_EQ(run({QStringLiteral("2024"), QStringLiteral("M2")}, &output), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("Chiusura Iva Febbraio 2024")));
    EXPECT_EQ(run({QStringLiteral("2024"), QStringLiteral("T5")}, &output), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("T1...T4"))) << output.toStdString();
    EXPECT_EQ(run({QStringLiteral("duemila"), QStringLiteral("T1")}), 1);
}

} // namespace
