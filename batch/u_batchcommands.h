#pragma once
// The commands of the batch tool. Each takes its arguments and returns the exit status
// (0 only on success); messages the program would show in a box go to standard error as
// "caption: text", questions are answered Yes. New commands are one row of the table.

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

namespace aeris {
class AppPaths;
}

namespace aeris::batch {

struct Context {
    AppPaths& paths;
    QTextStream& out;
    QTextStream& err;
};

struct Command {
    QString name;
    QString arguments;   // as shown in the usage text
    QString description; // Ukrainian
    int minArgs;
    std::function<int(Context&, const QStringList&)> run;
};

const std::vector<Command>& commands();
QString usage();
// Runs "<command> <args...>"; prints the usage for an unknown command or wrong arguments.
int run(Context& ctx, const QStringList& args);

} // namespace aeris::batch
