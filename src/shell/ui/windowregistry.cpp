#include "shell/ui/windowregistry.h"

#include <QDialog>
#include <memory>

namespace rotalina::shell::ui {

namespace {
const char *helpProperty = "rotalinaHelpContext";
}

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
    std::unique_ptr<QDialog> window(found->factory(session, parameters, parent));
    if (!window)
        return false;
    if (window->objectName().isEmpty())
        window->setObjectName(name);
    setHelpContext(window.get(), found->helpContext);
    window->exec();
    return true;
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
