#include "support/modaldriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
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

} // namespace rotalina::test
