// Texts that attack, typed and pasted into the screens: every free-text field of the
// configuration screen and the message grid's text cells store them literally (shortened
// only by the field's own limit) or refuse them; never executed, never a crash.

#include "common_procs.h"
#include "config_screen_test_support.h"
#include "grid_editing.h"
#include "grid_messages.h"
#include "settings_table.h"

using namespace kr7;

namespace {

QString storedText(const config::Key& key) {
    if (key.isParam())
        return Get_PIC_Param_value(std::int16_t(key.param)).toText();
    return (key.store == config::Key::Store::PcConfig ? Get_PC_Config_value(key.field)
                                                      : Get_PIC_list_value(key.field))
        .toText();
}

} // namespace

class TestHostileScreens : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { test::deleteTopLevelWindows(); }

    void configurationScreenFreeTextFields() {
        test::Fixture fx;
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        auto* dummy = screen->findChild<QWidget*>(QStringLiteral("cmd_dummy"));
        const int tables = test::tableCount(fx);
        int fields = 0;
        for (const config::Setting& s : config::settings()) {
            if (s.kind != config::Kind::Edit || s.edit.conversion != config::Conversion::Text)
                continue;
            auto* field = test::control(screen, s.name);
            QVERIFY2(field, qPrintable(s.name));
            ++fields;
            for (const QString& text : test::hostileTexts()) {
                QVERIFY(test::focusOn(field));
                const QString before = field->text();
                test::pasteOver(field, text);
                // The paste is taken, shortened by the field's limit, or refused whole.
                const QString shown = field->text();
                QVERIFY2(text.startsWith(shown) || shown == before,
                         qPrintable(s.name + QStringLiteral(": ") + shown.left(40)));
                dummy->setFocus(Qt::TabFocusReason);
                QTRY_VERIFY(dummy->hasFocus());
                // Stored as the field shows it, or refused and the stored value shown again.
                QCOMPARE(storedText(s.key), field->text());
            }
        }
        QVERIFY(fields > 40);
        QCOMPARE(test::tableCount(fx), tables);
        for (const Prompt& p : fx.prompter.prompts)
            QVERIFY2(p.title != QStringLiteral("Contact Support before continuing"),
                     qPrintable(p.text));
    }

    void messageGridTextCells() {
        test::Fixture fx;
        Open_database();
        QWidget* screen = test::activated(openMessagesEditor(nullptr));
        QVERIFY(screen);
        auto* grid = screen->findChild<RecordGridView*>(QStringLiteral("iGrid_Messages"));
        const int tables = test::tableCount(fx);
        for (const char* key : {"ME_03", "ME_04"}) {
            const int column = grid->grid().columnIndex(QString::fromLatin1(key));
            for (const QString& text : test::hostileTexts()) {
                typeIntoCell(grid, 0, column, text, true);
                const QString shown = grid->grid().cellText(0, column);
                QVERIFY(text.startsWith(shown));
                const QString ref =
                    grid->grid().cellText(0, grid->grid().columnIndex(QStringLiteral("ME_02")));
                auto db = fx.openDatabase();
                auto select = db.prepare(
                    QStringLiteral("SELECT %1 FROM T_Messages WHERE ME_02 = ?1").arg(key));
                select.bind(1, Value::text(ref));
                QVERIFY(select.step());
                QCOMPARE(select.columnText(0), shown);
            }
        }
        QCOMPARE(test::tableCount(fx), tables);
    }
};

KR7_TEST_MAIN(TestHostileScreens)
#include "test_hostile_screens.moc"
