#include "shell/ui/shellwindows.h"

#include "shell/mailsender.h"
#include "shell/options.h"
#include "shell/reportservice.h"
#include "shell/ui/companywindow.h"
#include "shell/ui/creditswindow.h"
#include "shell/ui/mailwindows.h"
#include "shell/ui/optionswindow.h"
#include "shell/ui/registrywindows.h"
#include "shell/ui/windowregistry.h"

namespace rotalina::shell::ui {

void registerShellWindows(WindowRegistry &registry)
{
    registry.add(QStringLiteral("TfrmRealizzazione"), 9000,
                 [](Session &, const QVariantMap &, QWidget *parent) { return new CreditsWindow(parent); });
    registry.add(QStringLiteral("TfrmOpzioni"), 1700,
                 [&registry](Session &session, const QVariantMap &, QWidget *parent) {
                     return new OptionsWindow(session, registry, parent);
                 });
    registry.add(QStringLiteral("TfrmDitta"), 1710,
                 [&registry](Session &session, const QVariantMap &, QWidget *parent) {
                     return new CompanyWindow(session, registry, parent);
                 });
    // The list reports of the "Stampe" page: each button prints its report at once.
    static const QList<QPair<const char *, int>> listReports = {{"btnStampeClienti", 1},
                                                                {"btnStampeTariffe", 2},
                                                                {"btnStampeFornitori", 3},
                                                                {"btnStampePadroncini", 6},
                                                                {"btnStampeNoteCreditoFornitori", 14},
                                                                {"btnStampeCisterne", 22},
                                                                {"BitBtn4", 23},
                                                                {"btnStampeFattureClienti", 30},
                                                                {"btnStampeFattureFornitori", 31},
                                                                {"btnStampeNoteCreditoClienti", 33},
                                                                {"btnStampePreventiviClienti", 35},
                                                                {"btnStampeUtiliPadroncino", 39},
                                                                {"btnStampaDDT", 56},
                                                                {"btnStampeBancali", 61},
                                                                {"btnStampeIndirizzi", 63},
                                                                {"btnStampaResocontoPadroncino", 64},
                                                                {"BitBtn2", 70},
                                                                {"btnStampeProvvigioniFatture", 72},
                                                                {"btnStampeProvvigioniNoteCredito", 73}};
    for (const auto &[button, code] : listReports) {
        registry.addCommand(QStringLiteral("report:") + QLatin1String(button),
                            [code](Session &session, const QVariantMap &, QWidget *) {
                                ReportService(session).print(code, {});
                            });
    }
    registerMailWindows(registry, std::make_shared<CurlMailSender>());
    for (const ThirdParty &party : {fiscalRepresentative(), intermediaryIssuer()}) {
        registry.add(party.window, 2410, [party](Session &session, const QVariantMap &, QWidget *parent) {
            return new ThirdPartyWindow(session, party, parent);
        });
    }
}

} // namespace rotalina::shell::ui
