#pragma once
// Names of the object database: its tables, their key field lists, the state files and the
// connection of a project's folder to them.

#include <QString>

namespace aeris::obj {

inline const QString kProdSites = QStringLiteral("PROD_SITES");
inline const QString kProductions = QStringLiteral("PRODUCTIONS");
inline const QString kSubstances = QStringLiteral("SUBSTANCES");
inline const QString kEmissionSrc = QStringLiteral("EMISSION_SRC");
inline const QString kEvolvingSrc = QStringLiteral("EVOLVING_SRC");
inline const QString kGou = QStringLiteral("GOU");
inline const QString kEmissionData = QStringLiteral("EMISSION_DATA");
inline const QString kEvolvingData = QStringLiteral("EVOLVING_DATA");
inline const QString kGouData = QStringLiteral("GOU_DATA");

// Key field lists that locate a row of each table (the per-substance tables also have
// EMIS_TYPE in their key; the program works with EMIS_TYPE = 0 only).
inline const QString kKeyProdSites = QStringLiteral("SITE_ID");
inline const QString kKeyProductions = QStringLiteral("PROD_ID");
inline const QString kKeySubstances = QStringLiteral("SUBST_ID");
inline const QString kKeyEmissionSrc = QStringLiteral("SITE_ID;EMISSRC_ID");
inline const QString kKeyEvolvingSrc = QStringLiteral("SITE_ID;EMISSRC_ID;EVOLSRC_ID");
inline const QString kKeyGou = QStringLiteral("SITE_ID;EMISSRC_ID;VENT_ID;CHAIN_POS");
inline const QString kKeyEmissionData = QStringLiteral("SITE_ID;EMISSRC_ID;SUBST_ID");
inline const QString kKeyEvolvingData = QStringLiteral("SITE_ID;EMISSRC_ID;EVOLSRC_ID;SUBST_ID");
inline const QString kKeyGouData = QStringLiteral("SITE_ID;EMISSRC_ID;VENT_ID;CHAIN_POS;SUBST_ID");

// The key list of a table, for its (upper-case) name; empty for other names.
QString keyFieldsOf(const QString& table);

// Files of a project's "aer.dat" folder.
inline const QString kProjectDataDir = QStringLiteral("aer.dat");
inline const QString kProjectIni = QStringLiteral("aer_dat.ini");
inline const QString kObjIni = QStringLiteral("obj.ini");
inline constexpr int kMaxPerspectives = 4;

// "OBJ.FDB" for the existing state (0), "OBJ<n>.FDB" for perspective n (1..4).
QString stateFileName(int state);
// "CALC.FDB" / "CALC<n>.FDB": the dispersion database follows the state.
QString calcFileName(int state);

} // namespace aeris::obj
