#include "shell/ui/shellwindows.h"

#include "shell/options.h"
#include "shell/ui/companywindow.h"
#include "shell/ui/creditswindow.h"
#include "shell/ui/optionswindow.h"
#include "shell/ui/windowregistry.h"

namespace rotalina::shell::ui {

void registerShellWindows(WindowRegistry &registry)
{
    registry.add(QStringLiteral("TfrmRealizzazione"), 9000,
                 [](Session &, const QVariantMap &, QWidget *parent) { return new CreditsWindow(parent); });
    registry.add(QStringLiteral("TfrmOpzioni"), 1700,
                 [](Session &session, const QVariantMap &, QWidget *parent) {
                     return new OptionsWindow(session, parent);
                 });
    registry.add(QStringLiteral("TfrmDitta"), 1710,
                 [&registry](Session &session, const QVariantMap &, QWidget *parent) {
                     return new CompanyWindow(session, registry, parent);
                 });
    for (const ThirdParty &party : {fiscalRepresentative(), intermediaryIssuer()}) {
        registry.add(party.window, 2410, [party](Session &session, const QVariantMap &, QWidget *parent) {
            return new ThirdPartyWindow(session, party, parent);
        });
    }
}

} // namespace rotalina::shell::ui
