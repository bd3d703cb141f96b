// Times the registries on a large firm: 20,000 customers and 50,000 tariffs. Opening the customer
// list, narrowing it by name, opening a customer's card, and the tariff picker narrowed as the
// user types a description, letter by letter; all offscreen.
//   bench_registries [--customers N] [--tariffs N] [--postgresql ADDRESS]

#include "benchsupport.h"
#include "registries/parties.h"
#include "registries/ui/partywindows.h"
#include "registries/ui/registrieswindows.h"
#include "shell/scriptedprompter.h"
#include "shell/session.h"
#include "shell/ui/shellwindows.h"
#include "shell/ui/windowregistry.h"
#include "storage/archive.h"
#include "storage/recordlistmodel.h"
#include "transport/ui/tariffwindows.h"
#include "transport/ui/transportwindows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

using namespace rotalina;

namespace {

const QStringList towns{QStringLiteral("Verona"),  QStringLiteral("Milano"), QStringLiteral("Bologna"),
                        QStringLiteral("Padova"),  QStringLiteral("Trento"), QStringLiteral("Brescia"),
                        QStringLiteral("Vicenza"), QStringLiteral("Modena")};

core::Status fill(storage::Archive &archive, int customers, int tariffs)
{
    QList<QVariantList> rows;
    rows.reserve(customers);
    for (int i = 0; i < customers; ++i) {
        const QString name = QStringLiteral("Cliente %1 Trasporti S.r.l.").arg(i, 5, 10, QChar(u'0'));
        rows.append({name, name, name, towns.at(i % towns.size()), QStringLiteral("VR"),
                     QStringLiteral("Via Roma %1").arg(i % 200), QStringLiteral("3712%1").arg(i % 10),
                     QStringLiteral("cliente%1@esempio.it").arg(i), QStringLiteral("IT"),
                     QStringLiteral("IT"), false, 16777215});
    }
    if (core::Status written = archive.insertRows(
            QStringLiteral("Clienti"),
            {QStringLiteral("Cliente"), QStringLiteral("NominativoDocumenti"),
             QStringLiteral("NominativoVisualizzato"), QStringLiteral("Citta"), QStringLiteral("Provincia"),
             QStringLiteral("Via"), QStringLiteral("Cap"), QStringLiteral("EMail"), QStringLiteral("IdPaese"),
             QStringLiteral("Sede_Nazione"), QStringLiteral("Annullato"), QStringLiteral("NumeroColore")},
            rows);
        !written)
        return written;
    rows.clear();
    rows.reserve(tariffs);
    for (int i = 0; i < tariffs; ++i) {
        const QString from = towns.at(i % towns.size());
        const QString to = towns.at((i / towns.size()) % towns.size());
        rows.append({QStringLiteral("T%1").arg(i, 6, 10, QChar(u'0')),
                     QStringLiteral("%1 - %2 servizio %3").arg(from, to).arg(i), from, to, 100.0 + i % 900,
                     0.0, 22.0, (100.0 + i % 900) * 1.22, false});
    }
    return archive.insertRows(
        QStringLiteral("prezziar"),
        {QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("PartenzaCitta"),
         QStringLiteral("FineCitta"), QStringLiteral("Prezzo"), QStringLiteral("Sconto"),
         QStringLiteral("AliquotaIva"), QStringLiteral("PrezzoCompleto"), QStringLiteral("Annullato")},
        rows);
}

double milliseconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("customers"), QStringLiteral("Customers (20000)."), QStringLiteral("n"),
                      QStringLiteral("20000")});
    parser.addOption({QStringLiteral("tariffs"), QStringLiteral("Tariffs (50000)."), QStringLiteral("n"),
                      QStringLiteral("50000")});
    bench::addPostgresOption(parser);
    parser.process(app);
    QTextStream out(stdout);

    QTemporaryDir folder;
    auto archive = bench::openNewArchive(parser, folder.path());
    if (!archive) {
        out << archive.error() << Qt::endl;
        return 2;
    }
    if (core::Status filled = fill(**archive, parser.value(QStringLiteral("customers")).toInt(),
                                   parser.value(QStringLiteral("tariffs")).toInt());
        !filled) {
        out << filled.error() << Qt::endl;
        return 2;
    }
    // A server keeps its statistics up to date by itself soon after rows arrive: the measure is of
    // an archive in use, not of one a second old.
    if ((*archive)->engine() == storage::Engine::PostgreSQL) {
        if (const core::Result<int> analysed = (*archive)->execute(QStringLiteral("ANALYZE")); !analysed) {
            out << analysed.error() << Qt::endl;
            return 2;
        }
    }
    shell::ScriptedPrompter prompter;
    bench::NoDesktop desktop;
    shell::Session session(prompter, desktop, folder.path() + u'/', QStringLiteral("BENCH"));
    session.setArchive(std::move(*archive));
    shell::ui::WindowRegistry windows;
    shell::ui::registerShellWindows(windows);
    registries::ui::registerRegistriesWindows(windows);
    transport::ui::registerTransportWindows(windows);

    QElapsedTimer timer;
    timer.start();
    registries::ui::PartyListWindow customers(session, true, windows);
    const double listOpened = milliseconds(timer);
    const int listed = customers.records().rowCount();
    auto *name = customers.findChild<QLineEdit *>(QStringLiteral("edtFiltroClienti.NominativoVisualizzato"));
    timer.restart();
    name->setText(QStringLiteral("12345"));
    const double filtered = milliseconds(timer);
    const int found = customers.records().rowCount();
    const qint64 key = customers.records().keyAt(0).value_or(1);
    name->clear();
    timer.restart();
    (void)customers.records().reload();
    const double reread = milliseconds(timer);
    timer.restart();
    registries::ui::PartyCardWindow card(session, true, windows, key, false);
    const double cardOpened = milliseconds(timer);

    transport::ui::TariffListWindow picker(session, windows, transport::ui::TariffListWindow::Mode::Picker);
    QLineEdit *description = picker.searchBox(QStringLiteral("Descrizione"));
    QList<double> keystrokes;
    QString typed;
    for (const QChar letter : QStringLiteral("Verona - Mi")) {
        typed += letter;
        timer.restart();
        description->setText(typed);
        keystrokes.append(milliseconds(timer));
    }
    const double worst = *std::max_element(keystrokes.cbegin(), keystrokes.cend());
    std::sort(keystrokes.begin(), keystrokes.end());
    out << QStringLiteral("Elenco clienti (%1 righe): %2 ms (lettura %6 ms); filtro per nome (%3 righe): %4 "
                          "ms; scheda: %5 ms\n")
               .arg(listed)
               .arg(listOpened, 0, 'f', 1)
               .arg(found)
               .arg(filtered, 0, 'f', 1)
               .arg(cardOpened, 0, 'f', 1)
               .arg(reread, 0, 'f', 1)
        << QStringLiteral("Scelta tariffe (%1 tariffe), filtro per tasto: mediana %2 ms, peggiore %3 ms (%4 "
                          "righe alla fine)")
               .arg(parser.value(QStringLiteral("tariffs")))
               .arg(keystrokes.value(keystrokes.size() / 2), 0, 'f', 1)
               .arg(worst, 0, 'f', 1)
               .arg(picker.records().rowCount())
        << Qt::endl;
    return 0;
}
