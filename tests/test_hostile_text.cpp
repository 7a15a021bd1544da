// Texts that attack: whatever a user types or pastes into a free-text setting is stored
// literally or refused by the field's size, never executed and never a crash.

#include "common_procs.h"
#include "database.h"
#include "errors.h"
#include "schema.h"
#include "test_support.h"

using namespace kr7;

namespace {

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
