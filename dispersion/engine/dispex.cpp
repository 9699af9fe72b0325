// dispex: the dispersion engine. Started with no arguments in its folder, it talks to the
// program through its standard streams (one UTF-8 line a message; see the protocol below);
// "dispex --batch" opens the data and calculates without a partner. Options for scripts and
// tests: --folder <exchange folder> (default: FILES beside the engine), --ini <settings file>
// (default: dispex.ini beside the engine).
//
//   engine → program: window <caption> | closed <caption> | control <caption> <text> enabled|disabled
//                     | progress <0-100> | error <message>
//   program → engine: open | press <caption> <text> | calc | maps | close <caption>

#include "calc.h"
#include "dbfio.h"
#include "maps.h"
#include "task.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

std::string selfFolder(const char* argv0)
{
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string path = n > 0 ? std::string(buf, size_t(n)) : std::string(argv0);
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void say(const std::string& line)
{
    std::cout << line << '\n' << std::flush;
}

struct Engine {
    std::string folder, ini, templ;
    bool loaded = false;
    dispex::Task task;
    std::vector<dispex::Result> results;

    bool open()
    {
        try {
            task = dispex::loadTask(folder, ini);
            loaded = true;
            return true;
        } catch (const std::exception& e) {
            say(std::string("error ") + e.what());
            return false;
        }
    }

    bool maps()
    {
        try {
            for (const std::string& f : dispex::writeMaps(task, results, folder)) say("map " + f);
            return true;
        } catch (const std::exception& e) {
            say(std::string("error ") + e.what());
            return false;
        }
    }

    bool calc()
    {
        try {
            std::vector<std::string> log;
            results = dispex::calculate(task, [](int p) { say("progress " + std::to_string(p)); }, log);
            for (const std::string& l : log) say("log " + l);
            dispex::writeDbf(templ, folder + "/ras_dsx.dbf", dispex::resultRecords(results));
            return true;
        } catch (const std::exception& e) {
            say(std::string("error ") + e.what());
            return false;
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    const std::string self = selfFolder(argv[0]);
    Engine engine;
    engine.folder = self + "/FILES";
    engine.ini = self + "/dispex.ini";
    engine.templ = self + "/ras_dsx.dbf";
    bool batch = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--batch") batch = true;
        else if (a == "--folder" && i + 1 < argc) engine.folder = argv[++i];
        else if (a == "--ini" && i + 1 < argc) engine.ini = argv[++i];
        else if (a == "--template" && i + 1 < argc) engine.templ = argv[++i];
        else {
            say("error unknown argument: " + a);
            return 2;
        }
    }
    if (batch) {
        if (!engine.open() || !engine.calc() || !engine.maps()) return 1;
        say("done");
        return 0;
    }

    say("window Диспекс");
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "open") {
            say("window Открытие файла");
            say("control Открытие файла ОК enabled");
        } else if (line == "press Открытие файла ОК") {
            const bool ok = engine.open();
            say("closed Открытие файла");
            if (!ok) return 1;
        } else if (line == "calc") {
            say("window Основной расчет");
            say(std::string("control Основной расчет OK ") + (engine.loaded ? "enabled" : "disabled"));
        } else if (line == "press Основной расчет OK") {
            if (!engine.loaded) continue;
            const bool ok = engine.calc();
            say("closed Основной расчет");
            if (!ok) return 1;
        } else if (line == "maps") {
            if (engine.task.settings.mapFormat == 0) say("window Карта распределения концентраций");
            const bool ok = engine.maps();
            if (engine.task.settings.mapFormat == 0) say("closed Карта распределения концентраций");
            if (!ok) return 1;
        } else if (line.rfind("close ", 0) == 0) {
            const std::string caption = line.substr(6);
            say("closed " + caption);
            if (caption == "Диспекс") return 0;
        }
    }
    return 0;
}
