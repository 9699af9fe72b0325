#include "u_columnfollow.h"

namespace aeris::editor {

QString columnHint(Grid grid, int column)
{
    static const QStringList sources{
        QStringLiteral("Номер проммайданчика"), QStringLiteral("Номер джерела викиду"),
        QStringLiteral("Тип джерела (вибрати): Точкове, прямоКутне, Лінійне, Площинне"), QString(),
        QStringLiteral("X початку або центра"), QStringLiteral("Y початку або центра"),
        QStringLiteral("X кінця або довжина (не для точкових)"), QStringLiteral("Y кінця або ширина (не для точкових)"),
        QStringLiteral("Кут (град) відносно Ох (для площинних)"), QStringLiteral("Висота (м)"), QStringLiteral("Діаметр (м)"),
        QStringLiteral("Швидкість ПГПС (м/с)"), QStringLiteral("Об'єм ПГПС (м3/с)"), QStringLiteral("Температура ПГПС (град. С)")};
    static const QStringList evolving{
        QStringLiteral("Номер джерела виділення"), QStringLiteral("Номер вентсистеми"), QString(), QStringLiteral("Код виробництва"),
        QStringLiteral("Кількість"), QStringLiteral("Завантаженість"), QStringLiteral("Об'єм ПГПС (м3/с)"),
        QStringLiteral("Температура (град. С)")};
    static const QStringList units{
        QStringLiteral("Номер ГОУ (на джерелі)"), QStringLiteral("Номер вентсистеми"), QString(), QStringLiteral("Клас ГОУ"),
        QStringLiteral("Код ГОУ"), QStringLiteral("Об'єм ПГПС на вході (м3/с)"), QStringLiteral("Температура на вході (град. С)"),
        QStringLiteral("Об'єм ПГПС на виході (м3/с)"), QStringLiteral("Температура на виході (град. С)")};
    static const QStringList emissions{QStringLiteral("Код речовини (2ТП / ГДК)"), QStringLiteral("Концентрація (мг/м3)"),
                                       QStringLiteral("Викид (г/с)"), QStringLiteral("Викид (кг/год)"),
                                       QStringLiteral("Викид (т/рік)"), QStringLiteral("Методика вимірювання")};
    static const QStringList evolvingEmissions{QStringLiteral("Код речовини (2ТП / ГДК)"), QStringLiteral("Концентрація (мг/м3)"),
                                               QStringLiteral("Викид (г/с)"), QStringLiteral("Викид (кг/год)"),
                                               QStringLiteral("Методика вимірювання")};
    static const QStringList unitEmissions{QStringLiteral("Код речовини (2ТП / ГДК)"), QStringLiteral("Концентрація на вході (мг/м3)"),
                                           QStringLiteral("Концентрація на виході (мг/м3)"),
                                           QStringLiteral("Ефективність очищення (%)")};
    const QStringList* table = nullptr;
    switch (grid) {
    case GridSources: table = &sources; break;
    case GridEvolving: table = &evolving; break;
    case GridUnits: table = &units; break;
    case GridEmissions: table = &emissions; break;
    case GridEvolvingEmissions: table = &evolvingEmissions; break;
    case GridUnitEmissions: table = &unitEmissions; break;
    }
    return column >= 0 && column < table->size() ? table->at(column) : QString();
}

Follow followColumns(Grid grid, const QString& f)
{
    switch (grid) {
    case GridSources:
        if (f == QLatin1String("EMISSRC_ID")) return {{}, QStringLiteral("EVOLSRC_ID"), QStringLiteral("CHAIN_POS")};
        if (f == QLatin1String("EMISSRC_NAME")) return {{}, QStringLiteral("EVOLSRC_NAME"), QStringLiteral("GOU_NAME")};
        if (f == QLatin1String("VOLUME")) return {{}, QStringLiteral("VOLUME"), QStringLiteral("VOLUME_OUT")};
        if (f == QLatin1String("TEMP")) return {{}, QStringLiteral("TEMP"), QStringLiteral("TEMP_OUT")};
        break;
    case GridEvolving:
        if (f == QLatin1String("EVOLSRC_ID")) return {QStringLiteral("EMISSRC_ID"), {}, QStringLiteral("CHAIN_POS")};
        if (f == QLatin1String("EVOLSRC_NAME")) return {QStringLiteral("EMISSRC_NAME"), {}, QStringLiteral("GOU_NAME")};
        if (f == QLatin1String("VOLUME")) return {QStringLiteral("VOLUME"), {}, QStringLiteral("VOLUME_IN")};
        if (f == QLatin1String("TEMP")) return {QStringLiteral("TEMP"), {}, QStringLiteral("TEMP_IN")};
        break;
    case GridUnits:
        if (f == QLatin1String("CHAIN_POS")) return {QStringLiteral("EMISSRC_ID"), QStringLiteral("EVOLSRC_ID"), {}};
        if (f == QLatin1String("GOU_NAME")) return {QStringLiteral("EMISSRC_NAME"), QStringLiteral("EVOLSRC_NAME"), {}};
        if (f.startsWith(QLatin1String("VOLUME"))) return {QStringLiteral("VOLUME"), QStringLiteral("VOLUME"), {}};
        if (f.startsWith(QLatin1String("TEMP"))) return {QStringLiteral("TEMP"), QStringLiteral("TEMP"), {}};
        break;
    default: break;
    }
    return {};
}

QString followEmissionField(Grid from, const QString& field, Grid to, const QStringList& toFields)
{
    if (toFields.contains(field)) return field;
    if (from == GridEmissions && field == QLatin1String("MGM3") && to == GridUnitEmissions) return QStringLiteral("MGM3_OUT");
    if (from == GridEvolvingEmissions && field == QLatin1String("MGM3") && to == GridUnitEmissions) return QStringLiteral("MGM3_IN");
    if (from == GridUnitEmissions && field.startsWith(QLatin1String("MGM3"))) return QStringLiteral("MGM3");
    return {};
}

int columnAtX(const QList<int>& widths, int x)
{
    int right = 16;
    for (int i = 0; i < widths.size(); ++i) {
        right += widths[i] + 1;
        if (right > x) return i;
    }
    return int(widths.size());
}

} // namespace aeris::editor
