#include "u_baseyear.h"

#include "u_error.h"
#include "u_files.h"
#include "u_ini.h"
#include "u_objschema.h"

#include <QDate>

namespace aeris::obj {
namespace {
const QString kSection = QStringLiteral("OBJ");
const QString kKey = QStringLiteral("BaseYear");
} // namespace

QString objIniPath(const QString& projectDir)
{
    return files::resolve(projectDir, kProjectDataDir + u'/' + kObjIni);
}

int peekBaseYear(const QString& projectDir)
{
    const int year = IniFile(objIniPath(projectDir)).readInteger(kSection, kKey, 0);
    return year > 0 ? year : QDate::currentDate().year();
}

int getBaseYear(const QString& projectDir)
{
    IniFile ini(objIniPath(projectDir));
    const int year = ini.readInteger(kSection, kKey, 0);
    if (year > 0) return year;
    const int now = QDate::currentDate().year();
    try {
        ini.writeInteger(kSection, kKey, now);
    } catch (const IoError&) {
        // A read-only project still opens; the year is asked again next time.
    }
    return now;
}

bool setBaseYear(const QString& projectDir, int year)
{
    if (year <= 0) return false;
    IniFile(objIniPath(projectDir)).writeInteger(kSection, kKey, year);
    return true;
}

} // namespace aeris::obj
