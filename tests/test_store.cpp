// The configuration store: reading and writing the single-record tables and the numbered PIC
// parameters, and the type conversions of a write.

#include "common_procs.h"
#include "database.h"
#include "errors.h"
#include "guarded_application.h"
#include "services.h"
#include "test_support.h"

using namespace kr7;

Q_DECLARE_METATYPE(kr7::Value)

namespace kr7 {
// Found by QCOMPARE through argument-dependent lookup.
char* toString(const Value& v) {
    static const char* const kinds[] = {"Empty",    "Null", "Text", "Whole",
                                        "Floating", "Date", "YesNo"};
    return QTest::toString(QString::fromLatin1(kinds[int(v.kind())]) + u'(' + v.toText() + u')');
}
} // namespace kr7

namespace {

QString param(const test::Fixture& fx, int number, const char* field) {
    const auto sql = QStringLiteral("SELECT %1 FROM T_PIC_Params WHERE PIC_01 = %2");
    return fx.query(sql.arg(QLatin1String(field)).arg(number)).toText();
}

std::int32_t errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT

  private slots:
    void picParamEncoding_data() {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("hex");
        const auto row = [](const char* name, Value v, const char* entered, const char* hex) {
            QTest::newRow(name) << v << QString::fromUtf8(entered) << QString(hex);
        };
        row("text 12.5, half to even", Value::text("12.5"), "12.5", "000C");
        row("one digit is a number", Value::text("7"), "7", "0007");
        row("two letters", Value::text("AB"), "AB", "4142");
        row("a sign alone is a letter", Value::text("-"), "-", "2D00");
        row("single-byte code", Value::text(QStringLiteral("\u20AC")), "\u20AC", "8000");
        row("three letters change nothing", Value::text("ABC"), "50", "0032");
        row("negative", Value::whole(-2), "-2", "FFFE");
        row("wider than four digits", Value::whole(70000), "70000", "1170");
    }
    void picParamEncoding() {
        QFETCH(Value, value);
        QFETCH(QString, entered);
        QFETCH(QString, hex);
        test::Fixture fx;
        Open_database();
        update_PIC_Param_value(10, value);
        QCOMPARE(param(fx, 10, "PIC_03"), entered);
        QCOMPARE(param(fx, 10, "PIC_04"), hex);
        QCOMPARE(Get_PIC_Param_value(10).toText(), entered);
        QVERIFY(fx.prompter.prompts.empty());
    }

    void nullFieldReadsAsEmptyText_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        for (const char* field : {"PC_34", "PC_09"})
            QTest::newRow(field) << schema::PC_Configuration << QString(field);
        QTest::newRow("PI_03") << schema::PIC_list << QStringLiteral("PI_03");
    }
    void nullFieldReadsAsEmptyText() {
        QFETCH(QString, table);
        QFETCH(QString, field);
        test::Fixture fx;
        // A file made by another tool may lack the NOT NULL of the Yes/No fields.
        fx.exec(QStringLiteral("CREATE TABLE copy AS SELECT * FROM %1; DROP TABLE %1; "
                               "ALTER TABLE copy RENAME TO %1; UPDATE %1 SET %2 = NULL")
                    .arg(table, field));
        Open_database();
        const Value v =
            table == schema::PIC_list ? Get_PIC_list_value(field) : Get_PC_Config_value(field);
        QCOMPARE(v, Value::text(QString()));
    }

    void missingParamIsReported() {
        test::Fixture fx;
        Open_database();
        QCOMPARE(Get_PIC_Param_value(999), Value());
        QCOMPARE(fx.prompter.prompts.size(), 1u);
        const Prompt& p = fx.prompter.prompts[0];
        QCOMPARE(p.text, QStringLiteral("Get_PIC_Param_value : PIC Param 999 missing"));
        QCOMPARE(p.buttons, Buttons::AbortRetryIgnore);
        QCOMPARE(fx.errorLogLines(),
                 QStringList{"05-03-26 10:30:00 - Get_PIC_Param_value : PIC Param 999 missing"});

        const auto all =
            QStringLiteral("SELECT count(*) || group_concat(PIC_03) FROM T_PIC_Params");
        const Value before = fx.query(all);
        update_PIC_Param_value(-5, Value::whole(1));
        QCOMPARE(fx.prompter.prompts.back().text,
                 QStringLiteral("update_PIC_Param_value : PIC Param-5 missing"));
        QCOMPARE(fx.query(all), before);
        QCOMPARE(fx.errorLogLines().size(), qsizetype(2));

        fx.prompter.answerNext(Answer::Abort);
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, Get_PIC_Param_value(999));
        QVERIFY(services().endedWith.has_value());
    }

    void onlyTheFirstRecordIsWritten() {
        test::Fixture fx;
        fx.exec("INSERT INTO T_PC_Configuration (PC_02) VALUES ('second')");
        Open_database();
        update_PC_Config_value("PC_02", Value::text("X"));
        QCOMPARE(fx.query("SELECT group_concat(PC_02, '|') FROM "
                          "(SELECT PC_02 FROM T_PC_Configuration ORDER BY rowid)"),
                 Value::text("X|second"));
        QCOMPARE(Get_PC_Config_value("PC_02"), Value::text("X"));
    }

    void fitForField_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<Value>("value");
        QTest::addColumn<Value>("fitted");
        QTest::addColumn<int>("error");
        const auto row = [](const char* name, const char* field, Value v, Value fitted,
                            int error = 0) {
            QTest::newRow(name) << QString(field) << v << fitted << error;
        };
        row("number text into floating", "PC_03", Value::text(" 12.5 "), Value::floating(12.5));
        row("half to even into whole", "PC_01", Value::text("2.5"), Value::whole(2));
        row("-1 into Yes/No", "PC_09", Value::whole(-1), Value::yesNo(true));
        row("null into Yes/No", "PC_09", Value::null(), Value::yesNo(false));
        row("date text into date", "PC_34", Value::text("05/03/26 14:07"),
            Value::date(test::at(2026, 3, 5, 14, 7)));
        row("text as long as the field", "PC_42", Value::text("0123456789"),
            Value::text("0123456789"));
        row("abc into number", "PC_03", Value::text("abc"), {}, errnum::TypeMismatch);
        row("too large for whole", "PC_01", Value::floating(3e9), {}, errnum::Overflow);
        row("text longer than field", "PC_42", Value::text("0123456789A"), {},
            errnum::MultipleStep);
        row("unknown field", "PC_999", Value::whole(1), {}, errnum::ItemNotFound);
    }
    void fitForField() {
        QFETCH(QString, field);
        QFETCH(Value, value);
        QFETCH(Value, fitted);
        QFETCH(int, error);
        Value result;
        QCOMPARE(errorOf([&] {
                     const auto& column = store::columnOf(schema::PC_Configuration, field);
                     result = store::fitForField(column, value);
                 }),
                 error);
        QCOMPARE(result, fitted);
    }
};

KR7_TEST_MAIN(TestStore)
#include "test_store.moc"
