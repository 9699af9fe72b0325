#pragma once
// Test classes register themselves; the test binary runs the class named on its command line
// (or all of them), so that ctest lists every class as a test of its own.

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace aeris::test {

using TestFactory = std::function<std::unique_ptr<QObject>()>;

inline std::map<std::string, TestFactory>& registry()
{
    static std::map<std::string, TestFactory> r;
    return r;
}

struct Registrar {
    Registrar(const char* name, TestFactory f) { registry().emplace(name, std::move(f)); }
};

} // namespace aeris::test

#define AERIS_TEST(Class) \
    static ::aeris::test::Registrar registrar_##Class(#Class, [] { return std::unique_ptr<QObject>(new Class); });
