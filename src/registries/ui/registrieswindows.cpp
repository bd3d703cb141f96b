#include "registries/ui/registrieswindows.h"

#include "registries/lookupregistries.h"
#include "registries/ui/noticewizard.h"
#include "registries/ui/partywindows.h"
#include "registries/ui/typeswindow.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/windowregistry.h"

namespace rotalina::registries::ui {

void registerRegistriesWindows(shell::ui::WindowRegistry &windows)
{
    for (const shell::RegistryDescriptor &descriptor : lookupRegistries())
        shell::ui::registerRegistryWindows(windows, descriptor);
    windows.add(QStringLiteral("TfrmArchivioTipologie"), 5300,
                [&windows](shell::Session &session, const QVariantMap &, QWidget *parent) {
                    return new TypesWindow(session, windows, parent);
                });
    registerPartyWindows(windows);
    registerNoticeWizard(windows);
}

} // namespace rotalina::registries::ui
