#include "u_baseyear.h"
#include "u_copytree.h"
#include "u_ini.h"
#include "u_paths.h"
#include "u_project.h"
#include "u_recordingseams.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace aeris;

namespace {

struct Env {
    test::TempDir program;
    test::TempDir work;
    AppPaths paths{program.path()};
    test::RecordingSeams ui;
    ProjectSession session{paths};

    QString folder(const QString& name) const { return work.file(name); }
    QString historyText() const { return QString::fromLatin1(program.read(QStringLiteral("aer_obj.ini"))); }
};

} // namespace

class TestProjectSession : public QObject {
    Q_OBJECT
private slots:
    void createWritesOnlyTheProjectIni();
    void createRefusesExistingFolderSilently();
    void openFillsCaptionHistoryAndStates();
    void openingTwiceKeepsOneHistoryEntry();
    void openMissingProjectTellsAndStaysClosed();
    void closeAsksAndKeepsOnNo();
    void historyPurgesVanishedProjects();
    void saveCopyIntoItselfOrSubfolder();
    void failedCopyIsToldAndKeptInPlace();
};

void TestProjectSession::createWritesOnlyTheProjectIni()
{
    Env e;
    const QString f = e.folder(QStringLiteral("Завод"));
    QVERIFY(e.session.createProject(f, QStringLiteral("Завод №1")));
    QCOMPARE(QDir(f + QStringLiteral("/aer.dat")).entryList(QDir::Files), QStringList{QStringLiteral("aer_dat.ini")});
    IniFile ini(f + QStringLiteral("/aer.dat/aer_dat.ini"));
    QCOMPARE(ini.readString(QStringLiteral("OBJECT"), QStringLiteral("name")), QStringLiteral("Завод №1"));
    QCOMPARE(ini.readString(QStringLiteral("OBJECT"), QStringLiteral("comment")), QStringLiteral("(коментарів немає)"));
    QVERIFY(!e.session.isOpen());
    QVERIFY(e.ui.messages.isEmpty());
}

void TestProjectSession::createRefusesExistingFolderSilently()
{
    Env e;
    QDir().mkpath(e.folder(QStringLiteral("exists")));
    QVERIFY(!e.session.createProject(e.folder(QStringLiteral("exists")), QStringLiteral("x")));
    QVERIFY(!e.session.createProject(e.folder(QStringLiteral("no/parent")), QStringLiteral("x")));
    QVERIFY(!e.session.createProject(QString(), QStringLiteral("x")));
    QVERIFY(e.ui.messages.isEmpty());
    QVERIFY(!QFileInfo::exists(e.folder(QStringLiteral("exists/aer.dat"))));
}

void TestProjectSession::openFillsCaptionHistoryAndStates()
{
    Env e;
    const QString f = e.folder(QStringLiteral("p"));
    QVERIFY(e.session.createProject(f, QStringLiteral("Об'єкт")));
    obj::setBaseYear(f, 2009);
    for (const char* n : {"OBJ.FDB", "OBJ1.FDB", "obj2.fdb", "OBJ4.FDB"})
        QFile(f + QStringLiteral("/aer.dat/") + QLatin1String(n)).open(QIODevice::WriteOnly);
    QVERIFY(e.session.openProject(f));
    QCOMPARE(e.session.caption(), QStringLiteral("АЕРІС - Об'єкт ") + f);
    QCOMPARE(e.session.states(), (QStringList{QStringLiteral("Існуюч. стан: 2009"), QStringLiteral("Перспектива: 2010"),
                                              QStringLiteral("Перспектива: 2011")}));
    QCOMPARE(e.session.selectedState(), 0);
    QVERIFY(e.historyText().contains(QStringLiteral("[%1]").arg(f)));
    QCOMPARE(e.session.history().rows().size(), 1);
}

void TestProjectSession::openingTwiceKeepsOneHistoryEntry()
{
    Env e;
    const QString f = e.folder(QStringLiteral("p"));
    e.session.createProject(f, QStringLiteral("P"));
    // An older entry of this folder must keep its date.
    IniFile(e.paths.programFile(QStringLiteral("aer_obj.ini"))).writeString(f, QStringLiteral("added"), QStringLiteral("14.05.2009"));
    e.session.history().load();
    QVERIFY(e.session.openProject(f));
    QVERIFY(e.session.openProject(f)); // answered Yes to the closing question
    ProjectSession fresh(e.paths);     // a new run, with the history not loaded yet
    QVERIFY(fresh.openProject(f));
    QCOMPARE(e.historyText().count(u'['), 1);
    QVERIFY(e.historyText().contains(QStringLiteral("added=14.05.2009")));
    // Without any date yet, the first opening writes today's.
    const QString g = e.folder(QStringLiteral("q"));
    e.session.createProject(g, QStringLiteral("Q"));
    e.session.openProject(g);
    QVERIFY(IniFile(e.paths.programFile(QStringLiteral("aer_obj.ini"))).readString(g, QStringLiteral("added")) ==
            ProjectHistory::shortDate(QDate::currentDate()));
}

void TestProjectSession::openMissingProjectTellsAndStaysClosed()
{
    Env e;
    QDir().mkpath(e.folder(QStringLiteral("plain")));
    QVERIFY(!e.session.openProject(e.folder(QStringLiteral("plain"))));
    QCOMPARE(e.ui.messages.size(), 1);
    QCOMPARE(e.ui.messages[0].text, QStringLiteral("Вказана база не знайдена"));
    QCOMPARE(e.ui.messages[0].caption, QStringLiteral("Відкрити БД..."));
    QCOMPARE(e.ui.messages[0].icon, MsgIcon::Warning);
    QVERIFY(!e.session.isOpen());
    QCOMPARE(e.session.projectName(), QStringLiteral("Проект не обрано"));
    QCOMPARE(e.session.caption(), QStringLiteral("АЕРІС"));
}

void TestProjectSession::closeAsksAndKeepsOnNo()
{
    Env e;
    const QString f = e.folder(QStringLiteral("p"));
    e.session.createProject(f, QStringLiteral("P"));
    e.session.openProject(f);
    for (Answer a : {Answer::No, Answer::Cancel}) {
        e.ui.answers = {a};
        QVERIFY(!e.session.closeProject());
        QVERIFY(e.session.isOpen());
    }
    // Opening another project asks the same question and stops on No.
    e.ui.answers = {Answer::No};
    QVERIFY(!e.session.openProject(f));
    QCOMPARE(e.session.projectPath(), f);
    e.ui.messages.clear();
    QVERIFY(e.session.closeProject());
    QCOMPARE(e.ui.messages.size(), 1);
    QCOMPARE(e.ui.messages[0].text, QStringLiteral("Ви дійсно бажаєте закрити об'єкт?"));
    QCOMPARE(e.ui.messages[0].caption, QStringLiteral("Закрити БД об'єкта?"));
    QCOMPARE(e.ui.messages[0].buttons, MsgButtons(BtnYes | BtnNo | BtnCancel));
    QVERIFY(!e.session.isOpen());
    QVERIFY(e.session.closeProject()); // nothing open: no question
    QCOMPARE(e.ui.messages.size(), 1);
}

void TestProjectSession::historyPurgesVanishedProjects()
{
    Env e;
    const QString a = e.folder(QStringLiteral("a")), b = e.folder(QStringLiteral("b"));
    e.session.createProject(a, QStringLiteral("A"));
    e.session.createProject(b, QStringLiteral("B"));
    e.session.openProject(a);
    e.session.openProject(b);
    e.work.write(QStringLiteral("a/aer.dat/INVENT.FDB"), "x");
    const auto& rows = e.session.history().load();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].name, QStringLiteral("B")); // newest first
    QCOMPARE(rows[1].inventDate, ProjectHistory::shortDate(QDate::currentDate()));
    QVERIFY(rows[1].ovnsDate.isEmpty());
    QFile::remove(b + QStringLiteral("/aer.dat/aer_dat.ini"));
    // Garbage lines in the history file are kept and do not disturb the list.
    e.program.write(QStringLiteral("aer_obj.ini"), "garbage without equals\r\n" + e.program.read(QStringLiteral("aer_obj.ini")) +
                                                       "[/gone/for/good]\r\nadded=1.1.2001");
    QCOMPARE(e.session.history().load().size(), 1);
    QVERIFY(!e.historyText().contains(b));
    QVERIFY(!e.historyText().contains(QStringLiteral("/gone/for/good")));
    QVERIFY(e.historyText().contains(QStringLiteral("garbage without equals")));
}

void TestProjectSession::saveCopyIntoItselfOrSubfolder()
{
    Env e;
    const QString f = e.folder(QStringLiteral("p"));
    e.session.createProject(f, QStringLiteral("P"));
    e.work.write(QStringLiteral("p/aer.dat/OBJ.FDB"), "db");
    e.work.write(QStringLiteral("p/out/t.rtf"), "doc");
    QDir().mkpath(f + QStringLiteral("/empty"));
    e.session.openProject(f);
    QVERIFY(!e.session.saveProjectCopy(f, QStringLiteral("P"), f));
    QVERIFY(e.session.isOpen()); // nothing done, nothing asked
    QStringList seen;
    const QString inside = f + QStringLiteral("/copy");
    QVERIFY(e.session.saveProjectCopy(inside, QStringLiteral("Копія"), f, [&](const QString& s) { seen << s; }));
    QCOMPARE(e.work.read(QStringLiteral("p/copy/aer.dat/OBJ.FDB")), QByteArray("db"));
    QCOMPARE(e.work.read(QStringLiteral("p/copy/out/t.rtf")), QByteArray("doc"));
    QVERIFY(QFileInfo(inside + QStringLiteral("/empty")).isDir());
    QVERIFY(!QFileInfo::exists(inside + QStringLiteral("/copy")));
    QCOMPARE(ProjectSession::readProjectName(inside), QStringLiteral("Копія"));
    QVERIFY(!seen.isEmpty());
    QVERIFY(!e.session.isOpen()); // the copy closed the source
}

void TestProjectSession::failedCopyIsToldAndKeptInPlace()
{
    Env e;
    const QString f = e.folder(QStringLiteral("p"));
    e.session.createProject(f, QStringLiteral("P"));
    e.work.write(QStringLiteral("p/aer.dat/OBJ.FDB"), "db");
    // An entry that cannot be read: a link to nothing.
    QVERIFY(QFile::link(e.folder(QStringLiteral("nowhere")), f + QStringLiteral("/aer.dat/broken.lnk")));
    e.session.openProject(f);
    e.ui.clear();
    const QString dst = e.folder(QStringLiteral("dst"));
    QVERIFY(!e.session.saveProjectCopy(dst, QStringLiteral("D"), f));
    QCOMPARE(e.ui.messages.size(), 2); // the closing question, then the failure
    QVERIFY(e.ui.messages[1].text.startsWith(QStringLiteral("Не вдалося скопіювати об'єкт повністю")));
    QCOMPARE(e.ui.messages[1].caption, QStringLiteral("Помилка при копіюваннні"));
    QCOMPARE(e.work.read(QStringLiteral("dst/aer.dat/OBJ.FDB")), QByteArray("db"));
    QVERIFY(!e.session.isOpen());
}

class TestCopyTree : public QObject {
    Q_OBJECT
private slots:
    void copiesAndReportsFailures();
};

void TestCopyTree::copiesAndReportsFailures()
{
    test::TempDir d;
    d.write(QStringLiteral("src/a.txt"), "new");
    d.write(QStringLiteral("src/sub/b.txt"), "b");
    d.write(QStringLiteral("dst/a.txt"), "old");
    QVERIFY(copyFolderTree(d.file(QStringLiteral("src")), d.file(QStringLiteral("dst")), false));
    QCOMPARE(d.read(QStringLiteral("dst/a.txt")), QByteArray("old"));
    QVERIFY(copyFolderTree(d.file(QStringLiteral("src")), d.file(QStringLiteral("dst")), true));
    QCOMPARE(d.read(QStringLiteral("dst/a.txt")), QByteArray("new"));
    QCOMPARE(d.read(QStringLiteral("dst/sub/b.txt")), QByteArray("b"));
    QVERIFY(!copyFolderTree(d.file(QStringLiteral("missing")), d.file(QStringLiteral("x")), true));
    QVERIFY(!copyFolderTree(d.file(QStringLiteral("src")), d.file(QStringLiteral("src")), true));
    // An unreadable file fails the whole copy, even when later entries succeed.
    d.write(QStringLiteral("src2/0locked.txt"), "x");
    d.write(QStringLiteral("src2/zz.txt"), "z");
    QFile::setPermissions(d.file(QStringLiteral("src2/0locked.txt")), QFileDevice::Permissions());
    const bool root = QFile(d.file(QStringLiteral("src2/0locked.txt"))).open(QIODevice::ReadOnly);
    if (!root) QVERIFY(!copyFolderTree(d.file(QStringLiteral("src2")), d.file(QStringLiteral("dst2")), true));
    QFile::setPermissions(d.file(QStringLiteral("src2/0locked.txt")), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QDir().mkpath(d.file(QStringLiteral("emptysrc")));
    QVERIFY(copyFolderTree(d.file(QStringLiteral("emptysrc")), d.file(QStringLiteral("emptydst")), true));
    QVERIFY(QFileInfo(d.file(QStringLiteral("emptydst"))).isDir());
}

AERIS_TEST(TestProjectSession)
AERIS_TEST(TestCopyTree)
#include "tst_project.moc"
