#include "shell/ui/entrynavigation.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace rotalina::shell::ui {

namespace {

const char *acuteProperty = "rotalinaAcuteForApostrophe";
const char *keepEnterProperty = "rotalinaKeepEnterKey";
const char *lineProperty = "rotalinaNavigateLikeALine";

bool isEntryField(const QWidget *widget)
{
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QPlainTextEdit *>(widget) ||
           qobject_cast<const QTextEdit *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget) ||
           qobject_cast<const QComboBox *>(widget);
}

// The combo box a line edit belongs to, or the widget itself.
QWidget *fieldOf(QWidget *widget)
{
    if (auto *combo = qobject_cast<QComboBox *>(widget->parentWidget()); combo && combo->lineEdit() == widget)
        return combo;
    return widget;
}

void paint(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

void moveFocus(QWidget *from, bool forward)
{
    QKeyEvent tab(QEvent::KeyPress, forward ? Qt::Key_Tab : Qt::Key_Backtab,
                  forward ? Qt::NoModifier : Qt::ShiftModifier);
    QCoreApplication::sendEvent(from->window(), &tab);
}

bool popupOpen(QWidget *field)
{
    if (auto *combo = qobject_cast<QComboBox *>(field))
        return combo->view() && combo->view()->isVisible();
    if (auto *edit = qobject_cast<QLineEdit *>(field))
        return edit->completer() && edit->completer()->popup() && edit->completer()->popup()->isVisible();
    return false;
}

} // namespace

void EntryNavigation::install()
{
    static EntryNavigation *instance = nullptr;
    if (!instance) {
        instance = new EntryNavigation(qApp);
        qApp->installEventFilter(instance);
    }
}

void EntryNavigation::typeAcuteForApostrophe(QWidget *editor)
{
    editor->setProperty(acuteProperty, true);
}

void EntryNavigation::keepEnterKey(QWidget *editor)
{
    editor->setProperty(keepEnterProperty, true);
}

void EntryNavigation::navigateLikeALine(QWidget *editor)
{
    editor->setProperty(lineProperty, true);
}

QColor EntryNavigation::focusColour()
{
    return QColor(0, 255, 255);
}

bool EntryNavigation::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        if (isEntryField(widget))
            paint(fieldOf(widget), focusColour());
        break;
    case QEvent::FocusOut:
        if (isEntryField(widget) && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
            paint(fieldOf(widget), Qt::white);
        break;
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        QWidget *field = fieldOf(widget);
        if (!isEntryField(widget) && !qobject_cast<QCheckBox *>(widget))
            break;
        if (key->text() == u"'" &&
            (field->property(acuteProperty).toBool() || widget->property(acuteProperty).toBool())) {
            if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
                edit->insert(QStringLiteral("´"));
                return true;
            }
        }
        const bool likeALine = field->property(lineProperty).toBool();
        const bool multiLine =
            !likeALine && (qobject_cast<QPlainTextEdit *>(widget) || qobject_cast<QTextEdit *>(widget));
        if (multiLine || popupOpen(field) || field->property(keepEnterProperty).toBool() ||
            key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            break;
        const bool singleLine = (qobject_cast<QLineEdit *>(widget) && field == widget) || likeALine;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
            (singleLine && key->key() == Qt::Key_Down)) {
            moveFocus(widget, true);
            return true;
        }
        if (singleLine && key->key() == Qt::Key_Up) {
            moveFocus(widget, false);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace rotalina::shell::ui
