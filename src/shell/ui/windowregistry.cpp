#include "shell/ui/windowregistry.h"

#include <QDialog>
#include <memory>

namespace rotalina::shell::ui {

namespace {
const char *helpProperty = "rotalinaHelpContext";
const char *choiceProperty = "rotalinaChoice";
} // namespace

void WindowRegistry::add(const QString &name, int helpContext, Factory factory)
{
    m_entries.insert(name, {helpContext, std::move(factory), {}});
}

void WindowRegistry::addCommand(const QString &name, Command command)
{
    m_entries.insert(name, {0, {}, std::move(command)});
}

int WindowRegistry::helpContext(const QString &name) const
{
    const auto found = m_entries.constFind(name);
    return found == m_entries.cend() ? 0 : found->helpContext;
}

QStringList WindowRegistry::windowNames() const
{
    QStringList names;
    for (auto entry = m_entries.cbegin(); entry != m_entries.cend(); ++entry) {
        if (entry->factory)
            names.append(entry.key());
    }
    names.sort();
    return names;
}

QDialog *WindowRegistry::create(const QString &name, Session &session, QWidget *parent,
                                const QVariantMap &parameters) const
{
    const auto found = m_entries.constFind(name);
    if (found == m_entries.cend() || !found->factory)
        return nullptr;
    QDialog *window = found->factory(session, parameters, parent);
    if (!window)
        return nullptr;
    if (window->objectName().isEmpty())
        window->setObjectName(name);
    setHelpContext(window, found->helpContext);
    return window;
}

bool WindowRegistry::open(const QString &name, Session &session, QWidget *parent,
                          const QVariantMap &parameters) const
{
    const auto found = m_entries.constFind(name);
    if (found == m_entries.cend())
        return false;
    if (found->command) {
        found->command(session, parameters, parent);
        return true;
    }
    std::unique_ptr<QDialog> window(create(name, session, parent, parameters));
    if (!window)
        return false;
    window->exec();
    return true;
}

QVariant WindowRegistry::choose(const QString &name, Session &session, QWidget *parent,
                                const QVariantMap &parameters) const
{
    std::unique_ptr<QDialog> window(create(name, session, parent, parameters));
    if (!window || window->exec() != QDialog::Accepted)
        return {};
    return window->property(choiceProperty);
}

void WindowRegistry::setChoice(QDialog *window, const QVariant &choice)
{
    window->setProperty(choiceProperty, choice);
}

QDialog *WindowRegistry::show(const QString &name, Session &session, QWidget *parent,
                              const QVariantMap &parameters) const
{
    QDialog *window = create(name, session, parent, parameters);
    if (!window)
        return nullptr;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    return window;
}

void WindowRegistry::setHelpContext(QWidget *window, int context)
{
    window->setProperty(helpProperty, context);
}

int WindowRegistry::helpContextOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const QVariant context = w->property(helpProperty);
        if (context.isValid())
            return context.toInt();
    }
    return 0;
}

} // namespace rotalina::shell::ui
