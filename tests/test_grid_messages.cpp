// The messages editor, driven through its widgets: opening, adding, editing and deleting
// messages, each read back from the database.

#include "database.h"
#include "grid_editing.h"
#include "grid_messages.h"
#include "record_grid_view.h"
#include "test_support.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolTip>

using namespace kr7;

Q_DECLARE_METATYPE(kr7::Answer)

namespace {

// Replaces the messages with `count` records MSG_001, MSG_002, ... numbered from 1.
void setMessages(test::Fixture& fx, int count) {
    auto db = fx.openDatabase();
    sql::inWriteTransaction(db, [&] {
        db.exec(QStringLiteral("DELETE FROM T_Messages"));
        for (int n = 1; n <= count; ++n)
            db.prepare(QStringLiteral("INSERT INTO T_Messages VALUES (?1, ?2, ?3, ?3, 0)"))
                .bindAll({Value::whole(n),
                          Value::text(QStringLiteral("MSG_%1").arg(n, 3, 10, QChar('0'))),
                          Value::text(QStringLiteral("Text %1").arg(n))})
                .run();
    });
}

qint64 count(test::Fixture& fx, const QString& where = QStringLiteral("1")) {
    return fx.query(QStringLiteral("SELECT count(*) FROM T_Messages WHERE ") + where).asWhole();
}

// Marks PC_34 so that a test sees whether the editor cleared it.
void markPc34(test::Fixture& fx) {
    fx.exec(QStringLiteral("UPDATE T_PC_Configuration SET PC_34 = '2026-01-01 00:00:00'"));
}

bool pc34Cleared(test::Fixture& fx) {
    return fx.query(QStringLiteral("SELECT PC_34 FROM T_PC_Configuration")).isNull();
}

template <class W> W* child(QWidget* screen, const char* name) {
    return screen->findChild<W*>(QString::fromLatin1(name));
}

void typeInto(QWidget* field, const QString& text) {
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

} // namespace

class TestGridMessages : public test::ScreenTest {
    Q_OBJECT

    grid_Messages* screen = nullptr;

    RecordGridView* grid() const { return child<RecordGridView>(screen, "iGrid_Messages"); }
    QLineEdit* refBox() const { return child<QLineEdit>(screen, "txt_new_ref"); }
    QLineEdit* messageBox() const { return child<QLineEdit>(screen, "txt_new_message"); }
    QString countCaption() const { return child<QLabel>(screen, "lbl_num_recs")->text(); }
    void click(const char* button) const { child<QPushButton>(screen, button)->click(); }

    // Adds through the entry boxes, as a user does: Add, reference, Enter, message, Enter.
    void addByKeyboard(const QString& reference, const QString& message) {
        click("cmdAddRec");
        QTRY_VERIFY(refBox()->hasFocus());
        typeInto(refBox(), reference);
        if (messageBox()->hasFocus())
            typeInto(messageBox(), message);
    }

    // Types a new text into a cell, starting the edit with F2 and ending it with Enter.
    void editCell(int row, const char* key, const QString& text) {
        typeIntoCell(grid(), row, grid()->grid().columnIndex(QString::fromLatin1(key)), text);
    }

    void open() {
        screen = test::activated(static_cast<grid_Messages*>(openMessagesEditor(nullptr)));
        QVERIFY(screen);
    }

  private slots:
    // From an empty table: a first message, one whose reference holds a quote, one whose
    // reference is on file already in other letter case, and entries lacking either part.
    void addingThroughTheEntryBoxes() {
        setMessages(*fx, 0);
        open();
        QCOMPARE(screen->windowTitle(), QStringLiteral("Messages : none on file"));
        markPc34(*fx);
        addByKeyboard(QStringLiteral("first"), QStringLiteral("Hello"));
        QCOMPARE(count(*fx, QStringLiteral("ME_01 = 1 AND ME_02 = 'FIRST' AND ME_03 = 'Hello' "
                                           "AND ME_04 = 'Hello' AND ME_05 = 0")),
                 1);
        QVERIFY(pc34Cleared(*fx));
        QCOMPARE(grid()->grid().cellText(0, 1), QStringLiteral("FIRST"));
        QCOMPARE(countCaption(), QStringLiteral("No. Recs = 1 / 127"));
        // The number is the highest on file plus one, whatever was deleted meanwhile.
        fx->exec(QStringLiteral("UPDATE T_Messages SET ME_01 = 7"));
        addByKeyboard(QStringLiteral("o'brien"), QStringLiteral("Don't"));
        QCOMPARE(
            count(*fx, QStringLiteral("ME_01 = 8 AND ME_02 = 'O''BRIEN' AND ME_03 = 'Don''t'")), 1);
        addByKeyboard(QStringLiteral("O'Brien"), QString());
        QVERIFY(!child<QLabel>(screen, "lbl_already_on_file")->isHidden());
        QCOMPARE(grid()->grid().cellText(grid()->currentRow(), 1), QStringLiteral("O'BRIEN"));
        addByKeyboard(QStringLiteral("NEW_ONE"), QString());
        addByKeyboard(QStringLiteral("   "), QStringLiteral("x"));
        QCOMPARE(count(*fx), 2);
        QVERIFY(!refBox()->isEnabled() && !messageBox()->isEnabled());
        QCOMPARE(refBox()->text(), QString());
        QVERIFY(grid()->hasFocus());
    }

    void addingStopsAtExactlyTheLimit() {
        for (const int records : {127, 128}) {
            setMessages(*fx, records);
            open();
            const bool atLimit = records == 127;
            QCOMPARE(!child<QLabel>(screen, "lbl_max_recs_on_file")->isHidden(), atLimit);
            QCOMPARE(countCaption(), QStringLiteral("No. Recs = %1 / 127").arg(records));
            click("cmdAddRec");
            QCOMPARE(refBox()->isEnabled(), !atLimit);
            test::deleteTopLevelWindows();
        }
    }

    void cellEditsAreWrittenOnlyWhenChanged_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("written");
        QTest::newRow("same") << QStringLiteral("Text 2") << false;
        QTest::newRow("changed") << QStringLiteral("Press START") << true;
    }

    void cellEditsAreWrittenOnlyWhenChanged() {
        QFETCH(QString, typed);
        QFETCH(bool, written);
        setMessages(*fx, 3);
        markPc34(*fx);
        fx->exec(QStringLiteral("CREATE TABLE writes (n); CREATE TRIGGER counted AFTER UPDATE ON "
                                "T_Messages BEGIN INSERT INTO writes VALUES (1); END"));
        open();
        editCell(1, "ME_03", typed);
        QCOMPARE(fx->query(QStringLiteral("SELECT count(*) FROM writes")).asWhole(),
                 written ? 1 : 0);
        QCOMPARE(pc34Cleared(*fx), written);
        QCOMPARE(count(*fx, QStringLiteral("ME_01 = 2 AND ME_03 = '%1'").arg(typed)), 1);
        QCOMPARE(grid()->grid().cellText(1, 2), typed);
    }

    void onlyTheTextsAndTheFlagAreEditable() {
        setMessages(*fx, 2);
        open();
        for (int column = 0; column < 5; ++column)
            QCOMPARE(grid()->grid().canEdit(0, column), column >= 2);
        grid()->setCurrentCell(0, 4);
        QTest::keyClick(grid(), Qt::Key_Space);
        QCOMPARE(count(*fx, QStringLiteral("ME_01 = 1 AND ME_05 = 1")), 1);
        QCOMPARE(grid()->grid().data(grid()->grid().index(0, 4), Qt::CheckStateRole),
                 QVariant(Qt::Checked));
    }

    void editOfARecordGoneMeanwhileIsReported() {
        setMessages(*fx, 3);
        open();
        fx->exec(QStringLiteral("DELETE FROM T_Messages WHERE ME_01 = 2"));
        editCell(1, "ME_04", QStringLiteral("Anything"));
        QCOMPARE(fx->prompter.prompts.size(), 1u);
        QCOMPARE(fx->prompter.prompts[0].text, QStringLiteral("Message record not found"));
        QCOMPARE(fx->prompter.prompts[0].icon, Icon::Critical);
        QCOMPARE(grid()->grid().cellText(1, 3), QStringLiteral("Text 2"));
    }

    void deleteAsksFirst_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("currentAfter");
        QTest::newRow("No") << 4 << Answer::No << 4;
        QTest::newRow("Yes") << 4 << Answer::Yes << 4;
        QTest::newRow("Yes, last row") << 11 << Answer::Yes << 10;
    }

    void deleteAsksFirst() {
        QFETCH(int, row);
        QFETCH(Answer, answer);
        QFETCH(int, currentAfter);
        setMessages(*fx, 12);
        markPc34(*fx);
        open();
        grid()->setCurrentCell(row, 2);
        fx->prompter.answerNext(answer);
        click("cmdDelRec");
        QCOMPARE(fx->prompter.prompts.size(), 1u);
        const Prompt& asked = fx->prompter.prompts[0];
        QCOMPARE(asked.text, QStringLiteral("Do you really want to delete 'MSG_%1'")
                                 .arg(row + 1, 3, 10, QChar('0')));
        QCOMPARE(asked.title, QStringLiteral("KR7 Software"));
        QCOMPARE(asked.buttons, Buttons::YesNo);
        QCOMPARE(asked.icon, Icon::Exclamation);
        QCOMPARE(asked.defaultAnswer, Answer::No);
        const bool deleted = answer == Answer::Yes;
        QCOMPARE(count(*fx), deleted ? 11 : 12);
        QCOMPARE(pc34Cleared(*fx), deleted);
        QCOMPARE(countCaption(), deleted ? QStringLiteral("No. Recs = 11/127")
                                         : QStringLiteral("No. Recs = 12 / 127"));
        QCOMPARE(grid()->currentRow(), currentAfter);
        QCOMPARE(grid()->currentColumn(), 2);
    }

    void deleteWithNoRowChosenOrOfTheOnlyRow() {
        setMessages(*fx, 1);
        open();
        grid()->setCurrentIndex({});
        click("cmdDelRec");
        QCOMPARE(fx->prompter.prompts.size(), 0u);
        grid()->setCurrentCell(0, 0);
        fx->prompter.answerNext(Answer::Yes);
        click("cmdDelRec");
        QCOMPARE(count(*fx), 0);
        QCOMPARE(grid()->currentRow(), -1);
    }

    void deleteRemovesOnlyTheRecordShown() {
        setMessages(*fx, 3);
        fx->exec(QStringLiteral("INSERT INTO T_Messages VALUES (2, 'TWIN', 'x', 'x', 0)"));
        open();
        grid()->setCurrentCell(3, 0); // TWIN sorts last
        fx->prompter.answerNext(Answer::Yes);
        click("cmdDelRec");
        QCOMPARE(count(*fx, QStringLiteral("ME_01 = 2")), 1);
        QCOMPARE(count(*fx, QStringLiteral("ME_02 = 'MSG_002'")), 1);
    }

    // The editor opens with room for about 20 rows under titles that fit, and its grid
    // keeps at least 5 rows however small the window is made.
    void opensTallEnoughWithWholeTitles() {
        setMessages(*fx, 25);
        open();
        RecordGridView* view = grid();
        QVERIFY(view->viewport()->height() >= 20 * view->rowHeight(0));
        for (int c = 0; c < view->grid().columnCount(); ++c)
            QVERIFY2(view->horizontalHeader()->sectionSizeHint(c) <= view->columnWidth(c),
                     qPrintable(view->grid().column(c).title));
        screen->resize(200, 100);
        QTRY_VERIFY(view->viewport()->height() >= 5 * view->rowHeight(0));
    }
    // Widths drawn for the original's font grow with the grid's; only a column that says so
    // aligns its title like its cells. A cell too narrow for its text shows it as a tool-tip.
    void widthsFollowTheFontAndCutOffCellsShowTheirText() {
        RecordGridView view;
        RecordGridModel& model = view.grid();
        model.setWidthScale(1.5);
        model.addColumn(
            {QStringLiteral("a"), QStringLiteral("A"), 40, true, {.alignment = Qt::AlignRight}});
        model.addColumn({QStringLiteral("b"),
                         QStringLiteral("B"),
                         40,
                         true,
                         {.alignment = Qt::AlignRight, .alignHeader = true}});
        QCOMPARE(model.column(0).width, 60);
        QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).isValid());
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight);
        auto db = fx->openDatabase();
        model.fill(
            db.prepare(QStringLiteral("SELECT x AS a, x AS b FROM (SELECT 'Holloway-Smithson, "
                                      "Jane' AS x UNION ALL SELECT 'Jo')")));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (const QString& tip : {QStringLiteral("Holloway-Smithson, Jane"), QString()}) {
            const QPoint at = view.visualRect(model.index(tip.isEmpty(), 0)).center();
            QHelpEvent help(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(view.viewport(), &help);
            QTRY_COMPARE(QToolTip::isVisible(), !tip.isEmpty());
            if (!tip.isEmpty())
                QCOMPARE(QToolTip::text(), tip);
        }
    }
};

KR7_TEST_MAIN(TestGridMessages)
#include "test_grid_messages.moc"
