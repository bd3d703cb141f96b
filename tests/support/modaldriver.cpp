#include "support/modaldriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace rotalina::test {

namespace {

void poll(const QString &objectName, std::shared_ptr<std::function<void(QDialog &)>> action,
          std::shared_ptr<QElapsedTimer> waited)
{
    auto *shown = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (shown && shown->objectName() == objectName && shown->isVisible()) {
        (*action)(*shown);
        // A window the action left open would wait for a user forever: it is closed and the test
        // fails, instead of hanging.
        QPointer<QDialog> left(shown);
        QTimer::singleShot(10000, [left, objectName] {
            if (left && left->isVisible()) {
                ADD_FAILURE() << "the window " << objectName.toStdString() << " stayed open";
                left->done(QDialog::Rejected);
            }
        });
        return;
    }
    if (waited->elapsed() > 5000) {
        ADD_FAILURE() << "the window " << objectName.toStdString() << " did not open";
        return;
    }
    QTimer::singleShot(10, [objectName, action, waited] { poll(objectName, action, waited); });
}

} // namespace

void whenWindowOpens(const QString &objectName, std::function<void(QDialog &window)> action)
{
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    auto shared = std::make_shared<std::function<void(QDialog &)>>(std::move(action));
    QTimer::singleShot(0, [objectName, shared, waited] { poll(objectName, shared, waited); });
}

void typeInto(QWidget &window, const QString &editorName, const QString &text)
{
    QWidget *editor = window.findChild<QWidget *>(editorName);
    if (!editor) {
        ADD_FAILURE() << "no editor " << editorName.toStdString() << " in "
                      << window.objectName().toStdString();
        return;
    }
    if (auto *combo = qobject_cast<QComboBox *>(editor); combo && combo->lineEdit())
        editor = combo->lineEdit();
    // The keyboard goes to the window the user types in: leaving a field is what tells the window.
    if (QWidget *window = editor->window(); QApplication::activeWindow() != window) {
        window->activateWindow();
        QTest::qWait(0);
    }
    editor->setFocus(Qt::TabFocusReason);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->selectAll();
    else if (auto *text = qobject_cast<QPlainTextEdit *>(editor))
        text->selectAll();
    QTest::keyClicks(editor, text);
    // An open list of choices has the keyboard, as it has for a user.
    QWidget *popup = QApplication::activePopupWidget();
    QTest::keyClick(popup ? popup : editor, Qt::Key_Tab);
}

void click(QWidget &window, const QString &buttonName)
{
    auto *button = window.findChild<QAbstractButton *>(buttonName);
    if (!button) {
        ADD_FAILURE() << "no button " << buttonName.toStdString() << " in "
                      << window.objectName().toStdString();
        return;
    }
    button->click();
}

namespace {

QString nameOf(const QWidget &widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(&widget); label && widget.objectName().isEmpty())
        return QStringLiteral("\"%1\"").arg(label->text());
    return widget.objectName().isEmpty() ? QString::fromLatin1(widget.metaObject()->className())
                                         : widget.objectName();
}

// Siblings are compared, each parent on its own: a box inside a frame is not over the frame. The
// inner parts of Qt's own widgets (the scroll arrows of a tab bar) are theirs to place.
void collectOverlaps(const QWidget &parent, QStringList &found)
{
    if (qobject_cast<const QTabBar *>(&parent))
        return;
    QList<const QWidget *> shown;
    for (const QObject *child : parent.children()) {
        const auto *widget = qobject_cast<const QWidget *>(child);
        if (widget && widget->isVisible() && !widget->isWindow())
            shown.append(widget);
    }
    for (qsizetype first = 0; first < shown.size(); ++first) {
        for (qsizetype second = first + 1; second < shown.size(); ++second) {
            if (shown[first]->geometry().intersects(shown[second]->geometry()))
                found.append(nameOf(*shown[second]) + QStringLiteral(" over ") + nameOf(*shown[first]));
        }
        collectOverlaps(*shown[first], found);
    }
}

} // namespace

QStringList overlappingWidgets(QWidget &window)
{
    QStringList found;
    const QList<QTabWidget *> tabs = window.findChildren<QTabWidget *>();
    collectOverlaps(window, found);
    for (QTabWidget *pages : tabs) {
        const int shown = pages->currentIndex();
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QApplication::processEvents();
            collectOverlaps(*pages->widget(page), found);
        }
        pages->setCurrentIndex(shown);
    }
    found.removeDuplicates();
    return found;
}

} // namespace rotalina::test
