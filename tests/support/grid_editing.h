#pragma once

#include "record_grid_view.h"
#include "test_support.h"

#include <QPointer>

// Edits a grid cell as a user does: F2, the new text typed (or pasted) over the old, Enter;
// returns once the view has committed the edit (it does so on its next event-loop turn).
inline void typeIntoCell(kr7::RecordGridView* grid, int row, int column, const QString& text,
                         bool paste = false) {
    grid->setFocus();
    grid->setCurrentCell(row, column);
    QTest::keyClick(grid, Qt::Key_F2);
    QPointer<QLineEdit> editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    if (paste) {
        kr7::test::pasteOver(editor, text);
    } else {
        editor->selectAll();
        QTest::keyClicks(editor, text);
    }
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!editor);
}
