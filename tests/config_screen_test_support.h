#pragma once

#include "database.h"
#include "frm_config.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QtTest>

namespace kr7::test {

// Opens the configuration screen on the fixture's database, as the log-on form does.
inline frm_config* openConfig() {
    Open_database();
    openConfigScreen();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* screen = qobject_cast<frm_config*>(w); screen && screen->isVisible())
            return screen;
    return nullptr;
}

template <class W = QLineEdit> W* control(QWidget* screen, const QString& name) {
    return screen->findChild<W*>(name);
}

// Replaces a field's text from the keyboard, as the user would.
inline void retype(QLineEdit* field, const QString& text) {
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// Screens the configuration screen owns go with it: each window is deleted once.
inline void deleteTopLevelWindows() {
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows << w;
    for (const QPointer<QWidget>& w : windows)
        delete w.data();
}

} // namespace kr7::test
