#include "u_appexception.h"
#include "u_error.h"
#include "f_year.h"

#include <QLineEdit>
#include "u_recordingseams.h"
#include "u_singleinstance.h"
#include "u_testdirs.h"
#include "u_testregistry.h"
#include "u_yearcheck.h"

#include <QSysInfo>
#include <QTest>

using namespace aeris;

class TestShellCore : public QObject {
    Q_OBJECT
private slots:
    void unhandledErrors_data();
    void unhandledErrors();
    void exceptionsFromEventsAreHandled();
    void yearWindow_data();
    void yearWindow();
    void singleInstance();
};

void TestShellCore::unhandledErrors_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("shown");
    QTest::newRow("required field") << "Field 'SITE_ID' must have a value" << true;
    QTest::newRow("with I/O Error 21") << "I/O Error 21: Field 'X' must have a value" << false;
    QTest::newRow("other") << "violation of PRIMARY or UNIQUE KEY constraint" << false;
    QTest::newRow("empty") << "" << false;
}

void TestShellCore::unhandledErrors()
{
    QFETCH(QString, message);
    QFETCH(bool, shown);
    test::RecordingSeams ui;
    appException(message);
    QCOMPARE(ui.messages.size(), shown ? 1 : 0);
    if (shown) {
        QCOMPARE(ui.messages[0].text, QStringLiteral("Слід заповнити ключові поля"));
        QCOMPARE(ui.messages[0].caption, QStringLiteral("Помилка"));
        QCOMPARE(ui.messages[0].icon, MsgIcon::Error);
    }
}

void TestShellCore::exceptionsFromEventsAreHandled()
{
    test::RecordingSeams ui;
    QVERIFY(guardedNotify([] { return true; }));
    QVERIFY(!guardedNotify([]() -> bool { throw Error(QStringLiteral("Field 'SITE_ID' must have a value")); }));
    QVERIFY(!guardedNotify([]() -> bool { throw std::runtime_error("disk full"); }));
    QVERIFY(!guardedNotify([]() -> bool { throw 42; }));
    QCOMPARE(ui.texts(), QStringList{QStringLiteral("Слід заповнити ключові поля")});
}

void TestShellCore::yearWindow_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("caption");
    QTest::newRow("999") << "999" << false << "Рік має задаватися чотиризначним числом" << "Увага";
    QTest::newRow("10000") << "10000" << false << "Рік має задаватися чотиризначним числом" << "Увага";
    QTest::newRow("2025") << "2025" << true << "" << "";
    QTest::newRow("20x5") << "20x5" << false << "Рік має задаватися чотиризначним числом!" << "Помилка";
    QTest::newRow("empty") << "" << false << "Рік має задаватися чотиризначним числом!" << "Помилка";
}

void TestShellCore::yearWindow()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    QFETCH(QString, caption);
    const YearCheck c = checkYear(text);
    QCOMPARE(c.ok, ok);
    QCOMPARE(c.message, message);
    QCOMPARE(c.caption, caption);
    if (ok) QCOMPARE(c.year, text.toInt());

    // The window itself: a refused year keeps it open and says why.
    test::RecordingSeams ui;
    TFormYear form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Введіть рік..."));
    form.Edit1->setText(text);
    form.okClick();
    QCOMPARE(form.result(), ok ? int(QDialog::Accepted) : 0);
    QCOMPARE(ui.texts(), ok ? QStringList() : QStringList{message});
}

void TestShellCore::singleInstance()
{
    test::TempDir dir;
    {
        SingleInstance first(QStringLiteral("AERIS\\MUTEX"), dir.path());
        QVERIFY(first.acquired());
        QVERIFY(first.lockPath().endsWith(QStringLiteral("AERIS_MUTEX.lock")));
        SingleInstance second(QStringLiteral("AERIS\\MUTEX"), dir.path());
        QVERIFY(!second.acquired());
    }
    // A lock left by a run that crashed (its process is gone) does not block the next start.
    dir.write(QStringLiteral("AERIS_MUTEX.lock"),
              QByteArray("2147483000\naeris\n") + QSysInfo::machineHostName().toUtf8() + "\n");
    SingleInstance next(QStringLiteral("AERIS_MUTEX"), dir.path());
    QVERIFY(next.acquired());
}

AERIS_TEST(TestShellCore)
#include "tst_shellcore.moc"
