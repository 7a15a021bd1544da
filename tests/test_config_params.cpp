// The PIC parameters the configuration screen edits beyond a single field's rule: the three
// temperatures that limit one another, and the word of switch bits.

#include "config_screen_test_support.h"

#include <QCheckBox>

using namespace kr7;

namespace {

QString stored(const test::Fixture& fx, int param) {
    return fx.query(QStringLiteral("SELECT PIC_03 FROM T_PIC_Params WHERE PIC_01 = %1").arg(param))
        .toText();
}

// The boxes ticked, as a word of the bits they show.
int shownWord(QWidget* screen) {
    const int bits[] = {1, 16, 32, 2, 4, 8, 64, 128};
    int word = 0;
    for (int i = 0; i < 8; ++i)
        if (test::control<QCheckBox>(screen, QStringLiteral("Check_box(%1)").arg(i))->isChecked())
            word |= bits[i];
    return word;
}

} // namespace

class TestConfigParams : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { test::deleteTopLevelWindows(); }

    // One screen, one step after another: each accepted temperature is the limit of the
    // next. An empty message means the value is written.
    void temperaturesLimitEachOther() {
        test::Fixture fx; // minimum 30.0, target 37.0, maximum 40.0
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        struct Step {
            int param;
            const char* typed;
            const char* message;
            const char* stored;
        };
        const Step steps[] = {
            {101, "41", "Target temperature outside min/max temperature", "370"},
            {102, "38", "Min. temperature above target temperature", "300"},
            {103, "36.9", "Max. temperature below target temperature", "400"},
            {103, "38", "", "380"},
            {101, "38", "", "380"},
            {102, "38", "", "380"},
            {101, "37.9", "Target temperature outside min/max temperature", "380"},
            {103, "120", "", "1200"},
            {101, "120", "", "1200"},
            {101, "121", "Valid range 0-120.0", "1200"},
            {102, "x", "Valid range 0-120.0", "380"},
        };
        for (const Step& step : steps) {
            QLineEdit* field =
                test::control(screen, QStringLiteral("txt_params(%1)").arg(step.param));
            QVERIFY(test::focusOn(field));
            QCOMPARE(test::promptLine(screen), QStringLiteral("Valid range 0-120.0"));
            const QString onEntry = field->text();
            test::retype(field, QLatin1String(step.typed));
            QTest::keyClick(field, Qt::Key_Return);
            const bool written = *step.message == 0;
            QCOMPARE(test::promptLine(screen), QLatin1String(step.message));
            QCOMPARE(field->text(),
                     written ? QString::number(QString(step.stored).toInt() / 10.0, 'f', 1)
                             : onEntry);
            QCOMPARE(stored(fx, step.param), QLatin1String(step.stored));
        }
    }

    // A text stored longer by another program is shortened by the user, still too long for
    // the store: it is refused, not dropped as if written.
    void barcodeLettersTheStoreCannotTakeAreRefused() {
        test::Fixture fx;
        fx.exec(QStringLiteral("UPDATE T_PIC_Params SET PIC_03 = 'ABCD' WHERE PIC_01 = 22"));
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QLineEdit* field = test::control(screen, QStringLiteral("txt_params(22)"));
        QVERIFY(test::focusOn(field));
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(test::promptLine(screen), QStringLiteral("Valid range 0-2 characters"));
        QCOMPARE(field->text(), QStringLiteral("ABCD"));
        QCOMPARE(stored(fx, 22), QStringLiteral("ABCD"));
    }

    // The word is read at each press, so a bit another program set since the load stays.
    void switchBitsWriteTheWord_data() {
        QTest::addColumn<int>("atLoad");
        QTest::addColumn<int>("atPress");
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("written");
        QTest::newRow("heating on ticks the display") << 0 << 0 << 0 << 33;
        QTest::newRow("heating off clears reporting") << 49 << 49 << 0 << 32;
        QTest::newRow("OS1 and OS2 off") << 255 << 255 << 7 << 127;
        QTest::newRow("bleeper on beside a new bit") << 17 << 145 << 3 << 147;
        QTest::newRow("reporting off") << 17 << 17 << 1 << 1;
    }
    void switchBitsWriteTheWord() {
        QFETCH(int, atLoad);
        QFETCH(int, atPress);
        QFETCH(int, box);
        QFETCH(int, written);
        test::Fixture fx;
        const QString setWord =
            QStringLiteral("UPDATE T_PIC_Params SET PIC_03 = '%1' WHERE PIC_01 = 80");
        fx.exec(setWord.arg(atLoad));
        frm_config* screen = test::openActiveConfig();
        QVERIFY(screen);
        QCOMPARE(shownWord(screen), atLoad);
        fx.exec(setWord.arg(atPress));
        auto* check = test::control<QCheckBox>(screen, QStringLiteral("Check_box(%1)").arg(box));
        QVERIFY(test::focusOn(check));
        test::clickBox(check);
        QCOMPARE(stored(fx, 80), QString::number(written));
        QCOMPARE(shownWord(screen), written);
    }
};

KR7_TEST_MAIN(TestConfigParams)
#include "test_config_params.moc"
