#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <functional>

class QDialog;
class QWidget;

namespace rotalina::shell {
class Session;
}

namespace rotalina::shell::ui {

// The windows of the program by their names, each with its help topic. A window is opened by
// name, so a window can open another that a later module adds; until that module registers it,
// opening it does nothing and the buttons that lead to it stay disabled.
class WindowRegistry
{
public:
    using Factory =
        std::function<QDialog *(Session &session, const QVariantMap &parameters, QWidget *parent)>;
    // Something the program does without a window of its own (a print, an import).
    using Command = std::function<void(Session &session, const QVariantMap &parameters, QWidget *parent)>;

    void add(const QString &name, int helpContext, Factory factory);
    void addCommand(const QString &name, Command command);
    bool has(const QString &name) const { return m_entries.contains(name); }
    // The names of the windows (not of the commands), sorted.
    QStringList windowNames() const;
    // The help topic of a window, or 0.
    int helpContext(const QString &name) const;

    // Shows the window modally, or runs the command; false when no such window exists.
    bool open(const QString &name, Session &session, QWidget *parent,
              const QVariantMap &parameters = {}) const;
    // Shows the window modally without waiting for it to close (it deletes itself then); null when
    // no such window exists.
    QDialog *show(const QString &name, Session &session, QWidget *parent,
                  const QVariantMap &parameters = {}) const;

    // Shows a window that chooses something (a picker) modally: what it chose when it was closed
    // by choosing, else an invalid value.
    QVariant choose(const QString &name, Session &session, QWidget *parent,
                    const QVariantMap &parameters = {}) const;
    // What a picker chose, set before it closes.
    static void setChoice(QDialog *window, const QVariant &choice);

    // Gives a window its help topic (read by the F1 key).
    static void setHelpContext(QWidget *window, int context);
    static int helpContextOf(const QWidget *widget);

private:
    QDialog *create(const QString &name, Session &session, QWidget *parent,
                    const QVariantMap &parameters) const;

    struct Entry
    {
        int helpContext;
        Factory factory;
        Command command;
    };
    QHash<QString, Entry> m_entries;
};

} // namespace rotalina::shell::ui
