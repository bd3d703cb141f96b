#pragma once

#include "storage/archive.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <memory>

namespace rotalina::shell {

class Desktop;
class Prompter;

// What the whole program shares while it runs: the archive, the workstation's name, the
// program folder, the prompter, and the history mode of the document lists.
class Session : public QObject
{
    Q_OBJECT

public:
    Session(Prompter &prompter, Desktop &desktop, QString programFolder, QString workstation,
            QObject *parent = nullptr);
    ~Session() override;

    Prompter &prompter() const { return m_prompter; }
    Desktop &desktop() const { return m_desktop; }
    const QString &programFolder() const { return m_programFolder; }
    const QString &workstation() const { return m_workstation; }
    // The folder of the installed programs: the print program, its report layouts, the help pages,
    // the videos and the companion programs. It is the executable's folder, which the program
    // folder (the archive's path file, the update script) may not be when ROTALINA_HOME moves it.
    QString installFolder() const;
    void setInstallFolder(const QString &folder) { m_installFolder = folder; }

    // The open archive; null before start-up found one or after it failed.
    storage::Archive *archive() const { return m_archive.get(); }
    void setArchive(std::unique_ptr<storage::Archive> archive);

    // Today's date; tests fix it to run the yearly rules on any day.
    QDate today() const { return m_today.isValid() ? m_today : QDate::currentDate(); }
    void setToday(const QDate &today) { m_today = today; }

    // Set while a document list shows documents of a closed period: its insert creates nothing.
    bool historyMode() const { return m_historyMode; }
    void setHistoryMode(bool on) { m_historyMode = on; }

    // The period the schedule offers: the week from the day the program started, then the last
    // one the user asked for, while the program runs.
    struct Period
    {
        QDate from;
        QDate to;
    };
    Period schedulePeriod() const { return m_schedulePeriod; }
    void setSchedulePeriod(const Period &period) { m_schedulePeriod = period; }

signals:
    void archiveChanged();

private:
    Prompter &m_prompter;
    Desktop &m_desktop;
    QString m_programFolder;
    QString m_workstation;
    QString m_installFolder;
    std::unique_ptr<storage::Archive> m_archive;
    QDate m_today;
    bool m_historyMode = false;
    Period m_schedulePeriod;
};

} // namespace rotalina::shell
