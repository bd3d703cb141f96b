#include "shell/startupsequence.h"

#include "shell/prompter.h"
#include "shell/schemaupdatescript.h"
#include "shell/session.h"
#include "shell/yeararchive.h"
#include "storage/archive.h"
#include "storage/archivepathfile.h"
#include "storage/workstationrows.h"

namespace rotalina::shell {

core::Status clearScratchRows(storage::Archive &archive, const QString &workstation,
                              const QStringList &tables)
{
    storage::WorkstationRows rows(archive, workstation);
    for (const QString &table : tables) {
        if (const core::Result<int> cleared = rows.clear(table); !cleared)
            return core::Status::failure(cleared.error());
    }
    return {};
}

core::Status rebindWorkstation(storage::Archive &archive, const QString &workstation)
{
    storage::Transaction transaction(archive);
    if (!transaction.isActive())
        return core::Status::failure(transaction.error());
    storage::WorkstationRows rows(archive, workstation);
    if (const core::Result<int> cleared = rows.clear(QStringLiteral("TempoEtichette")); !cleared)
        return core::Status::failure(cleared.error());
    const core::Result<int> notices = rows.count(QStringLiteral("TempAvvisi"));
    if (!notices)
        return core::Status::failure(notices.error());
    if (*notices == 0) {
        if (const core::Result<qint64> added = rows.insert(QStringLiteral("TempAvvisi"), {}); !added)
            return core::Status::failure(added.error());
    }
    return transaction.commit();
}

StartupSequence::StartupSequence(Session &session, StartupUi &ui) : m_session(session), m_ui(ui) {}

StartupSequence::Outcome StartupSequence::fail(const QString &message)
{
    m_session.prompter().message(titles::error(), message);
    return Outcome::Failed;
}

StartupSequence::Outcome StartupSequence::run()
{
    m_session.setSchedulePeriod({m_session.today(), m_session.today().addDays(7)});
    const core::Result<storage::ArchiveChoice> choice = storage::locateArchive(m_session.programFolder());
    if (!choice)
        return fail(choice.error());
    m_ui.showArchivePath(choice->pathFileText);
    return openAndPrepare(choice->location, choice->isDefaultArchive);
}

StartupSequence::Outcome StartupSequence::runOn(const storage::ArchiveLocation &location)
{
    const Outcome outcome = openAndPrepare(location, false);
    if (outcome == Outcome::Failed)
        return outcome;
    if (core::Status written = storage::writeArchivePath(m_session.programFolder(), location); !written)
        m_session.prompter().message(titles::error(), written.error());
    m_ui.showArchivePath(location.text());
    return outcome;
}

StartupSequence::Outcome StartupSequence::openAndPrepare(const storage::ArchiveLocation &location,
                                                         bool createIfMissing)
{
    storage::OpenOptions options;
    options.createIfMissing = createIfMissing;
    core::Result<std::unique_ptr<storage::Archive>> opened = storage::Archive::open(location, options);
    // A server that wants a password neither the address nor the user's password file gives: it is
    // asked once and kept in memory only, never written to the path file.
    if (!opened && location.engine() == storage::Engine::PostgreSQL && location.password().isEmpty() &&
        storage::needsPassword(opened.error())) {
        const QString password = m_session.prompter().askSecret(
            QStringLiteral("Archivio in rete"), QStringLiteral("Password dell'utente %1 per l'archivio %2:")
                                                    .arg(location.user(), location.displayText()));
        if (!password.isEmpty())
            opened = storage::Archive::open(location.withTypedPassword(password), options);
    }
    if (!opened)
        return fail(opened.error());
    storage::Archive &archive = **opened;
    const QString &workstation = m_session.workstation();

    const core::Result<bool> updated =
        applySchemaUpdate(archive, schemaUpdateFolder(location, m_session.programFolder()));
    if (!updated)
        return fail(updated.error());
    if (core::Status done = clearScratchRows(archive, workstation,
                                             {QStringLiteral("TempBilancio"), QStringLiteral("TempStampa")});
        !done)
        return fail(done.error());
    if (core::Status done = markClosedYears(archive, m_session.today()); !done)
        return fail(done.error());
    if (core::Status done = clearScratchRows(
            archive, workstation, {QStringLiteral("TempAvvisi"), QStringLiteral("TempAvvisiClienti")});
        !done)
        return fail(done.error());
    if (core::Status done = rebindWorkstation(archive, workstation); !done)
        return fail(done.error());

    core::Result<QSqlQuery> company = archive.select(QStringLiteral("SELECT RagSoc FROM ditta"));
    if (!company)
        return fail(company.error());
    const QString companyName = company->next() ? company->value(0).toString() : QString();

    core::Result<QSqlQuery> options_ = archive.select(
        QStringLiteral("SELECT PasswordAmministratore, TabIniziale, PromemoriaScadenze FROM opzioni"));
    if (!options_)
        return fail(options_.error());
    QString password;
    int startTab = 0;
    bool remind = false;
    if (options_->next()) {
        password = options_->value(0).toString();
        startTab = options_->value(1).toInt();
        remind = options_->value(2).toBool();
    }

    m_session.setArchive(std::move(opened).value());
    m_ui.showCompanyName(companyName);
    if (!password.isEmpty() && m_ui.askPassword() != password)
        return Outcome::WrongPassword;
    m_ui.showStartTab(startTab);
    if (remind) {
        const core::Result<QList<ReminderList>> lists =
            loadDueDateReminder(*m_session.archive(), m_session.today());
        if (!lists)
            return fail(lists.error());
        if (anythingDue(*lists))
            m_ui.showReminder(*lists);
    }
    return Outcome::Ready;
}

} // namespace rotalina::shell
