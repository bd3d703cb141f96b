#pragma once

class QCoreApplication;
class QTranslator;

namespace rotalina::shell::ui {

// Qt's own texts (file dialogs, standard buttons, context menus of text boxes) in Italian, from
// the translations installed with Qt; null when they are not installed.
QTranslator *installItalianTranslations(QCoreApplication &application);

} // namespace rotalina::shell::ui
