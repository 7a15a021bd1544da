// Texts that attack, through the store and typed or pasted into the screens: every free-text
// setting, field and message cell stores them literally (shortened only by the field's own
// limit) or refuses them; never executed, never a crash.

#include "common_procs.h"
#include "config_screen_test_support.h"
#include "database.h"
#include "errors.h"
#include "grid_editing.h"
#include "grid_messages.h"
#include "schema.h"
#include "settings_table.h"
#include "test_support.h"

using namespace kr7;
using Writer = void (*)(const QString&, const Value&);
using Reader = Value (*)(const QString&);

namespace {

QString storedText(const config::Key& key) {
    if (key.isParam())
        return Get_PIC_Param_value(std::int16_t(key.param)).toText();
    return (key.store == config::Key::Store::PcConfig ? Get_PC_Config_value(key.field)
                                                      : Get_PIC_list_value(key.field))
        .toText();
}

// Beyond what a one-line field holds: line breaks and a nul character.
QStringList hostileTexts() {
    return test::hostileTexts() << QStringLiteral("cr\rlf\nend")
                                << QString(QChar(0)) + QStringLiteral("after a nul");
}

using Writer = void (*)(const QString&, const Value&);
using Reader = Value (*)(const QString&);

} // namespace

class TestHostileText : public QObject {
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

    void everyTextSettingStoresLiterallyOrRefuses_data() {
        QTest::addColumn<QString>("table");
        QTest::newRow("PC configuration") << schema::PC_Configuration;
        QTest::newRow("instrument") << schema::PIC_list;
    }
    void everyTextSettingStoresLiterallyOrRefuses() {
        QFETCH(QString, table);
        test::Fixture fx;
        Open_database();
        const bool pc = table == schema::PC_Configuration;
        const Writer write = pc ? update_PC_Config_value : update_PIC_list_value;
        const Reader read = pc ? Get_PC_Config_value : Get_PIC_list_value;
        const int tables = test::tableCount(fx);
        int stored = 0, refused = 0;
        for (const schema::Column& column : schema::findTable(table)->columns) {
            if (column.type != schema::FieldType::Text)
                continue;
            for (const QString& text : hostileTexts()) {
                const Value before = read(column.name);
                try {
                    write(column.name, Value::text(text));
                    QCOMPARE(read(column.name).toText(), text);
                    ++stored;
                } catch (const Error& e) {
                    QCOMPARE(e.number(), errnum::MultipleStep);
                    QVERIFY(text.size() > column.size);
                    QCOMPARE(read(column.name), before);
                    ++refused;
                }
            }
        }
        QVERIFY(stored > 0 && refused > 0);
        QCOMPARE(test::tableCount(fx), tables);
        QCOMPARE(fx.query(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toNumber(), 1.0);
    }

    void hostileTextsAsParameterLettersAndNumbers() {
        test::Fixture fx;
        Open_database();
        for (const QString& text : hostileTexts()) {
            const Value before = Get_PIC_Param_value(22);
            try {
                update_PIC_Param_value(22, Value::text(text));
            } catch (const Error& e) {
                QCOMPARE(e.number(), errnum::MultipleStep); // longer than the field
            }
            // Only texts of up to two characters are taken; longer ones change nothing.
            QCOMPARE(Get_PIC_Param_value(22), text.size() <= 2 ? Value::text(text) : before);
        }
        QVERIFY(fx.prompter.prompts.empty());
    }
};

KR7_TEST_MAIN(TestHostileText)
#include "test_hostile_text.moc"
