#include "u_objschema.h"

namespace aeris::obj {

QString keyFieldsOf(const QString& table)
{
    const QString t = table.toUpper();
    if (t == kProdSites) return kKeyProdSites;
    if (t == kProductions) return kKeyProductions;
    if (t == kSubstances) return kKeySubstances;
    if (t == kEmissionSrc) return kKeyEmissionSrc;
    if (t == kEvolvingSrc) return kKeyEvolvingSrc;
    if (t == kGou) return kKeyGou;
    if (t == kEmissionData) return kKeyEmissionData;
    if (t == kEvolvingData) return kKeyEvolvingData;
    if (t == kGouData) return kKeyGouData;
    return {};
}

QString stateFileName(int state)
{
    return state <= 0 ? QStringLiteral("OBJ.FDB") : QStringLiteral("OBJ%1.FDB").arg(state);
}

QString calcFileName(int state)
{
    return state <= 0 ? QStringLiteral("CALC.FDB") : QStringLiteral("CALC%1.FDB").arg(state);
}

} // namespace aeris::obj
