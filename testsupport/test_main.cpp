// Runs the registered test classes: "binary Class [QtTest options]" runs one, no name runs all.
#include "u_testregistry.h"
#include "u_fbclient.h"

#include <QLocale>
#include <QTest>
#ifdef AERIS_TEST_WIDGETS
#include <QApplication>
using TestApp = QApplication;
#else
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif
#include <cstdio>

int main(int argc, char** argv)
{
    TestApp app(argc, argv);
    QLocale::setDefault(QLocale::c());
    std::vector<std::string> names;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-' && aeris::test::registry().count(argv[i])) names.push_back(argv[i]);
        else rest.push_back(argv[i]);
    }
    if (names.empty())
        for (const auto& [name, factory] : aeris::test::registry()) names.push_back(name);
    int failures = 0;
    for (const std::string& name : names) {
        std::unique_ptr<QObject> test = aeris::test::registry().at(name)();
        failures += QTest::qExec(test.get(), int(rest.size()), rest.data());
    }
    aeris::db::shutdownClient();
    return failures == 0 ? 0 : 1;
}
